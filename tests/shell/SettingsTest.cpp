#include "MainWindowFixture.h"
#include "dialogs/Twips.h"

#include "core/Global.h"
#include "shell/AutostartEntry.h"
#include "shell/frmSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

namespace {

class Settings : public MainWindowFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    // Sets a check box of the settings and closes them with OK or Cancel; returns what it showed.
    bool setBox(QCheckBox *frmSettings::*box, bool ticked, bool ok)
    {
        frmSettings dialog({[] {}, [](const QString &) {}, [this] { return main->WriteSealed(); },
                            [this](bool sealed) { main->SetWriteSealed(sealed); }});
        const bool shown = (dialog.*box)->isChecked();
        (dialog.*box)->setChecked(ticked);
        ok ? dialog.cmdOK_Click() : dialog.cmdCancel_Click();
        return shown;
    }
};

} // namespace

// The folder is stored with its separator and created; no change stores nothing.
TEST_F(Settings, OkStoresTheFolderWithItsSeparatorAndCreatesIt)
{
    const QString folder = tmp.filePath("new/deeper/Boxes");
    Global::DefaultFolder = appPath();
    int saves = 0;
    for (const QString &text : {folder, folder + "/", folder}) {
        frmSettings dialog({[&saves] { ++saves; }, [](const QString &) {}});
        dialog.txtPath->setText(text);
        dialog.cmdOK_Click();
    }
    // Only a changed folder is stored; a missing separator is a change.
    EXPECT_EQ(std::tuple(Global::DefaultFolder, QFileInfo(folder).isDir(), saves),
              std::tuple(folder + "/", true, 2));
    TestSupport::writeFile(tmp.filePath("plain"), "");
    EXPECT_FALSE(Global::CreatePath(tmp.filePath("plain/sub/")));
}

TEST_F(Settings, SaveSettingsWritesNoSizeWhileMaximized)
{
    main->show();
    main->resize(400, 300);
    main->SaveSettings();
    const QString width = storedSetting("MainWidth");
    EXPECT_EQ(width, QString::number(qRound(Twips::fromPixels(main->frameGeometry().width()))));
    logOn();
    main->showMaximized();
    ASSERT_TRUE(main->isMaximized());
    QFile::remove(appPath() + "anna.vlu");
    main->SaveSettings();
    EXPECT_EQ(storedSetting("MainWidth"), width);
    EXPECT_TRUE(QFileInfo::exists(appPath() + "anna.vlu")) << "the profile is saved all the same";
}

TEST_F(Settings, StartAtLoginAndWriteSealedBoxesTakeEffectOnOkOnly)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", tmp.filePath("config").toUtf8());
    const QString entry = tmp.filePath("config/autostart/") + AutostartEntry::FileName;
    const auto box = &frmSettings::chkStartAtLogin;
    setBox(box, true, false);
    EXPECT_FALSE(QFileInfo::exists(entry)) << "Cancel changes nothing";
    setBox(box, true, true);
    EXPECT_TRUE(QString::fromUtf8(TestSupport::readFile(entry))
                    .contains("\nExec=" + QCoreApplication::applicationFilePath() + "\n"));
    EXPECT_TRUE(setBox(box, false, false)) << "the box shows the entry";
    EXPECT_TRUE(QFileInfo::exists(entry)) << "Cancel changes nothing";
    setBox(box, false, true);
    EXPECT_FALSE(QFileInfo::exists(entry));
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);

    // Write sealed boxes: kept in the settings store.
    const auto sealed = &frmSettings::chkSealed;
    EXPECT_FALSE(setBox(sealed, true, false)) << "off by default";
    EXPECT_FALSE(main->WriteSealed()) << "Cancel changes nothing";
    setBox(sealed, true, true);
    EXPECT_EQ(storedSetting("WriteSealedBoxes"), "true");
    EXPECT_TRUE(setBox(sealed, false, true) && !main->WriteSealed());
}
