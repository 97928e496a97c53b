#include "TestSupport.h"
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

// Also records each picker call as "title|start|filter|extension".
struct PickerLog : RecordingPrompt
{
    QString saveFileName(const QString &title, const QString &start, const QString &filter,
                         const QString &extension) override
    {
        calls.append(QStringList{title, start, filter, extension}.join(QLatin1Char('|')));
        return RecordingPrompt::saveFileName(title, start, filter, extension);
    }
    QString folder(const QString &title, const QString &start) override
    {
        calls.append(title + "|" + start + "||");
        return RecordingPrompt::folder(title, start);
    }
    QStringList calls;
};

// The create-box or the extraction-folder window, shown over a stand-in main window.
struct Window
{
    std::unique_ptr<QDialog> dialog;
    QLineEdit *path, *name, *file;
    QCheckBox *shred;
    QPushButton *ok, *autoSet, *cancel, *browse, *find;
};

enum Press { Ok, AutoSet, Cancel, Close, Enter };

// The shared dialog fields, which a window must leave as they were unless it is confirmed.
auto fields()
{
    return std::tie(Global::DialogResult, Global::DialogBoxName, Global::DialogBoxFile,
                    Global::DialogFolder, Global::DialogShred, Global::DialogAutoSet);
}
using Fields = std::tuple<qint16, QString, QString, QString, qint16, qint16>;
const Fields Old{0, "old name", "/old/old.vlx", "/old/folder", 1, 0};

class DialogWindows : public ::testing::Test
{
protected:
    void SetUp() override { fields() = Old; }

    template<typename Dialog>
    static Window show(Dialog *d, QPushButton *ok, QLineEdit *name = nullptr,
                       QLineEdit *file = nullptr, QPushButton *find = nullptr)
    {
        d->show();
        EXPECT_TRUE(d->cmdAuto->isHidden()) << "only the caller shows Auto-Set";
        return Window(std::unique_ptr<QDialog>(d), d->txtPath, name, file, d->chkShred, ok,
                      d->cmdAuto, d->cmdCancel, d->cmdBrowse, find);
    }
    Window open(bool extract)
    {
        if (extract) {
            auto *d = new frmExtractFolder(&main);
            return show(d, d->cmdOK);
        }
        auto *d = new frmCreateBox(&main);
        return show(d, d->cmdCreate, d->txtBoxName, d->txtBoxFile, d->cmdFind);
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
        // Enter walks from the box name to the box file to the folder, and confirms nothing.
        {false, "new", "/boxes/new.vlx", "/data/new", true, Enter, false, {}},
        {true, {}, {}, "", false, Ok, true, {}},
        {true, {}, {}, " /data/with spaces/ ", true, AutoSet, true, {}},
        {true, {}, {}, "/data/proposed", true, Enter, true, {}},
        {true, {}, {}, "/data/elsewhere", false, Close, false, {}},
    };
    int row = 0;
    for (const auto &[extract, name, file, folder, shred, press, confirmed, message] : cases) {
        SCOPED_TRACE(row++);
        fields() = Old;
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
        EXPECT_EQ(fields(), !confirmed ? Old
                                       : Fields(1, extract ? "old name" : name,
                                                extract ? "/old/old.vlx" : file, folder, shred,
                                                press == AutoSet ? -1 : 0));
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
    prompt.pickerPaths = {"/chosen/new.vlx", "/data/chosen", {}, {}, "/data/out", {}};
    const Window create = open(false);
    create.name->setText("work");
    create.file->setText("/boxes/old.vlx");
    for (int i = 0; i < 2; ++i) {
        pick(create.find, create.file, "/chosen/new.vlx");
        pick(create.browse, create.path, "/data/chosen");
    }
    const Window extract = open(true);
    pick(extract.browse, extract.path, "/data/out");
    pick(extract.browse, extract.path, "/data/out");

    // The box file is proposed under the box's name, in the chosen box file's folder.
    const QString save = "Create Box|%1|" + API::BoxFilter + "|" + API::BoxExtension;
    EXPECT_EQ(prompt.calls,
              QStringList({save.arg("/boxes/work.vlx"), "|||", save.arg("/chosen/work.vlx"), "|||",
                           "Select Extraction Folder|||", "Select Extraction Folder|||"}));
}

TEST_F(DialogWindows, TheBoxNameKeepsWithin255Utf8BytesWithoutSplittingACharacter)
{
    const Window w = open(false);
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // four bytes, two UTF-16 units
    w.name->setText(face.repeated(64));
    EXPECT_EQ(w.name->text(), face.repeated(63));

    // An edit that does not fit is refused, or shortened where it was made.
    const QString e = QString::fromUtf8("\xC3\xA9"); // two bytes
    w.name->setText(e.repeated(127));
    QTest::sendKeyEvent(QTest::Click, w.name, Qt::Key_Eacute, e, Qt::NoModifier);
    EXPECT_EQ(w.name->text(), e.repeated(127)) << "254 bytes: no room for two more";
    w.name->setText(QString(250, 'a'));
    w.name->setCursorPosition(100);
    w.name->insert("0123456789");
    EXPECT_EQ(w.name->text(), QString(100, 'a') + "01234" + QString(150, 'a'));
    EXPECT_EQ(w.name->cursorPosition(), 105);
}
