#include "PickerLog.h"
#include "core/Global.h"
#include "dialogs/API.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The create-box or the extraction-folder window, shown over a stand-in main window.
struct Window
{
    template<typename Dialog>
    Window(Dialog *d, QPushButton *confirm)
        : dialog(d)
        , path(d->txtPath)
        , shred(d->chkShred)
        , ok(confirm)
        , autoSet(d->cmdAuto)
        , cancel(d->cmdCancel)
        , browse(d->cmdBrowse)
    {
        d->show();
        EXPECT_TRUE(autoSet->isHidden()) << "only the caller shows Auto-Set";
    }

    std::unique_ptr<QDialog> dialog;
    QLineEdit *path, *name = nullptr, *file = nullptr;
    QCheckBox *shred;
    QPushButton *ok, *autoSet, *cancel, *browse, *find = nullptr;
};

enum Press { Ok, AutoSet, Cancel, Close, Enter };

// The shared dialog fields hold values a window must leave alone unless it is confirmed.
class DialogWindows : public ::testing::Test
{
protected:
    void SetUp() override { resetFields(); }

    static void resetFields()
    {
        Global::DialogResult = 0;
        Global::DialogBoxName = "old name";
        Global::DialogBoxFile = "/old/old.vlx";
        Global::DialogFolder = "/old/folder";
        Global::DialogShred = 1;
        Global::DialogAutoSet = 0;
    }

    static auto fields()
    {
        return std::tuple(Global::DialogResult, Global::DialogBoxName, Global::DialogBoxFile,
                          Global::DialogFolder, Global::DialogShred, Global::DialogAutoSet);
    }

    Window open(bool extract)
    {
        if (extract) {
            auto *d = new frmExtractFolder(&main);
            return Window(d, d->cmdOK);
        }
        auto *d = new frmCreateBox(&main);
        Window w(d, d->cmdCreate);
        std::tie(w.name, w.file, w.find) = std::tuple(d->txtBoxName, d->txtBoxFile, d->cmdFind);
        return w;
    }

    static void expectUntouched()
    {
        const auto now = fields();
        resetFields();
        EXPECT_EQ(now, fields());
    }

    QWidget main;
    PickerLog prompt;
};

} // namespace

TEST_F(DialogWindows, ConfirmingChecksTheFieldsInOrderAndHandsThemBackAsTheyAre)
{
    const std::tuple<bool, QString, QString, QString, bool, Press, bool, QString> cases[] = {
        // extract, name, box file, folder, shred, press, confirmed, message
        {false, "", "", "", false, Ok, false, "Folder not specified"},
        {false, "n", "", "/data/work", false, Ok, false, "Box file not specified"},
        {false, "work", "/boxes/work.vlx", "", false, AutoSet, false, "Folder not specified"},
        {false, "", " /boxes/list.vlx ", "/a/one.txt;/b/two.txt", true, Ok, true, {}},
        {false, "work", "/boxes/work.vlx", "/data/work", false, AutoSet, true, {}},
        {false, "new", "/boxes/new.vlx", "/data/new", true, Cancel, false, {}},
        {false, "new", "/boxes/new.vlx", "/data/new", true, Close, false, {}},
        // Enter walks from the box name to the box file to the folder, and confirms nothing.
        {false, "new", "/boxes/new.vlx", "/data/new", true, Enter, false, {}},
        {true, {}, {}, "", false, Ok, true, {}},
        {true, {}, {}, " /data/with spaces/ ", true, AutoSet, true, {}},
        {true, {}, {}, "/data/proposed", true, Enter, true, {}},
        {true, {}, {}, "/data/elsewhere", false, Cancel, false, {}},
        {true, {}, {}, "/data/elsewhere", false, Close, false, {}},
    };
    int row = 0;
    for (const auto &[extract, name, file, folder, shred, press, confirmed, message] : cases) {
        SCOPED_TRACE(row++);
        resetFields();
        prompt.messages.clear();
        const Window w = open(extract);
        if (!extract) {
            w.name->setText(name);
            w.file->setText(file);
        }
        w.path->setText(folder);
        w.shred->setChecked(shred);
        (extract ? static_cast<QWidget *>(w.shred) : w.name)->setFocus();
        if (press == AutoSet)
            w.autoSet->show();
        if (press == Enter && !extract) {
            QTest::keyClick(w.name, Qt::Key_Return);
            EXPECT_EQ(w.dialog->focusWidget(), w.file);
            QTest::keyClick(w.file, Qt::Key_Enter);
            EXPECT_EQ(w.dialog->focusWidget(), w.path);
        }
        if (press == Enter)
            QTest::keyClick(w.path, Qt::Key_Return);
        else if (press == Close)
            w.dialog->close();
        else
            (press == Ok ? w.ok : press == AutoSet ? w.autoSet : w.cancel)->click();

        EXPECT_EQ(w.dialog->isVisible(), !message.isEmpty() || (press == Enter && !confirmed));
        EXPECT_EQ(prompt.messages, message.isEmpty() ? QStringList() : QStringList{message});
        EXPECT_TRUE(message.isEmpty() || w.dialog->focusWidget() == w.path) << "the folder field";
        if (!confirmed) {
            expectUntouched();
            continue;
        }
        EXPECT_EQ(Global::DialogResult, 1);
        EXPECT_EQ(Global::DialogFolder, folder) << "nothing is trimmed";
        EXPECT_EQ(Global::DialogShred, shred ? 1 : 0);
        EXPECT_EQ(Global::DialogAutoSet, press == AutoSet ? -1 : 0);
        if (!extract) {
            EXPECT_EQ(Global::DialogBoxName, name);
            EXPECT_EQ(Global::DialogBoxFile, file);
        }
    }
}

