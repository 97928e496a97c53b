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

std::function<void()> CCipherBlock::pumpWhileWaiting()
{
    if (!pumpMessages)
        return {};
    return [this] { pump(); };
}

void CCipherBlock::requireDone(ChunkTransform::Outcome outcome, const QString &BlockFile,
                               const QString &file)
{
    switch (outcome) {
    case ChunkTransform::Outcome::Done:
        return;
    case ChunkTransform::Outcome::Rekeyed:
        // Going on under another stream would write garbage and call it done.
        throw VaulnixError(QStringLiteral("The cipher was re-keyed by another operation while "
                                          "working on the box %1; this step was not completed")
                               .arg(BlockFile));
    case ChunkTransform::Outcome::NotAuthentic:
        break;
    }
    throw VaulnixError::damaged(QStringLiteral("%1 in the box %2 was altered or damaged (it "
                                               "does not authenticate); it was not extracted")
                                    .arg(file, BlockFile));
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
