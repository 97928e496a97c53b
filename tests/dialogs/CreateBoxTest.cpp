#include "PickerLog.h"
#include "QtPrint.h"
#include "dialogs/API.h"
#include "dialogs/frmCreateBox.h"
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

// A shown create-box window over a stand-in main window; the shared dialog fields hold values
// the window must leave alone unless it is confirmed.
class CreateBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QPixmap picture(16, 16);
        picture.fill(Qt::darkGreen);
        main.setWindowIcon(QIcon(picture));
        Global::DialogResult = 0;
        Global::DialogBoxName = "old name";
        Global::DialogBoxFile = "/old/old.vlx";
        Global::DialogFolder = "/old/folder";
        Global::DialogShred = 0;
        Global::DialogAutoSet = 0;
        dialog = std::make_unique<frmCreateBox>(&main);
        dialog->show();
    }

    void fill(const QString &name, const QString &file, const QString &folder)
    {
        dialog->txtBoxName->setText(name);
        dialog->txtBoxFile->setText(file);
        dialog->txtPath->setText(folder);
    }

    void expectUntouched()
    {
        EXPECT_EQ(Global::DialogBoxName, "old name");
        EXPECT_EQ(Global::DialogBoxFile, "/old/old.vlx");
        EXPECT_EQ(Global::DialogFolder, "/old/folder");
        EXPECT_EQ(Global::DialogShred, 0);
        EXPECT_EQ(Global::DialogAutoSet, 0);
    }

    QWidget *focused() const { return dialog->focusWidget(); }
    QString name() const { return dialog->txtBoxName->text(); }

    QWidget main;
    PickerLog prompt;
    std::unique_ptr<frmCreateBox> dialog;
};

using BoxNameLimit = CreateBox;

} // namespace

TEST_F(CreateBox, ShowsItsFixedTexts)
{
    EXPECT_EQ(dialog->windowTitle(), "Create Box");
    EXPECT_EQ(dialog->windowIcon().cacheKey(), main.windowIcon().cacheKey());
    EXPECT_EQ(dialog->findChild<QGroupBox *>()->title(), "Vaulnix Properties");
    EXPECT_EQ(dialog->Label6->text(), "Box &Name:");
    EXPECT_EQ(dialog->Label1->text(),
              "Enter a name for your box. This is used to reference the contents of your box.");
    EXPECT_EQ(dialog->Label7->text(), "Box File:");
    EXPECT_EQ(dialog->Label5->text(),
              "Select a location and name for your box file. This file will contain the "
              "encrypted contents of of the Folder To Box property below.");
    EXPECT_EQ(dialog->lblBoxType->text(), "Folder To Box:");
    EXPECT_EQ(dialog->lblTypeDesc->text(), "Select a folder to box. The contents of this folder "
                                           "will be stored in the box file selected above.");
    EXPECT_EQ(dialog->chkShred->text(), "Shred original files if box is created without errors.");
    EXPECT_EQ(dialog->cmdFind->text() + dialog->cmdBrowse->text(), "......");
    EXPECT_EQ(dialog->cmdCreate->text(), "OK");
    EXPECT_EQ(dialog->cmdAuto->text(), "Auto-Set");
    EXPECT_EQ(dialog->cmdCancel->text(), "Cancel");
    EXPECT_TRUE(dialog->cmdAuto->isHidden()) << "only the caller shows Auto-Set";
}

TEST_F(CreateBox, ChecksTheFolderFirstAndAlwaysFocusesIt)
{
    dialog->txtBoxName->setFocus();
    dialog->cmdCreate_Click();
    EXPECT_EQ(prompt.messages, QStringList{"Folder not specified"}) << "box file empty as well";
    EXPECT_EQ(prompt.titles, QStringList{"Vaulnix"});
    EXPECT_EQ(focused(), dialog->txtPath);

    dialog->txtPath->setText("/data/work");
    dialog->txtBoxFile->setFocus();
    dialog->cmdCreate_Click();
    EXPECT_EQ(prompt.messages.last(), "Box file not specified");
    EXPECT_EQ(focused(), dialog->txtPath) << "the folder field, not the box file field";

    EXPECT_TRUE(dialog->isVisible()) << "the window stays open";
    EXPECT_EQ(Global::DialogResult, 0);
    expectUntouched();
}

TEST_F(CreateBox, OkHandsTheFieldsBackAsTheyAre)
{
    fill("", " /boxes/list.vlx ", "/a/one.txt;/b/two.txt");
    dialog->chkShred->setChecked(true);
    dialog->cmdCreate->click();
    EXPECT_TRUE(prompt.messages.isEmpty()) << "an empty name is accepted";
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::DialogBoxName, "");
    EXPECT_EQ(Global::DialogBoxFile, " /boxes/list.vlx ") << "nothing is trimmed";
    EXPECT_EQ(Global::DialogFolder, "/a/one.txt;/b/two.txt");
    EXPECT_EQ(Global::DialogShred, 1);
    EXPECT_EQ(Global::DialogAutoSet, 0) << "only Auto-Set sets it";
}

TEST_F(CreateBox, AutoSetChecksAndClosesLikeOkAndSetsTheFlag)
{
    Global::DialogShred = 1;
    dialog->cmdAuto->show();
    fill("work", "/boxes/work.vlx", "");
    dialog->cmdAuto_Click();
    EXPECT_EQ(prompt.messages, QStringList{"Folder not specified"});
    EXPECT_EQ(Global::DialogAutoSet, 0);

    dialog->txtPath->setText("/data/work");
    dialog->cmdAuto->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Global::DialogResult, 1);
    EXPECT_EQ(Global::DialogAutoSet, -1);
    EXPECT_EQ(Global::DialogBoxName, "work");
    EXPECT_EQ(Global::DialogBoxFile, "/boxes/work.vlx");
    EXPECT_EQ(Global::DialogFolder, "/data/work");
    EXPECT_EQ(Global::DialogShred, 0) << "unchecked is written as 0";
}

