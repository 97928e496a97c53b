#include "shell/HTMLLink.h"

#include <QColor>
#include <QDesktopServices>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QUrl>

namespace HTMLLink {

namespace {

Opener &opener()
{
    static Opener current;
    return current;
}

void setColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void setUnderline(QLabel *label, bool on)
{
    QFont font = label->font();
    font.setUnderline(on);
    label->setFont(font);
}

} // namespace

void LinkEvent(QLabel *label, int code)
{
    switch (code) {
    case LinkLoad:
        setColour(label, QColor(0, 0, 255));
        break;
    case LinkClick:
        OpenTarget(label->property(TagProperty).toString());
        setColour(label, QColor(128, 0, 128));
        break;
    case LinkAway:
        setUnderline(label, false);
        setColour(label, QColor(0, 0, 255));
        break;
    case LinkOver:
        setColour(label, QColor(255, 0, 0));
        setUnderline(label, true);
        break;
    default:
        break;
    }
}

void OpenTarget(const QString &target)
{
    const QUrl url(target);
    if (opener())
        opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void SetOpener(Opener replacement)
{
    opener() = std::move(replacement);
}

} // namespace HTMLLink
