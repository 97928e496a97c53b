#include "profiles/ActionLine.h"

#include "actions/CAction.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int FieldCount = 7;
const QString Comma = QStringLiteral(",");

QString escaped(QString field)
{
    return field.replace(QLatin1String("%"), QLatin1String("%25"))
        .replace(QLatin1String(","), QLatin1String("%2C"));
}

std::optional<QString> unescaped(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != QLatin1Char('%')) {
            out += field[i];
            continue;
        }
        const QStringView code = QStringView(field).mid(i + 1, 2);
        if (code == QLatin1String("25"))
            out += QLatin1Char('%');
        else if (code == QLatin1String("2C"))
            out += QLatin1Char(',');
        else
            return std::nullopt;
        i += 2;
    }
    return out;
}

std::optional<qint16> number(const QString &field)
{
    bool ok = false;
    const qint16 value = field.toShort(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

ActionLine ActionLine::of(const CAction &action)
{
    ActionLine line;
    line.Action = action.Action();
    line.BoxFile = action.BoxFile();
    line.BoxName = action.BoxName();
    line.Folder = action.Folder();
    line.Shred = action.Shred();
    line.Checked = action.Checked();
    line.LastRan = action.LastRan();
    return line;
}

QString ActionLine::text() const
{
    QStringList texts{BoxFile, BoxName, Folder, LastRan};
    const bool escape = std::any_of(texts.cbegin(), texts.cend(),
                                    [](const QString &t) { return t.contains(Comma); });
    if (escape) {
        for (QString &t : texts)
            t = escaped(t);
    }
    const QStringList fields{
        QString::number(Action),  texts[0], texts[1], texts[2], QString::number(Shred),
        QString::number(Checked), texts[3]};
    return (escape ? QString(EscapedMark) : QString()) + fields.join(Comma);
}

std::optional<ActionLine> ActionLine::parse(const QString &text)
{
    const bool escape = text.startsWith(EscapedMark);
    QStringList fields = (escape ? text.mid(1) : text).split(Comma);
    if (fields.size() < FieldCount)
        return std::nullopt;
    if (escape) {
        for (QString *field : {&fields[1], &fields[2], &fields[3], &fields[6]}) {
            const auto plain = unescaped(*field);
            if (!plain)
                return std::nullopt;
            *field = *plain;
        }
    }
    const auto action = number(fields[0]);
    const auto shred = number(fields[4]);
    const auto checked = number(fields[5]);
    if (!action || !shred || !checked)
        return std::nullopt;

    ActionLine line;
    line.Action = *action;
    line.BoxFile = fields[1];
    line.BoxName = fields[2];
    line.Folder = fields[3];
    line.Shred = *shred;
    line.Checked = *checked;
    line.LastRan = fields[6];
    return line;
}
