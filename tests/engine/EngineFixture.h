#pragma once

#include "TestSupport.h"
#include "core/Global.h"
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// Records the engine's signals as short text lines, in the order they arrive.
class EventLog
{
public:
    explicit EventLog(CCipherBlock &engine);
    QStringList named(const QString &prefix) const;

    QStringList lines;
    QList<qint32> rates;
};

// A temporary folder, an engine with an event log, and clean program-wide flags.
class EngineFixture : public ::testing::Test
{
protected:
    EngineFixture();
    ~EngineFixture() override;

    QString path(const QString &relative) const { return tmp.filePath(relative); }
    QString make(const QString &relative, const QByteArray &bytes)
    {
        TestSupport::writeFile(path(relative), bytes);
        return path(relative);
    }
    QByteArray read(const QString &relative) const { return TestSupport::readFile(path(relative)); }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    // Every file below a folder, relative, sorted.
    QStringList tree(const QString &relative) const;
    // The message of the VaulnixError that step raises; a failure when it raises none.
    static QString refusal(const std::function<void()> &step);
    static qsizetype openHandles();

    static inline const QString Password = QStringLiteral("engine-test");

    QTemporaryDir tmp;
    RecordingPrompt prompt;
    CCipherBlock engine;
    EventLog log;
};
