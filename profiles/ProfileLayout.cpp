#include "profiles/ProfileLayout.h"

namespace {
constexpr char LineEnd[] = "\r\n";
}

QByteArray ProfileLayout::toBytes() const
{
    QByteArray bytes(1, Marker);
    bytes += LineEnd;
    for (const QByteArray &line : Lines)
        bytes += line + LineEnd;
    return bytes;
}

std::optional<ProfileLayout> ProfileLayout::fromBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    QList<QByteArray> lines;
    QByteArray current;
    for (qsizetype i = 1; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            current += bytes[i];
            continue;
        }
        lines.append(current);
        current.clear();
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!current.isEmpty())
        lines.append(current);
    // The first piece is what follows the marker on line 1; nothing belongs there.
    if (lines.size() < 2)
        return std::nullopt;
    ProfileLayout layout;
    layout.Marker = bytes[0];
    layout.Lines = lines.mid(1);
    return layout;
}
