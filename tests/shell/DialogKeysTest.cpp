#include "TestHost.h"
#include "TestSupport.h"
#include "core/Global.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"
#include "profiles/frmPassword.h"
#include "shell/frmSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// Run twice: with the generic theme, and under Xvfb with the GNOME (gtk3) platform theme, where
// Enter presses whatever button has the focus.
namespace {

class DialogKeys : public ::testing::Test
{
protected:
    DialogKeys()
    {
        qputenv("XDG_CONFIG_HOME", tmp.path().toUtf8()); // the autostart entry stays here
        Global::DialogResult = 0;
    }
    // Shows the window, puts the focus on widget and presses key there.
    static void press(QWidget &window, QWidget *widget, Qt::Key key)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        widget->setFocus();
        QTest::keyClick(widget, key);
    }
    QTemporaryDir tmp;
    RecordingPrompt prompt;
    TestHost host;
};

} // namespace

TEST_F(DialogKeys, EnterInTheFieldOrOnTheCheckBoxConfirmsSettingsWithoutTicking)
{
    QCheckBox bare; // the theme asked for is in force: GNOME's lets Enter tick a bare check box
    press(bare, &bare, Qt::Key_Return);
    ASSERT_EQ(bare.isChecked(), qgetenv("QT_QPA_PLATFORMTHEME") == "gtk3");
    for (int on = 0; on < 4; ++on) { // the folder, the check box, OK; Escape on the check box
        frmSettings dialog({[] {}, [](const QString &) {}});
        dialog.txtPath->setText(tmp.path() + "/Boxes");
        const bool ticked = dialog.chkStartAtLogin->isChecked();
        QWidget *targets[] = {dialog.txtPath, dialog.chkStartAtLogin, dialog.cmdOK,
                              dialog.chkStartAtLogin};
        press(dialog, targets[on], on < 3 ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(
            std::tuple(Global::DialogResult, dialog.result(), dialog.chkStartAtLogin->isChecked()),
            std::tuple(qint16(on < 3), on < 3 ? QDialog::Accepted : QDialog::Rejected, ticked))
            << on;
        Global::DialogResult = 0;
    }
}

TEST_F(DialogKeys, CreateBoxWalksTheFieldsThenConfirmsFromTheFolderTheCheckBoxOrOk)
{
    for (int on = 0; on < 3; ++on) {
        frmCreateBox dialog;
        dialog.txtBoxName->setText("n");
        dialog.txtBoxFile->setText("/b/n.vlx");
        dialog.txtPath->setText("/data");
        press(dialog, dialog.txtBoxName, Qt::Key_Return);
        EXPECT_EQ(dialog.focusWidget(), dialog.txtBoxFile);
        QTest::keyClick(dialog.txtBoxFile, Qt::Key_Enter);
        EXPECT_EQ(dialog.focusWidget(), dialog.txtPath);
        EXPECT_EQ(Global::DialogResult, 0);
        QWidget *targets[] = {dialog.txtPath, dialog.chkShred, dialog.cmdCreate};
        press(dialog, targets[on], Qt::Key_Return);
        EXPECT_EQ(std::tuple(Global::DialogResult, Global::DialogShred), std::tuple(1, 0))
            << on << ": Enter on the check box must not tick it";
        Global::DialogResult = 0;
    }
    frmCreateBox dialog;
    press(dialog, dialog.chkShred, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(DialogKeys, EveryOtherDialogConfirmsWithEnterAndCancelsWithEscape)
{
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmExtractFolder dialog;
        press(dialog, dialog.chkShred, key);
        EXPECT_EQ(dialog.result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(Global::DialogShred, 0);
    }
    // The About window closes with Escape in the keyboard script, which has to close it anyway.
    frmPassword dialog(host);
    press(dialog, dialog.txtPassword, Qt::Key_Return);
    EXPECT_EQ(prompt.messages, QStringList{"No user selected."}) << "Enter pressed OK";
    QTest::keyClick(dialog.txtPassword, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}
