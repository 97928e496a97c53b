#include "dialogs/Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr double TwipsPerInch = 1440.0;

double dotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

} // namespace

qint32 Twips::toPixels(double twips)
{
    return qRound(twips * dotsPerInch() / TwipsPerInch);
}

double Twips::fromPixels(int pixels)
{
    return pixels * TwipsPerInch / dotsPerInch();
}
