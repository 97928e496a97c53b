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
        using E = CCipherBlock;
        QObject::connect(&engine, &E::AddingToBlock,
                         [=, this](const QString &f) { note("AddingToBlock %1", name(f)); });
        QObject::connect(&engine, &E::CreatingBlock, [this] { note("CreatingBlock"); });
        QObject::connect(&engine, &E::BuildingHeader,
                         [this](qint32 i, qint32 n) { note("BuildingHeader %1/%2", i, n); });
        QObject::connect(&engine, &E::CreatingFileBlock, [this] { note("CreatingFileBlock"); });
        QObject::connect(&engine, &E::RemoveDirectory, [this] { note("RemoveDirectory"); });
        QObject::connect(&engine, &E::ShredFile,
                         [=, this](qint32 i, qint32 n, const QString &f, qint32 left, qint32 size) {
                             note("ShredFile %1/%2 %3 %4/%5", i, n, name(f), left, size);
                         });
        QObject::connect(&engine, &E::CipherProgress,
                         [=, this](qint32, qint32 done, qint32 total, qint32 left, qint32 size,
                                   const QString &f) {
                             note("CipherProgress %1/%2 %3/%4 %5", done, total, left, size,
                                  name(f));
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

    template<typename... Args> void note(QString line, const Args &...args)
    {
        ((line = line.arg(args)), ...);
        log.lines << line;
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
