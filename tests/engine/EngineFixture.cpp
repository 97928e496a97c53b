#include "EngineFixture.h"

#include <QDirIterator>

EventLog::EventLog(CCipherBlock &engine)
{
    const auto name = [](const QString &path) { return path.section('/', -1); };
    const auto note = [this](const char *line) { return [this, line] { lines << line; }; };
    QObject::connect(&engine, &CCipherBlock::RemoveDirectory, note("RemoveDirectory"));
    QObject::connect(&engine, &CCipherBlock::CreatingFileBlock, note("CreatingFileBlock"));
    QObject::connect(&engine, &CCipherBlock::CreatingBlock, note("CreatingBlock"));
    QObject::connect(&engine, &CCipherBlock::AddingToBlock,
                     [=, this](const QString &file) { lines << "AddingToBlock " + name(file); });
    QObject::connect(&engine, &CCipherBlock::BuildingHeader, [this](qint32 i, qint32 n) {
        lines << QStringLiteral("BuildingHeader %1/%2").arg(i).arg(n);
    });
    QObject::connect(&engine, &CCipherBlock::ShredFile,
                     [=, this](qint32 i, qint32 n, const QString &file, qint32 left, qint32 size) {
                         lines << QStringLiteral("ShredFile %1/%2 %3 %4/%5")
                                      .arg(i)
                                      .arg(n)
                                      .arg(name(file))
                                      .arg(left)
                                      .arg(size);
                     });
    QObject::connect(&engine, &CCipherBlock::CipherProgress,
                     [=, this](qint32 rate, qint32 done, qint32 total, qint32 left, qint32 size,
                               const QString &file) {
                         rates << rate;
                         lines << QStringLiteral("CipherProgress %1/%2 %3/%4 %5")
                                      .arg(done)
                                      .arg(total)
                                      .arg(left)
                                      .arg(size)
                                      .arg(name(file));
                     });
}

QStringList EventLog::named(const QString &prefix) const
{
    QStringList found;
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            found << line;
    }
    return found;
}

EngineFixture::EngineFixture()
    : log(engine)
{
    Global::StopRequested = 0;
    Global::DialogShred = 0;
    Global::CurrentUserPassword = Password;
}

EngineFixture::~EngineFixture()
{
    Global::StopRequested = 0;
    Global::DialogShred = 0;
    Global::CurrentUserPassword.clear();
}

QStringList EngineFixture::tree(const QString &relative) const
{
    const QDir root(path(relative));
    QStringList files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}

QString EngineFixture::refusal(const std::function<void()> &step)
{
    try {
        step();
    } catch (const VaulnixError &e) {
        return e.message();
    }
    ADD_FAILURE() << "no VaulnixError";
    return QString();
}

qsizetype EngineFixture::openHandles()
{
    return QDir("/proc/self/fd")
        .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files | QDir::Dirs)
        .size();
}
