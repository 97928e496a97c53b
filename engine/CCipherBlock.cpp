#include "engine/CCipherBlock.h"

#include "core/Global.h"
#include "core/VaulnixError.h"

#include <QFile>

#include <cmath>

CCipherBlock::CCipherBlock(QObject *parent)
    : QObject(parent)
{}

CCipherBlock::~CCipherBlock() = default;

void CCipherBlock::setPump(std::function<void()> pump)
{
    pumpMessages = std::move(pump);
}

void CCipherBlock::setClock(CTick::Clock clock)
{
    rateTick = CTick(std::move(clock));
}

void CCipherBlock::pump()
{
    if (pumpMessages)
        pumpMessages();
}

void CCipherBlock::keyCipher(const QByteArray &key)
{
    cipher.Initilize(key, 0);
    keyedGeneration = CCipher::Generation();
}

void CCipherBlock::requireOwnKey(const QString &BlockFile) const
{
    // Going on under another stream would write garbage and call it done.
    if (CCipher::Generation() != keyedGeneration)
        throw VaulnixError(QStringLiteral("The cipher was re-keyed by another operation while "
                                          "working on the box %1; this step was not completed")
                               .arg(BlockFile));
}

bool CCipherBlock::stopRequested() const
{
    return Global::StopRequested.load() != 0;
}

void CCipherBlock::requirePassword(const QString &Password)
{
    // Without one the cipher would stay under its cleared key, which anybody can guess.
    if (Password.isEmpty())
        throw VaulnixError(QStringLiteral("No password was given; a box needs one"));
}

qint32 CCipherBlock::rate(qint64 milliseconds) const
{
    if (milliseconds < 1000)
        return qint32(rateBytes);
    // nearbyint rounds ties to even under the default rounding mode
    return qint32(std::nearbyint(double(rateBytes) / (double(milliseconds) / 1000.0)));
}
