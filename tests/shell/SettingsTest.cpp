#include "MainWindowFixture.h"
#include "dialogs/Twips.h"

#include "core/Global.h"
#include "profiles/UserManagement.h"
#include "shell/AutostartEntry.h"
#include "shell/frmSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {

class Settings : public MainWindowFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(start()); }

    struct Calls
    {
        int saves = 0;
        QStringList statuses;
    };
    // Opens the settings window on the current default folder, types text and presses OK.
    Calls pressOk(const QString &text)
    {
        Calls calls;
        frmSettings dialog(
            {[&] { ++calls.saves; }, [&](const QString &s) { calls.statuses << s; }});
        dialog.txtPath->setText(text);
        dialog.cmdOK_Click();
        return calls;
    }
};

} // namespace

TEST_F(Settings, OkStoresTheFolderWithItsSeparatorAndCreatesIt)
{
    const QString folder = tmp.filePath("new/deeper/Boxes");
    Global::DefaultFolder = appPath();
    Calls calls = pressOk(folder);
    EXPECT_EQ(Global::DefaultFolder, folder + "/");
    EXPECT_EQ(calls.saves, 1);
    EXPECT_EQ(calls.statuses, QStringList{"Settings Saved"});
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(Global::DialogResult, 1);

    calls = pressOk(folder + "/");
    EXPECT_EQ(calls.saves, 0) << "no change: nothing stored";
    EXPECT_TRUE(calls.statuses.isEmpty());

    calls = pressOk(folder);
    EXPECT_EQ(calls.saves, 1) << "the missing separator counts as a change";

    calls = pressOk("");
    EXPECT_EQ(Global::DefaultFolder, "/");
}

TEST_F(Settings, CancelAndBrowseKeepTheFolder)
{
    Global::DefaultFolder = appPath();
    frmSettings dialog({[] {}, [](const QString &) {}});
    dialog.txtPath->setText(Global::DefaultFolder);
    prompt.pickerPaths = {tmp.filePath("chosen")};
    dialog.cmdBrowse_Click();
    EXPECT_EQ(dialog.txtPath->text(), tmp.filePath("chosen"));
    prompt.pickerPaths = {QString()};
    dialog.cmdBrowse_Click();
    EXPECT_EQ(dialog.txtPath->text(), tmp.filePath("chosen")) << "cancelled picker";
    dialog.cmdCancel_Click();
    EXPECT_EQ(Global::DefaultFolder, appPath());
    EXPECT_EQ(Global::DialogResult, 0);
}

TEST_F(Settings, SaveSettingsWritesNothingWhileMaximized)
{
    main->show();
    main->resize(400, 300);
    main->SaveSettings();
    const QString width = storedSetting("MainWidth");
    EXPECT_EQ(width, QString::number(qRound(Twips::fromPixels(main->frameGeometry().width()))));
    EXPECT_FALSE(QFileInfo::exists(appPath() + "anna.vlu")) << "nobody logged on: no profile";

    logOn();
    main->showMaximized();
    ASSERT_TRUE(main->isMaximized());
    QFile::remove(appPath() + "anna.vlu");
    main->SaveSettings();
    EXPECT_EQ(storedSetting("MainWidth"), width);
    EXPECT_TRUE(QFileInfo::exists(appPath() + "anna.vlu")) << "the profile is saved all the same";
}

TEST_F(Settings, CreatePathMakesEveryMissingLevel)
{
    EXPECT_TRUE(Global::CreatePath(tmp.filePath("a/b/c/")));
    EXPECT_TRUE(QFileInfo(tmp.filePath("a/b/c")).isDir());
    EXPECT_TRUE(Global::CreatePath(tmp.filePath("a/b/c/")));
    EXPECT_TRUE(Global::CreatePath(tmp.filePath("x/file.txt")));
    EXPECT_TRUE(QFileInfo(tmp.filePath("x")).isDir());
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("x/file.txt")));
    TestSupport::writeFile(tmp.filePath("plain"), "");
    EXPECT_FALSE(Global::CreatePath(tmp.filePath("plain/sub/")));
}

TEST_F(Settings, StartAtLoginWritesAndRemovesTheAutostartEntryOnOkOnly)
{
    struct ConfigHome
    {
        QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        explicit ConfigHome(const QString &folder) { qputenv("XDG_CONFIG_HOME", folder.toUtf8()); }
        ~ConfigHome()
        {
            saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
        }
    } configHome(tmp.filePath("config"));
    const QString entry = tmp.filePath("config/autostart/") + AutostartEntry::FileName;
    const auto setBox = [](bool ticked, bool ok) {
        frmSettings dialog({[] {}, [](const QString &) {}});
        dialog.chkStartAtLogin->setChecked(ticked);
        ok ? dialog.cmdOK_Click() : dialog.cmdCancel_Click();
    };

    setBox(true, false);
    EXPECT_FALSE(QFileInfo::exists(entry)) << "Cancel changes nothing";
    setBox(true, true);
    ASSERT_TRUE(QFileInfo::exists(entry));
    const QString text = QString::fromUtf8(TestSupport::readFile(entry));
    EXPECT_TRUE(text.contains("\nExec=" + QCoreApplication::applicationFilePath() + "\n"))
        << text.toStdString();
    {
        frmSettings dialog({[] {}, [](const QString &) {}});
        EXPECT_TRUE(dialog.chkStartAtLogin->isChecked()) << "the box shows the entry";
    }
    setBox(false, false);
    EXPECT_TRUE(QFileInfo::exists(entry)) << "Cancel changes nothing";
    setBox(false, true);
    EXPECT_FALSE(QFileInfo::exists(entry));
}