TEST_F(CreateBox, CancelAndTheCloseBoxHandNothingBack)
{
    fill("new", "/boxes/new.vlx", "/data/new");
    dialog->chkShred->setChecked(true);
    Global::DialogResult = 1;
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Global::DialogResult, 0) << "Cancel answers 0 itself";
    expectUntouched();

    frmCreateBox other(&main);
    other.show();
    other.txtPath->setText("/data/new");
    other.txtBoxFile->setText("/boxes/new.vlx");
    other.close();
    EXPECT_EQ(Global::DialogResult, 0);
    expectUntouched();
}

TEST_F(CreateBox, FindProposesTheNameInTheBoxFilesFolder)
{
    fill("work", "/boxes/old.vlx", "/data/work");
    prompt.pickerPaths = {"/chosen/new.vlx", QString()};
    dialog->cmdFind->click();
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].title, "Create Box");
    EXPECT_EQ(prompt.calls[0].startPath, "/boxes/work.vlx");
    EXPECT_EQ(prompt.calls[0].filter, API::BoxFilter);
    EXPECT_EQ(prompt.calls[0].defaultExtension, "vlx");
    EXPECT_EQ(dialog->txtBoxFile->text(), "/chosen/new.vlx");
    EXPECT_EQ(focused(), dialog->txtBoxFile);

    dialog->txtBoxName->setFocus();
    dialog->cmdFind_Click();
    EXPECT_EQ(prompt.calls[1].startPath, "/chosen/work.vlx");
    EXPECT_EQ(dialog->txtBoxFile->text(), "/chosen/new.vlx") << "cancelled: unchanged";
    EXPECT_EQ(focused(), dialog->txtBoxFile) << "focused all the same";
}

TEST_F(CreateBox, BrowseFillsTheFolderUnlessCancelled)
{
    fill("work", "/boxes/work.vlx", "/data/old");
    prompt.pickerPaths = {"/data/chosen", QString()};
    dialog->cmdBrowse->click();
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].title, "");
    EXPECT_EQ(dialog->txtPath->text(), "/data/chosen");

    dialog->txtBoxName->setFocus();
    dialog->cmdBrowse_Click();
    EXPECT_EQ(dialog->txtPath->text(), "/data/chosen");
    EXPECT_EQ(focused(), dialog->txtPath);
    EXPECT_EQ(Global::DialogResult, 0) << "choosing is not confirming";
}

TEST_F(CreateBox, EnterWalksFromNameToBoxFileToFolderWithoutConfirming)
{
    fill("work", "/boxes/work.vlx", "/data/work");
    dialog->txtBoxName->setFocus();
    QTest::keyClick(dialog->txtBoxName, Qt::Key_Return);
    EXPECT_EQ(focused(), dialog->txtBoxFile);
    QTest::keyClick(dialog->txtBoxFile, Qt::Key_Enter);
    EXPECT_EQ(focused(), dialog->txtPath);
    QTest::keyClick(dialog->txtPath, Qt::Key_Return);
    EXPECT_EQ(focused(), dialog->txtPath);
    dialog->txtBoxName_KeyPress(Qt::Key_A);
    EXPECT_EQ(focused(), dialog->txtPath) << "other keys move nothing";

    EXPECT_TRUE(dialog->isVisible()) << "Enter presses no button";
    EXPECT_EQ(Global::DialogResult, 0);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(BoxNameLimit, ACallersLongNameLosesItsEndButNoCharacterIsSplit)
{
    dialog->txtBoxName->setText(QString(300, 'a'));
    EXPECT_EQ(name(), QString(255, 'a'));

    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // four bytes, two UTF-16 units
    dialog->txtBoxName->setText(face.repeated(64));
    EXPECT_EQ(name(), face.repeated(63));

    fill(QString(254, 'n') + QString::fromUtf8("\xE2\x82\xAC"), "/boxes/b.vlx", "/data/b");
    dialog->cmdCreate_Click();
    EXPECT_EQ(Global::DialogBoxName, QString(254, 'n'));
}

TEST_F(BoxNameLimit, AnEditThatDoesNotFitIsRefusedOrShortenedWhereItWasMade)
{
    const QString e = QString::fromUtf8("\xC3\xA9"); // two bytes
    dialog->txtBoxName->setText(e.repeated(127));
    QTest::sendKeyEvent(QTest::Click, dialog->txtBoxName, Qt::Key_Eacute, e, Qt::NoModifier);
    EXPECT_EQ(name(), e.repeated(127)) << "254 bytes: no room for two more";
    QTest::keyClicks(dialog->txtBoxName, "ab");
    EXPECT_EQ(name(), e.repeated(127) + "a");

    dialog->txtBoxName->setText(QString(250, 'a'));
    dialog->txtBoxName->setCursorPosition(100);
    dialog->txtBoxName->insert("0123456789");
    EXPECT_EQ(name(), QString(100, 'a') + "01234" + QString(150, 'a'));
    EXPECT_EQ(dialog->txtBoxName->cursorPosition(), 105);
    QTest::keyClicks(dialog->txtBoxName, "x");
    EXPECT_EQ(name(), QString(100, 'a') + "01234" + QString(150, 'a'));
}
