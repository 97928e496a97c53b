#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// The bytes of a profile file. Line 1 is the one enciphered marker byte, taken as the file's
// first raw byte so that any byte value works, even a carriage return or a line feed. Every line
// ends in CR LF; on reading a line ends at CR and an LF right after it is skipped.
class ProfileLayout
{
public:
    QByteArray toBytes() const;
    // Null when the bytes hold fewer than two lines.
    static std::optional<ProfileLayout> fromBytes(const QByteArray &bytes);

    char Marker = 0;
    // Line 2 on: the secured default folder, then one secured line per action.
    QList<QByteArray> Lines;
};
