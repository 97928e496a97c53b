#include "actions/Actions.h"
#include "RecordingRows.h"
#include "core/VaulnixError.h"

#include <gtest/gtest.h>

#include <limits>

using Actions::UserActions;

namespace {

class ActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Actions::NextActionID = 0;
        UserActions.RemoveAll();
    }
    void TearDown() override { UserActions.RemoveAll(); }

    qint32 add(qint16 kind, qint16 shred = 0, qint16 checked = 1)
    {
        return Actions::AddAction(kind, QStringLiteral("/b/x.vlx"), QStringLiteral("x"),
                                  QStringLiteral("/x/"), shred, checked, QStringLiteral("ran"));
    }

    QStringList actionIds() const
    {
        QStringList ids;
        for (qint32 i = 1; i <= UserActions.Count(); ++i)
            ids.append(QString::number(UserActions.Item(i)->ID()));
        return ids;
    }

    RecordingRows list;
};

} // namespace

TEST_F(ActionsTest, AddActionAppendsTheActionAndItsRow)
{
    EXPECT_EQ(Actions::AddAction(2, QStringLiteral("/b/w.vlx"), QStringLiteral("w"),
                                 QStringLiteral("/w/"), 1, -1, QStringLiteral("ran")),
              0);
    const CAction *a = UserActions.Item(QStringLiteral("0"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, UserActions.Item(1));
    EXPECT_EQ(a->Action(), 2);
    EXPECT_EQ(a->BoxFile(), QStringLiteral("/b/w.vlx"));
    EXPECT_EQ(a->BoxName(), QStringLiteral("w"));
    EXPECT_EQ(a->Folder(), QStringLiteral("/w/"));
    EXPECT_EQ(a->Shred(), 1);
    EXPECT_EQ(a->Checked(), -1);
    EXPECT_EQ(a->LastRan(), QStringLiteral("ran"));

    ASSERT_EQ(list.rows.size(), 1);
    const ActionRows::Row &row = list.rows[0];
    const QStringList texts = {row.Name,  row.BoxFile, row.Action, row.Folder,
                               row.Shred, row.LastRan, row.Tag};
    EXPECT_EQ(texts, QStringList({"w", "/b/w.vlx", "Extract", "/w/", "Yes", "ran", "0"}));
    EXPECT_TRUE(row.Checked);
    // A position, not the ID.
    EXPECT_EQ(Actions::GetAction(0), 1);
}

TEST_F(ActionsTest, OddKindAndShredValuesHaveTheirTextForms)
{
    add(1, 0, 0);
    add(0, -1, -1);
    add(7, 2, 1);
    add(-1, 1, 3);
    QStringList kinds, shreds;
    QList<bool> checks;
    for (const ActionRows::Row &row : list.rows) {
        kinds.append(row.Action);
        shreds.append(row.Shred);
        checks.append(row.Checked);
    }
    EXPECT_EQ(kinds, QStringList({"Create", "?", "?", "?"}));
    EXPECT_EQ(shreds, QStringList({"No", "No", "No", "Yes"}));
    EXPECT_EQ(checks, QList<bool>({false, true, true, true}));

    EXPECT_EQ(Actions::ActionFromText(QStringLiteral("Extract")), 2);
    EXPECT_EQ(Actions::ActionFromText(QStringLiteral("create")), 0);
    EXPECT_EQ(Actions::ShredFromText(QStringLiteral("yes")), 0);
    EXPECT_TRUE(Actions::IsFileList(QStringLiteral("/a/x.txt;")));
    EXPECT_FALSE(Actions::IsFileList(QStringLiteral("/a/")));
}

TEST_F(ActionsTest, RemovalShiftsPositionsButKeepsIdsAndRowsOneToOne)
{
    for (int i = 0; i < 4; ++i)
        add(1);
    Actions::RemoveAction(1);
    EXPECT_EQ(actionIds(), QStringList({"0", "2", "3"}));
    EXPECT_EQ(list.tags(), actionIds());
    EXPECT_EQ(Actions::GetAction(2), 2);
    EXPECT_EQ(Actions::GetAction(1), 0);
    EXPECT_EQ(UserActions.Item(QStringLiteral("2")), UserActions.Item(2));
    EXPECT_EQ(UserActions.Item(QStringLiteral("1")), nullptr);
    EXPECT_EQ(UserActions.Item(0), nullptr);
    EXPECT_EQ(UserActions.Item(4), nullptr);
    // IDs are never reused.
    EXPECT_EQ(add(1), 4);

    Actions::RemoveAllActions();
    EXPECT_EQ(UserActions.Count(), 0);
    EXPECT_TRUE(list.rows.isEmpty());
    UserActions.RemoveAll();
    EXPECT_EQ(UserActions.Count(), 0);
}

TEST_F(ActionsTest, RunningOutOfIdsIsAnErrorThatAddsNothing)
{
    constexpr qint32 last = std::numeric_limits<qint32>::max();
    Actions::NextActionID = last - 1;
    EXPECT_EQ(add(1), last - 1);
    EXPECT_THROW(add(1), VaulnixError);
    EXPECT_EQ(UserActions.Count(), 1);
    EXPECT_EQ(list.rows.size(), 1);
    EXPECT_EQ(Actions::NextActionID, last);
}
