#pragma once

#include "TestSupport.h"
#include "shell/frmMain.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <memory>

// A main window on temporary folders, with scripted message boxes and pickers.
class MainWindowFixture : public ::testing::Test
{
protected:
    MainWindowFixture();
    ~MainWindowFixture() override;

    frmMain::Options options(int tray = 1) const;
    // Creates and loads the window; false when it refused to start.
    bool start(int tray = 1);
    QString settingsPath() const { return tmp.filePath(QStringLiteral("settings.ini")); }
    QString appPath() const { return tmp.filePath(QStringLiteral("app")) + QLatin1Char('/'); }
    void storeSetting(const QString &key, const QString &value);
    QString storedSetting(const QString &key);
    // Logs a new user on with a saved, empty profile.
    void logOn(const QString &name = QStringLiteral("anna"),
               const QString &password = QStringLiteral("pw"));

    QTemporaryDir tmp;
    RecordingPrompt prompt;
    std::unique_ptr<frmMain> main;
};
