#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the program: a message for the user that names the file and the cause.
class VaulnixError : public std::runtime_error
{
public:
    explicit VaulnixError(const QString &message)
        : std::runtime_error(message.toStdString())
        , text(message)
    {}

    const QString &message() const { return text; }

private:
    QString text;
};
