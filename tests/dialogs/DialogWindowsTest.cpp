#include "TestSupport.h"
#include "core/Global.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct Window
{
    std::unique_ptr<QDialog> dialog;
    QLineEdit *path, *name, *file;
    QCheckBox *shred;
    QPushButton *ok, *autoSet, *browse, *find;
};

enum Press { Ok, AutoSet, Close };

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
    Window open(bool extract)
    {
        if (extract) {
            auto *d = new frmExtractFolder(&main);
            d->show();
            return Window(std::unique_ptr<QDialog>(d), d->txtPath, nullptr, nullptr, d->chkShred,
                          d->cmdOK, d->cmdAuto, d->cmdBrowse, nullptr);
        }
        auto *d = new frmCreateBox(&main);
        d->show();
        return Window(std::unique_ptr<QDialog>(d), d->txtPath, d->txtBoxName, d->txtBoxFile,
                      d->chkShred, d->cmdCreate, d->cmdAuto, d->cmdBrowse, d->cmdFind);
    }

    QWidget main;
    RecordingPrompt prompt;
};

} // namespace

TEST_F(DialogWindows, ConfirmingChecksTheFieldsInOrderAndHandsThemBackAsTheyAre)
{
    const std::tuple<bool, QString, QString, QString, bool, Press, bool, QString> cases[] = {
        // extract, name, box file, folder, shred, press, confirmed, message
        {false, "", "", "", false, Ok, false, "Folder not specified"},
        {false, "n", "", "/data/work", false, Ok, false, "Box file not specified"},
        {false, "", " /boxes/list.vlx ", "/a/one.txt;/b/two.txt", true, Ok, true, {}},
        {true, {}, {}, " /data/with spaces/ ", true, AutoSet, true, {}},
        {true, {}, {}, "/data/elsewhere", false, Close, false, {}},
    };
    for (const auto &[extract, name, file, folder, shred, press, confirmed, message] : cases) {
        SCOPED_TRACE(folder.toStdString());
        fields() = Old;
        prompt.messages.clear();
        const Window w = open(extract);
        for (const auto &[field, text] : {std::pair(w.name, name), std::pair(w.file, file)})
            if (field)
                field->setText(text);
        w.path->setText(folder);
        w.shred->setChecked(shred);
        (extract ? static_cast<QWidget *>(w.shred) : w.name)->setFocus();
        w.autoSet->setVisible(press == AutoSet);
        if (press == Close)
            w.dialog->close();
        else
            (press == Ok ? w.ok : w.autoSet)->click();

        EXPECT_EQ(w.dialog->isVisible(), !message.isEmpty());
        EXPECT_EQ(prompt.messages, message.isEmpty() ? QStringList() : QStringList{message});
        EXPECT_TRUE(message.isEmpty() || w.dialog->focusWidget() == w.path) << "the folder field";
        EXPECT_EQ(fields(), !confirmed ? Old
                                       : Fields(1, extract ? "old name" : name,
                                                extract ? "/old/old.vlx" : file, folder, shred,
                                                press == AutoSet ? -1 : 0));
    }
}

TEST_F(DialogWindows, PickersFillTheirFieldUnlessCancelledAndTheBoxNameKeepsWithin255Bytes)
{
    const auto pick = [](QPushButton *button, QLineEdit *field, const QString &want) {
        button->setFocus();
        button->click();
        EXPECT_EQ(field->text(), want);
        EXPECT_EQ(field->window()->focusWidget(), field);
    };
    prompt.pickerPaths = {"/chosen/new.vlx", "/data/out", {}, {}};
    const Window w = open(false), extract = open(true);
    for (int i = 0; i < 2; ++i) { // the second time both are cancelled
        pick(w.find, w.file, "/chosen/new.vlx");
        pick(extract.browse, extract.path, "/data/out");
    }
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // four bytes, two UTF-16 units
    w.name->setText(face.repeated(64));
    EXPECT_EQ(w.name->text(), face.repeated(63));
    w.name->setText(QString(250, 'a'));
    w.name->setCursorPosition(100);
    w.name->insert("0123456789");
    EXPECT_EQ(w.name->text(), QString(100, 'a') + "01234" + QString(150, 'a'));
    EXPECT_EQ(w.name->cursorPosition(), 105);
}
