#include "MainWindowFixture.h"
#include "dialogs/Twips.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "core/Global.h"
#include "shell/CTray.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>

namespace {

class MainWindow : public MainWindowFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    QStringList visibleTrayItems(bool layOut = false)
    {
        if (layOut)
            main->LayOutTrayMenu();
        QStringList items;
        for (QAction *item : main->mnuPopupItem)
            if (item->isVisible())
                items << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return items;
    }
};

} // namespace

TEST_F(MainWindow, ASecondInstanceIsRefusedAndTouchesNothing)
{
    storeSetting("MainWidth", "5000");
    frmMain second(options());
    EXPECT_FALSE(second.Load());
    EXPECT_EQ(std::tuple(prompt.messages.size(), storedSetting("MainWidth")),
              std::tuple(qsizetype(1), QString("5000")));
    EXPECT_TRUE(main->Tray->ShowIcon()) << "the first instance keeps its icon";
}

// Closing for real once the run has stopped is the run safety test's.
TEST_F(MainWindow, ExitDuringARunAsksButTheSessionsEndDoesNot)
{
    main->BusyFlag = true;
    prompt.answers = {Prompt::No};
    main->CloseProgram();
    EXPECT_EQ(std::tuple(prompt.messages, Global::StopRequested.load()),
              std::tuple(QStringList{"Cancel current process?"}, 0));
    main->EndSession(); // the run stops first, then closes the program
    EXPECT_EQ(std::tuple(Global::StopRequested.load(), main->isClosed(), prompt.messages.size()),
              std::tuple(1, false, qsizetype(1)));
    main->BusyFlag = false;
}

// Current before it opens: a StatusNotifierItem host reads it without asking for a layout. Hide
// from the menu is the SNI check's, which hides the window so before showing it again.
TEST_F(MainWindow, TrayMenuFollowsLoginAndVisibility)
{
    const QStringList out{"&Login...", "-", "&Remove Vaulnix"};
    EXPECT_EQ(visibleTrayItems(), out);
    main->Tray->mouseMessage(515);
    EXPECT_FALSE(main->isVisible()) << "a double click with nobody logged on";
    logOn();
    const QStringList rest{"-", "&Run Actions",   "-", "S&tartup Actions", "Shut&down Actions",
                           "-", "&Remove Vaulnix"};
    EXPECT_EQ(visibleTrayItems(true), QStringList{"&Show"} + rest);
    main->Tray->mouseMessage(515);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(visibleTrayItems(), QStringList{"&Hide"} + rest);
    main->hide();
    EXPECT_EQ(visibleTrayItems().value(0), "&Show");
    main->mnuPopupItem_Click(3);
    EXPECT_FALSE(main->Timer->isActive()) << "nothing to run";
    Actions::AddAction(1, "b.vlx", "b", "/x", 0, 1, "");
    main->mnuPopupItem_Click(3);
    EXPECT_TRUE(main->Timer->isActive());
    main->Timer->stop();
    main->Logoff();
    EXPECT_EQ(visibleTrayItems(), out);
}

TEST_F(MainWindowFixture, ATrayThatAppearsLaterTakesTheWindowWhenClosed)
{
    ASSERT_TRUE(start(0));
    EXPECT_TRUE(main->mnuLogin->isVisible());
    emit main->Tray->trayAppeared();
    EXPECT_FALSE(main->mnuLogin->isVisible());
    main->close(); // only hides the window into the new tray
    EXPECT_EQ(std::tuple(main->isClosed(), main->isVisible()), std::tuple(false, false));
}

TEST_F(MainWindow, LayoutFollowsTheWindowSize)
{
    main->show();
    main->resize(Twips::toPixels(9000), Twips::toPixels(6000));
    QCoreApplication::processEvents();
    const int w = main->frameGeometry().width(), h = main->frameGeometry().height();
    const auto gap = [](int twips) { return Twips::toPixels(twips); };
    EXPECT_EQ(std::tuple(w - main->lvMain->width(), h - main->lvMain->height(),
                         w - main->lblBusy->x(), w - main->lblStatus->width(), main->lblBusy->y()),
              std::tuple(gap(150), gap(975), gap(780), gap(855), main->lblStatus->y()));
}
