#include "actions/Actions.h"
#include "core/VaulnixError.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>

using Actions::UserActions;

namespace {

// Stands in for the main window's list: keeps the rows it is given, in order.
class Rows : public ActionRows
{
public:
    void appendRow(const Row &row) override { rows.append(row); }
    void removeRow(const QString &tag) override
    {
        rows.removeIf([&](const Row &row) { return row.Tag == tag; });
    }
    void removeAllRows() override { rows.clear(); }
    QList<Row> rows;
};

class ActionsTest : public ::testing::Test
{
protected:
    ActionsTest()
    {
        Actions::NextActionID = 0;
        UserActions.RemoveAll();
        Actions::SetRows(&list);
    }
    ~ActionsTest() override
    {
        UserActions.RemoveAll();
        Actions::SetRows(nullptr);
    }
    qint32 add(qint16 kind, qint16 shred = 0, qint16 checked = 1)
    {
        return Actions::AddAction(kind, "/b/x.vlx", "x", "/x/", shred, checked, "ran");
    }
    QStringList texts(int i) const
    {
        const ActionRows::Row &r = list.rows[i];
        return {r.Name,  r.BoxFile, r.Action, r.Folder,
                r.Shred, r.LastRan, r.Tag,    r.Checked ? "checked" : "unchecked"};
    }
    Rows list;
};

} // namespace

TEST_F(ActionsTest, EveryActionHasItsRowWithTheTextForms)
{
    EXPECT_EQ(Actions::AddAction(2, "/b/w.vlx", "w", "/w/", 1, -1, "ran"), 0);
    add(1, 0, 0);
    add(7, 2, 1); // unknown codes: no kind, no shredding
    EXPECT_EQ(texts(0),
              (QStringList{"w", "/b/w.vlx", "Extract", "/w/", "Yes", "ran", "0", "checked"}));
    EXPECT_EQ((QStringList{texts(1)[2], texts(1)[4], texts(1)[7], texts(2)[2], texts(2)[4]}),
              (QStringList{"Create", "No", "unchecked", "?", "No"}));
    EXPECT_EQ(Actions::ActionFromText("create"), 0) << "row texts compare exactly";
    EXPECT_EQ(Actions::ShredFromText("yes"), 0);
}

TEST_F(ActionsTest, RemovalShiftsPositionsButKeepsIdsAndRowsOneToOneAndIdsNeverRunOver)
{
    for (int i = 0; i < 4; ++i)
        add(1);
    Actions::RemoveAction(1);
    QStringList ids, tags;
    for (qint32 i = 1; i <= UserActions.Count(); ++i)
        ids << QString::number(UserActions.Item(i)->ID());
    for (const ActionRows::Row &row : list.rows)
        tags << row.Tag;
    EXPECT_EQ(ids, (QStringList{"0", "2", "3"}));
    EXPECT_EQ(tags, ids);
    EXPECT_EQ(Actions::GetAction(2), 2);
    EXPECT_EQ(Actions::GetAction(1), 0);
    EXPECT_EQ(UserActions.Item(QStringLiteral("1")), nullptr);
    EXPECT_EQ(add(1), 4) << "IDs are never reused";
    Actions::RemoveAllActions();
    EXPECT_EQ(UserActions.Count(), 0);
    EXPECT_TRUE(list.rows.isEmpty());

    // Running out of IDs is an error that adds nothing.
    Actions::NextActionID = std::numeric_limits<qint32>::max() - 1;
    add(1);
    EXPECT_THROW(add(1), VaulnixError);
    EXPECT_EQ(UserActions.Count(), 1);
    EXPECT_EQ(list.rows.size(), 1);
}
