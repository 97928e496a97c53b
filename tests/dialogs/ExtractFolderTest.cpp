#include "PickerLog.h"
#include "QtPrint.h"
#include "dialogs/frmExtractFolder.h"
#include "core/Global.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A shown extraction-folder window as a caller prepares it for a new extract action.
class ExtractFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QPixmap picture(16, 16);
        picture.fill(Qt::darkBlue);
        main.setWindowIcon(QIcon(picture));
        Global::DialogResult = 0;
        Global::DialogFolder = "/old/folder";
        Global::DialogShred = 1;
        Global::DialogAutoSet = 0;
        dialog = std::make_unique<frmExtractFolder>(&main);
        dialog->txtPath->setText("/data/proposed");
        dialog->show();
    }

    QWidget main;
    PickerLog prompt;
    std::unique_ptr<frmExtractFolder> dialog;
};

} // namespace

TEST_F(ExtractFolder, ShowsItsFixedTexts)
{
    EXPECT_EQ(dialog->windowTitle(), "Select Extraction Folder...");
    EXPECT_EQ(dialog->windowIcon().cacheKey(), main.windowIcon().cacheKey());
    EXPECT_EQ(dialog->findChild<QGroupBox *>()->title(), "Extraction Folder");
    EXPECT_EQ(dialog->Label1->text(), "Extract the contents of the box into the following folder:");
    EXPECT_EQ(dialog->chkShred->text(), "Shred box after extraction without errors.");
    EXPECT_EQ(dialog->cmdBrowse->text(), "...");
    EXPECT_EQ(dialog->cmdOK->text(), "OK");
    EXPECT_EQ(dialog->cmdAuto->text(), "Auto-Set");
    EXPECT_EQ(dialog->cmdCancel->text(), "Cancel");
    EXPECT_TRUE(dialog->cmdAuto->isHidden()) << "only the caller shows Auto-Set";
}

TEST_F(ExtractFolder, OkAcceptsEvenAnEmptyFolder)
{
    dialog->txtPath->clear();
    dialog->cmdOK->click();
    EXPECT_TRUE(prompt.messages.isEmpty()) << "nothing is checked";
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::DialogFolder, "");
    EXPECT_EQ(Global::DialogShred, 0);
    EXPECT_EQ(Global::DialogAutoSet, 0);
}

TEST_F(ExtractFolder, EnterConfirmsAndAutoSetAlsoSetsTheFlag)
{
    dialog->chkShred->setChecked(true);
    QTest::keyClick(dialog->txtPath, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::DialogFolder, "/data/proposed");
    EXPECT_EQ(Global::DialogShred, 1);
    EXPECT_EQ(Global::DialogAutoSet, 0);

    frmExtractFolder other(&main);
    other.txtPath->setText(" /data/with spaces/ ");
    other.cmdAuto->show();
    other.cmdAuto->click();
    EXPECT_EQ(Global::DialogAutoSet, -1);
    EXPECT_EQ(Global::DialogFolder, " /data/with spaces/ ") << "handed back unchanged";
    EXPECT_EQ(Global::DialogShred, 0);
}

TEST_F(ExtractFolder, CancelAndTheCloseBoxChangeNothing)
{
    dialog->txtPath->setText("/data/elsewhere");
    dialog->chkShred->setChecked(false);
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());

    frmExtractFolder other(&main);
    other.show();
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_FALSE(other.isVisible());

    EXPECT_EQ(Global::DialogResult, 0);
    EXPECT_EQ(Global::DialogFolder, "/old/folder");
    EXPECT_EQ(Global::DialogShred, 1);
    EXPECT_EQ(Global::DialogAutoSet, 0);
}

TEST_F(ExtractFolder, BrowseFillsTheFolderUnlessCancelled)
{
    prompt.pickerPaths = {"/data/chosen", QString()};
    dialog->cmdBrowse->click();
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].title, "Select Extraction Folder");
    EXPECT_EQ(dialog->txtPath->text(), "/data/chosen");

    dialog->chkShred->setFocus();
    dialog->cmdBrowse_Click();
    EXPECT_EQ(dialog->txtPath->text(), "/data/chosen") << "cancelled: unchanged";
    EXPECT_EQ(dialog->focusWidget(), dialog->txtPath) << "focused all the same";
    EXPECT_EQ(Global::DialogResult, 0);
}
