#pragma once

#include "TestSupport.h"
#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// A temporary folder, an engine whose signals are logged as short lines, clean global flags.
class EngineFixture : public ::testing::Test
{
protected:
    EngineFixture()
    {
        const auto name = [](const QString &path) { return path.section('/', -1); };
        QObject::connect(&engine, &CCipherBlock::AddingToBlock,
                         [=, this](const QString &f) { log.lines << "AddingToBlock " + name(f); });
        QObject::connect(&engine, &CCipherBlock::CreatingBlock,
                         [this] { log.lines << "CreatingBlock"; });
        QObject::connect(&engine, &CCipherBlock::BuildingHeader, [this](qint32 i, qint32 n) {
            log.lines << QStringLiteral("BuildingHeader %1/%2").arg(i).arg(n);
        });
        QObject::connect(&engine, &CCipherBlock::CreatingFileBlock,
                         [this] { log.lines << "CreatingFileBlock"; });
        QObject::connect(&engine, &CCipherBlock::RemoveDirectory,
                         [this] { log.lines << "RemoveDirectory"; });
        QObject::connect(&engine, &CCipherBlock::ShredFile,
                         [=, this](qint32 i, qint32 n, const QString &f, qint32 left, qint32 size) {
                             log.lines << QStringLiteral("ShredFile %1/%2 %3 %4/%5")
                                              .arg(i)
                                              .arg(n)
                                              .arg(name(f))
                                              .arg(left)
                                              .arg(size);
                         });
        QObject::connect(&engine, &CCipherBlock::CipherProgress,
                         [=, this](qint32, qint32 done, qint32 total, qint32 left, qint32 size,
                                   const QString &f) {
                             log.lines << QStringLiteral("CipherProgress %1/%2 %3/%4 %5")
                                              .arg(done)
                                              .arg(total)
                                              .arg(left)
                                              .arg(size)
                                              .arg(name(f));
                         });
        Global::CurrentUserPassword = Password;
        // The suite runs once for each format the engine writes.
        if (sealed())
            engine.setWriteFormat(BoxFormatId::Sealed);
    }
    static bool sealed() { return qEnvironmentVariable("VAULNIX_TEST_FORMAT") == "sealed"; }
    ~EngineFixture() override
    {
        Global::StopRequested = 0;
        Global::DialogShred = 0;
        Global::CurrentUserPassword.clear();
    }

    QString path(const QString &relative) const { return tmp.filePath(relative); }
    QString make(const QString &relative, const QByteArray &bytes)
    {
        TestSupport::writeFile(path(relative), bytes);
        return path(relative);
    }
    QByteArray read(const QString &relative) const { return TestSupport::readFile(path(relative)); }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    QStringList tree(const QString &relative) const // files below a folder, relative, sorted
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
    // The message of the VaulnixError that step raises; a failure when it raises none.
    static QString refusal(const std::function<void()> &step)
    {
        try {
            step();
        } catch (const VaulnixError &e) {
            return e.message();
        }
        ADD_FAILURE() << "no VaulnixError";
        return QString();
    }
    static qsizetype openHandles()
    {
        return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System).size();
    }

    static inline const QString Password = QStringLiteral("engine-test");

    QTemporaryDir tmp;
    RecordingPrompt prompt;
    CCipherBlock engine;
    struct
    {
        QStringList named(const QString &kind) const { return lines.filter(kind); }
        QStringList lines;
    } log;
};
