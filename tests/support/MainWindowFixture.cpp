#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/Actions.h"
#include "core/Global.h"
#include "profiles/UserManagement.h"

#include <QDir>

MainWindowFixture::MainWindowFixture()
{
    QDir().mkpath(appPath());
    Global::StopRequested = 0;
    Global::DefaultFolder.clear();
    Global::DialogShred = 0; // the engine reads it: a run before may have left it set
}

MainWindowFixture::~MainWindowFixture()
{
    cancelModalChecks();
    main.reset();
    Global::StopRequested = 0;
    Global::CurrentUserName.clear(), Global::CurrentUserPassword.clear();
    Global::DefaultFolder.clear(), Actions::RemoveAllActions();
}

frmMain::Options MainWindowFixture::options(int tray) const
{
    return {appPath(), settingsPath(), tmp.filePath(QStringLiteral("vaulnix.lock")), tray};
}

bool MainWindowFixture::start(int tray)
{
    main = std::make_unique<frmMain>(options(tray));
    return main->Load();
}

void MainWindowFixture::storeSetting(const QString &key, const QString &value)
{
    QSettings(settingsPath(), QSettings::IniFormat).setValue("Settings/" + key, value);
}

QString MainWindowFixture::storedSetting(const QString &key)
{
    return QSettings(settingsPath(), QSettings::IniFormat).value("Settings/" + key).toString();
}

void MainWindowFixture::logOn(const QString &name, const QString &password)
{
    Global::CurrentUserName = name;
    Global::CurrentUserPassword = password;
    Global::DefaultFolder = appPath();
    ASSERT_TRUE(UserManagement::SaveProfile());
}
