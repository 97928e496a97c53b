#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "actions/ActionListEvents.h"
#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "actions/BoxFlows.h"
#include "actions/frmBlock.h"
#include "core/Global.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"
#include "engine/CCipherBlock.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

class BoxContents : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start());
        logOn();
        Global::DefaultFolder = tmp.filePath("boxes") + "/";
        Global::DialogAutoSet = 0;
    }

    QString folder(const QString &relative, int files = 1)
    {
        for (int i = 0; i < files; ++i)
            TestSupport::writeFile(tmp.filePath(relative + QStringLiteral("/f%1.txt").arg(i)),
                                   QByteArray(i + 1, 'x'));
        return tmp.filePath(relative);
    }
    QString box(const QString &name, const QString &source)
    {
        const QString path = tmp.filePath(name);
        EXPECT_EQ(main->Vaulnix->CreateBlock(path, QFileInfo(source).fileName(), "pw", source, 0),
                  CCipherBlock::Written);
        return path;
    }
    ActionListEvents &events() { return main->listEvents(); }
    ActionListView &list() { return *main->lvMain; }
    void select(int row)
    {
        list().clearSelection();
        list().setCurrentItem(list().row(row));
    }
    QStringList popupItems()
    {
        EXPECT_TRUE(events().LayOutPopup());
        QStringList items;
        for (QAction *item : main->mnuPopupListViewItem) {
            if (item->isVisible())
                items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        return items;
    }
};

} // namespace

TEST_F(BoxContents, ProposalsForFoldersRootsAndBoxes)
{
    whenModal<frmCreateBox>([](frmCreateBox *w) {
        EXPECT_EQ(w->txtBoxName->text(), "Reports");
        EXPECT_FALSE(w->cmdAuto->isVisible()) << "one item: no Auto-Set";
        w->cmdCreate_Click();
    });
    main->flows().NewBoxFromFolder(tmp.filePath("work/Reports"), 1);
    ASSERT_EQ(Actions::UserActions.Count(), 1);
    EXPECT_EQ(Actions::UserActions.Item(1)->BoxFile(), tmp.filePath("boxes/Reports.vlx"));

    prompt.pickerPaths = {"/"};
    whenModal<frmCreateBox>([](frmCreateBox *w) {
        EXPECT_EQ(w->txtBoxName->text(), "Untitled");
        w->cmdCreate_Click();
    });
    main->mnuFileItem_Click(0);
    EXPECT_EQ(Actions::UserActions.Item(2)->BoxFile(), tmp.filePath("boxes/untitled.vlx"));

    const QString reports = box("r.vlx", folder("src/Reports"));
    prompt.pickerPaths = {reports};
    whenModal<frmExtractFolder>([&](frmExtractFolder *w) {
        EXPECT_EQ(w->txtPath->text(), tmp.filePath("boxes/Reports"));
        EXPECT_EQ(w->txtPath->selectedText(), w->txtPath->text());
        w->cmdOK_Click();
    });
    main->mnuFileItem_Click(1);
    ASSERT_EQ(Actions::UserActions.Count(), 3);
    EXPECT_EQ(Actions::UserActions.Item(3)->BoxName(), "Reports");

    // A box that does not open with the user's password adds no action, and says so.
    const QString other = tmp.filePath("other.vlx");
    ASSERT_EQ(main->Vaulnix->CreateBlock(other, "O", "not-pw", folder("O"), 0),
              CCipherBlock::Written);
    main->flows().AddExtractAction(other, 1);
    EXPECT_EQ(Actions::UserActions.Count(), 3);
    EXPECT_EQ(prompt.messages.filter(other).size(), 1);
}

