#pragma once

#include <QtGlobal>

// Window and control sizes are given in twips (1440 to the inch), converted through the
// screen's logical resolution.
namespace Twips {

qint32 toPixels(double twips);
double fromPixels(int pixels);

} // namespace Twips
