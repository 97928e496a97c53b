#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class CAction;

// One saved action before it is secured: seven fields joined by ",". A text field holding ","
// cannot be split back, so such a line is written in an escaped form instead: "~" and then the
// fields with "%" as "%25" and "," as "%2C". A plain line starts with its kind code, never with
// "~", so every line without a "," inside a field keeps the plain form.
class ActionLine
{
public:
    static constexpr QChar EscapedMark = QLatin1Char('~');

    static ActionLine of(const CAction &action);
    QString text() const;
    // Null unless the text holds at least seven fields whose number fields are whole 16-bit
    // numbers; fields beyond the seventh are ignored.
    static std::optional<ActionLine> parse(const QString &text);

    qint16 Action = 0;
    QString BoxFile;
    QString BoxName;
    QString Folder;
    qint16 Shred = 0;
    qint16 Checked = 0;
    QString LastRan;
};
