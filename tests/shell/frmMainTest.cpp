#include "MainWindowFixture.h"
#include "dialogs/Twips.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "shell/CTray.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace {

class MainWindow : public MainWindowFixture
{
protected:
    QStringList visibleTrayItems()
    {
        main->LayOutTrayMenu();
        QStringList items;
        for (QAction *item : main->mnuPopupItem)
            items << (item->isVisible() ? (item->isSeparator() ? QStringLiteral("-") : item->text())
                                        : QString());
        items.removeAll(QString());
        return items;
    }
};

} // namespace

TEST_F(MainWindow, StartsHiddenAndIdleInTheTray)
{
    storeSetting("Column2", "3000");
    storeSetting("Column3", "wide");
    ASSERT_TRUE(start());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(Global::AppVersion, "1.0.0");
    EXPECT_EQ(Global::AppPath, appPath());
    EXPECT_TRUE(QRegularExpression(R"(^ (0[1-9]|1[0-2]):[0-5]\d (AM|PM): Vaulnix Ready$)")
                    .match(main->lblStatus->text())
                    .hasMatch())
        << main->lblStatus->text().toStdString();
    EXPECT_EQ(main->lblBusy->text(), "OK");
    EXPECT_EQ(main->Tray->shownTip(), "Vaulnix v1.0.0");

    const QHeaderView *header = main->lvMain->header();
    EXPECT_EQ(header->sectionSize(0), Twips::toPixels(2500));
    EXPECT_EQ(header->sectionSize(1), Twips::toPixels(3000)) << "stored";
    EXPECT_EQ(header->sectionSize(2), Twips::toPixels(1000)) << "not a number: the default";
    EXPECT_EQ(main->width(), Twips::toPixels(4000));
    EXPECT_EQ(main->height(), Twips::toPixels(2000));
}

TEST_F(MainWindow, ASecondInstanceIsRefusedAndTouchesNothing)
{
    ASSERT_TRUE(start());
    storeSetting("MainWidth", "5000");
    frmMain second(options());
    EXPECT_FALSE(second.Load());
    EXPECT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(storedSetting("MainWidth"), "5000");
    EXPECT_TRUE(main->Tray->ShowIcon()) << "the first instance keeps its icon";
}

TEST_F(MainWindow, TheCloseButtonHidesAndOnlyExitEnds)
{
    ASSERT_TRUE(start());
    main->show();
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(main->isClosed());
    EXPECT_TRUE(storedSetting("MainWidth").isEmpty()) << "hiding saves nothing";

    main->show();
    main->mnuFileItem_Click(5);
    EXPECT_TRUE(main->isClosed());
    EXPECT_EQ(storedSetting("MainWidth"),
              QString::number(qRound(Twips::fromPixels(main->frameGeometry().width()))));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(Global::StopRequested, 1);
}

TEST_F(MainWindow, ExitDuringARunAsksAndLeavesTheClosingToTheRun)
{
    ASSERT_TRUE(start());
    main->BusyFlag = true;
    prompt.answers = {Prompt::No, Prompt::Yes};
    main->CloseProgram();
    EXPECT_EQ(prompt.messages, QStringList{"Cancel current process?"});
    EXPECT_FALSE(main->isClosed());
    EXPECT_EQ(Global::StopRequested, 0);

    main->CloseProgram();
    EXPECT_EQ(Global::StopRequested, 1);
    EXPECT_FALSE(main->isClosed()) << "the run stops first, then closes the program";
    main->BusyFlag = false;
    main->CloseProgram();
    EXPECT_TRUE(main->isClosed());
    EXPECT_EQ(prompt.messages.size(), 2);
}

TEST_F(MainWindow, TrayMenuFollowsLoginAndVisibility)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(visibleTrayItems(), (QStringList{"&Login...", "-", "&Remove Vaulnix"}));
    logOn();
    EXPECT_EQ(visibleTrayItems(), (QStringList{"&Show", "-", "&Run Actions", "-", "Startup Actions",
                                               "Shutdown Actions", "-", "&Remove Vaulnix"}));
    main->Tray_LButtonDblClick();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(visibleTrayItems(), (QStringList{"&Hide", "-", "&Run Actions", "-", "Startup Actions",
                                               "Shutdown Actions", "-", "&Remove Vaulnix"}));
    main->mnuPopupItem_Click(1);
    EXPECT_FALSE(main->isVisible());

    main->mnuPopupItem_Click(3);
    EXPECT_FALSE(main->Timer->isActive()) << "nothing to run";
    Actions::AddAction(1, "b.vlx", "b", "/x", 0, 1, "");
    main->mnuPopupItem_Click(3);
    EXPECT_TRUE(main->Timer->isActive());
}

TEST_F(MainWindow, DoubleClickDoesNothingWithNobodyLoggedOn)
{
    ASSERT_TRUE(start());
    main->Tray->mouseMessage(515);
    EXPECT_FALSE(main->isVisible());
    logOn();
    main->showMinimized();
    main->Tray->mouseMessage(515);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
}

TEST_F(MainWindow, TipTextIsCutToItsField)
{
    ASSERT_TRUE(start());
    main->Tray->TipText(QString(70, 'x'));
    EXPECT_EQ(main->Tray->shownTip(), QString(64, 'x'));
    main->Tray->TipText("short");
    EXPECT_EQ(main->Tray->shownTip(), "short");
    EXPECT_EQ(main->Tray->TipText(), QString("short") + QChar(0) + QString(58, ' '));
    main->SetIcon(1);
    EXPECT_EQ(main->Tray->shownTip(), "Vaulnix v1.0.0 (Busy)");
}

TEST_F(MainWindow, WithoutATrayTheWindowShowsAndClosingEnds)
{
    ASSERT_TRUE(start(0));
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->mnuLogin->isVisible());
    main->close();
    EXPECT_TRUE(main->isClosed());
}

TEST_F(MainWindow, LayoutFollowsTheWindowSize)
{
    ASSERT_TRUE(start());
    main->show();
    main->resize(Twips::toPixels(9000), Twips::toPixels(6000));
    QCoreApplication::processEvents();
    const int w = main->frameGeometry().width();
    const int h = main->frameGeometry().height();
    EXPECT_EQ(main->lvMain->width(), w - Twips::toPixels(150));
    EXPECT_EQ(main->lvMain->height(), h - Twips::toPixels(975));
    EXPECT_EQ(main->lblBusy->x(), w - Twips::toPixels(780));
    EXPECT_EQ(main->lblStatus->width(), w - Twips::toPixels(855));
    EXPECT_EQ(main->lblBusy->y(), main->lblStatus->y());
}

TEST_F(MainWindow, MenuKeys)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(main->mnuFileItem[0]->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(main->mnuFileItem[1]->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(main->mnuActionsItem[0]->shortcut(), QKeySequence("F5"));
    EXPECT_FALSE(main->mnuActionsItem[6]->isVisible()) << "Count Actions is hidden";
}
