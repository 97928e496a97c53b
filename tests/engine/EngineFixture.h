#pragma once

#include "EventLog.h"
#include "TestSupport.h"
#include "engine/CCipherBlock.h"
#include "core/Global.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A temporary folder, an engine with an event log, and clean program-wide flags.
class EngineFixture : public ::testing::Test
{
protected:
    EngineFixture()
        : log(engine)
    {
        Global::StopRequested = 0;
        Global::DialogShred = 0;
        Global::CurrentUserPassword = Password;
    }
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
    // Every file below a folder, relative, sorted.
    QStringList tree(const QString &relative) const;

    static inline const QString Password = QStringLiteral("engine-test");

    QTemporaryDir tmp;
    RecordingPrompt prompt;
    CCipherBlock engine;
    EventLog log;
};