TEST_F(BoxContents, ADropMakesActionsInOrderAndAutoSetSkipsTheRest)
{
    const QString one = folder("drop/One");
    const QString two = folder("drop/Two");
    const QString three = folder("drop/Three");
    const QString boxed = box("Boxed.VLX", folder("src/Boxed"));
    TestSupport::writeFile(tmp.filePath("drop/ignored.txt"), "plain");

    whenModal<frmCreateBox>([&](frmCreateBox *w) {
        EXPECT_TRUE(w->cmdAuto->isVisibleTo(w)) << "several items: Auto-Set offered";
        w->chkShred->setChecked(true);
        whenModal<frmCreateBox>([](frmCreateBox *second) { second->cmdCreate_Click(); });
        w->cmdCreate_Click();
    });
    whenModal<frmExtractFolder>([](frmExtractFolder *w) { w->cmdOK_Click(); });
    events().lvMain_OLEDragDrop({one, tmp.filePath("drop/ignored.txt"), two, boxed});
    ASSERT_EQ(list().rowCount(), 3);
    EXPECT_EQ((QStringList{list().row(0)->text(ActionListView::ShredColumn),
                           list().row(1)->text(ActionListView::NameColumn),
                           list().row(2)->text(ActionListView::ActionColumn)}),
              (QStringList{"Yes", "Two", "Extract"}));

    // Auto-Set in the first dialog spares the others theirs; the next new box asks again.
    Actions::RemoveAllActions();
    whenModal<frmCreateBox>([](frmCreateBox *w) { w->cmdAuto_Click(); });
    events().lvMain_OLEDragDrop({one, two, three});
    ASSERT_EQ(list().rowCount(), 3);
    EXPECT_EQ(Actions::UserActions.Item(3)->Folder(), three);
    whenModal<frmCreateBox>([](frmCreateBox *w) { w->cmdCancel_Click(); });
    main->flows().NewBoxFromFolder(one, 1);
    EXPECT_EQ(list().rowCount(), 3) << "asked, and cancelled";
}

TEST_F(BoxContents, PopupOffersWhatTheRowAllows)
{
    Actions::AddAction(1, "/b/a.vlx", "a", "/a", 0, 1, "");
    Actions::AddAction(1, "/b/l.vlx", "l", "/x.txt;/y.txt", 1, 1, "");
    Actions::AddAction(2, "/b/e.vlx", "e", "/e", 0, 1, "");
    Actions::AddAction(2, "/b/f.vlx", "f", "/x.txt;", 0, 1, "");
    list().clearSelection();
    list().setCurrentItem(nullptr);
    EXPECT_FALSE(events().LayOutPopup()) << "no row selected";
    const QStringList offers[] = {{"&Extract", "-", "&Remove", "&Shred"},
                                  {"&Remove", "&Shred"},
                                  {"&Create", "-", "&View Contents", "-", "&Remove", "&Shred"},
                                  {"&Create", "&View Contents", "&Remove", "&Shred"}};
    for (int row = 0; row < 4; ++row) {
        select(row);
        EXPECT_EQ(popupItems(), offers[row]) << row;
        EXPECT_EQ(main->mnuPopupListViewItem[6]->isChecked(), row == 1) << row;
    }

    select(2);
    events().mnuPopupListViewItem_Click(0);
    EXPECT_EQ(Actions::UserActions.Item(3)->Action(), 1);
    events().mnuPopupListViewItem_Click(6);
    EXPECT_EQ(list().row(2)->text(ActionListView::ShredColumn), "Yes");
    events().mnuPopupListViewItem_Click(6);
    EXPECT_EQ(Actions::UserActions.Item(3)->Shred(), 0);
}

TEST_F(BoxContents, SortingFlipsAndRemovingASortedRowRemovesItsAction)
{
    Actions::AddAction(1, "/b/2.vlx", "x", "/x", 0, 1, "");
    Actions::AddAction(1, "/b/3.vlx", "y", "/y", 0, 1, "");
    Actions::AddAction(1, "/b/1.vlx", "z", "/z", 0, 1, "");
    const auto boxFiles = [&] {
        QStringList files;
        for (int i = 0; i < list().rowCount(); ++i)
            files << list().row(i)->text(ActionListView::BoxFileColumn);
        return files;
    };
    const QStringList up{"/b/1.vlx", "/b/2.vlx", "/b/3.vlx"};
    for (const QStringList &order : {up, {up[2], up[1], up[0]}, up}) {
        list().ColumnClick(ActionListView::BoxFileColumn);
        EXPECT_EQ(boxFiles(), order);
    }
    list().ColumnClick(ActionListView::BoxFileColumn);
    list().ColumnClick(ActionListView::NameColumn);
    EXPECT_EQ(list().sortOrderNow(), Qt::AscendingOrder) << "a new column starts ascending";

    // Sorted by name: row 1 is "y", the second action in the collection.
    select(1);
    events().mnuPopupListViewItem_Click(5);
    ASSERT_EQ(Actions::UserActions.Count(), 2);
    EXPECT_EQ(std::tuple(Actions::UserActions.Item(1)->BoxName(),
                         Actions::UserActions.Item(2)->BoxName()),
              std::tuple(QString("x"), QString("z")));
    EXPECT_EQ(boxFiles(), (QStringList{"/b/2.vlx", "/b/1.vlx"}));

    // New rows go to their sorted place.
    Actions::AddAction(1, "/b/0.vlx", "a", "/a", 0, 1, "");
    EXPECT_EQ(list().row(0)->text(ActionListView::NameColumn), "a");
}