TEST_F(DialogWindows, PickersFillTheirFieldUnlessCancelledAndFocusIt)
{
    const auto pick = [](QPushButton *button, QLineEdit *field, const QString &want) {
        button->setFocus();
        button->click();
        EXPECT_EQ(field->text(), want);
        EXPECT_EQ(field->window()->focusWidget(), field);
    };
    prompt.pickerPaths = {"/chosen/new.vlx", {}, "/data/chosen", {}, "/data/out", {}};
    const Window create = open(false);
    create.name->setText("work");
    create.file->setText("/boxes/old.vlx");
    pick(create.find, create.file, "/chosen/new.vlx");
    pick(create.find, create.file, "/chosen/new.vlx");
    pick(create.browse, create.path, "/data/chosen");
    pick(create.browse, create.path, "/data/chosen");
    const Window extract = open(true);
    pick(extract.browse, extract.path, "/data/out");
    pick(extract.browse, extract.path, "/data/out");

    // The box file is proposed under the box's name, in the chosen box file's folder.
    const QString save = "Create Box|%1|" + API::BoxFilter + "|" + API::BoxExtension;
    EXPECT_EQ(prompt.calls,
              QStringList({save.arg("/boxes/work.vlx"), save.arg("/chosen/work.vlx"), "|||", "|||",
                           "Select Extraction Folder|||", "Select Extraction Folder|||"}));
    expectUntouched();
}

TEST_F(DialogWindows, TheBoxNameKeepsWithin255Utf8BytesWithoutSplittingACharacter)
{
    const Window w = open(false);
    // A caller's long name loses its end.
    w.name->setText(QString(300, 'a'));
    EXPECT_EQ(w.name->text(), QString(255, 'a'));
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // four bytes, two UTF-16 units
    w.name->setText(face.repeated(64));
    EXPECT_EQ(w.name->text(), face.repeated(63));

    // An edit that does not fit is refused, or shortened where it was made.
    const QString e = QString::fromUtf8("\xC3\xA9"); // two bytes
    w.name->setText(e.repeated(127));
    QTest::sendKeyEvent(QTest::Click, w.name, Qt::Key_Eacute, e, Qt::NoModifier);
    EXPECT_EQ(w.name->text(), e.repeated(127)) << "254 bytes: no room for two more";
    QTest::keyClicks(w.name, "ab");
    EXPECT_EQ(w.name->text(), e.repeated(127) + "a");
    w.name->setText(QString(250, 'a'));
    w.name->setCursorPosition(100);
    w.name->insert("0123456789");
    EXPECT_EQ(w.name->text(), QString(100, 'a') + "01234" + QString(150, 'a'));
    EXPECT_EQ(w.name->cursorPosition(), 105);

    w.name->setText(QString(254, 'n') + QString::fromUtf8("\xE2\x82\xAC"));
    w.file->setText("/boxes/b.vlx");
    w.path->setText("/data/b");
    w.ok->click();
    EXPECT_EQ(Global::DialogBoxName, QString(254, 'n'));
}
