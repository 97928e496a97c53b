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

    // A box that is damaged or was tampered with, found after its header opened: it says so
    // as a wrong password would, but with the cause.
    static VaulnixError damaged(const QString &message)
    {
        VaulnixError error(message);
        error.damagedBox = true;
        return error;
    }

    const QString &message() const { return text; }
    bool isDamagedBox() const { return damagedBox; }

private:
    QString text;
    bool damagedBox = false;
};