TEST_F(BoxContents, DoubleClickEditsThroughTheBoxDialogs)
{
    Actions::AddAction(1, "/b/a.vlx", "a", "/x.txt;/y.txt", 0, 1, "");
    Actions::AddAction(2, "/b/e.vlx", "e", "/e", 0, 1, "");
    select(0);
    whenModal<frmCreateBox>([](frmCreateBox *w) {
        EXPECT_FALSE(w->cmdBrowse->isVisibleTo(w));
        EXPECT_FALSE(w->cmdAuto->isVisibleTo(w));
        w->txtBoxName->setText("renamed");
        w->chkShred->setChecked(true);
        w->cmdCreate_Click();
    });
    events().lvMain_DblClick();
    EXPECT_EQ(std::tuple(list().row(0)->text(ActionListView::NameColumn),
                         Actions::UserActions.Item(1)->Shred()),
              std::tuple(QString("renamed"), qint16(1)));

    select(1);
    for (const bool ok : {false, true}) { // cancel changes nothing
        whenModal<frmExtractFolder>([ok](frmExtractFolder *w) {
            w->txtPath->setText("/elsewhere");
            ok ? w->cmdOK_Click() : w->cmdCancel_Click();
        });
        events().lvMain_DblClick();
        const QString folder = ok ? "/elsewhere" : "/e";
        EXPECT_EQ(Actions::UserActions.Item(2)->Folder(), folder);
        EXPECT_EQ(list().row(1)->text(ActionListView::FolderColumn), folder);
    }
}

TEST_F(BoxContents, TheContentsWindowListsSizesAndExtractsExactlyTheChosenFiles)
{
    EXPECT_EQ(frmBlock::sizeText(1023), "1,023 bytes");
    EXPECT_EQ(frmBlock::sizeText(1024), "1.0 Kb");
    EXPECT_EQ(frmBlock::sizeText(1048576), "1.00 Mb");

    const QString path = box("five.vlx", folder("Five", 5));
    TestSupport::writeFile(tmp.filePath("Five/sub/b"), QByteArray(2000, 'b'));
    const QString withSub = box("sub.vlx", tmp.filePath("Five"));
    whenModal<frmBlock>([](frmBlock *w) {
        EXPECT_EQ(w->lblName->text() + " | " + w->lblMsg->text(),
                  "Box Name: Five | Files: 6        Size: 2.0 Kb");
        EXPECT_EQ(w->lvFiles->topLevelItem(5)->text(0) + " " + w->lvFiles->topLevelItem(5)->text(1),
                  "sub\\b 2,000");
        w->reject();
    });
    main->flows().ViewBox(withSub, tmp.filePath("out"));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("out")));

    const QString out = tmp.filePath("out");
    whenModal<frmBlock>([](frmBlock *w) {
        w->cmdExtract_Click();
        EXPECT_TRUE(w->isVisible()) << "nothing selected: the window stays";
        w->lvFiles->topLevelItem(1)->setSelected(true);
        w->lvFiles->topLevelItem(4)->setSelected(true);
        w->cmdExtract_Click();
    });
    main->flows().ViewBox(path, out);
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"f1.txt", "f4.txt"}));
    EXPECT_TRUE(main->lblStatus->text().contains(": Extracted 2 files in "));
    EXPECT_EQ(main->lblBusy->text(), "OK");

    whenModal<frmBlock>([](frmBlock *w) { w->cmdExtractAll_Click(); });
    main->flows().ViewBox(path, out);
    EXPECT_TRUE(main->Timer->isActive()) << "Extract All starts a run";
}
