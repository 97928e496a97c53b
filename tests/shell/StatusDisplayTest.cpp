#include "MainWindowFixture.h"

#include "core/Global.h"
#include "shell/PictureBox.h"
#include "shell/StatusDisplay.h"

#include <QLabel>

namespace {

class StatusLine : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start());
        Global::ScanFileCount = 0;
    }
    StatusDisplay &display() { return main->status(); }
    QString busy() const { return main->lblBusy->text(); }
    QString status() const { return main->lblStatus->text(); }
};

} // namespace

TEST_F(StatusLine, StampsTheTimeOnTheTwelveHourClock)
{
    display().setClock([] { return QTime(9, 41); });
    main->SetStatus("Vaulnix Ready");
    EXPECT_EQ(status(), " 09:41 AM: Vaulnix Ready");
    display().setClock([] { return QTime(22, 5); });
    main->SetStatus("Settings Saved");
    EXPECT_EQ(status(), " 10:05 PM: Settings Saved");
    display().setClock([] { return QTime(0, 7); });
    main->SetStatus("x");
    EXPECT_EQ(status(), " 12:07 AM: x");
    EXPECT_EQ(StatusDisplay::timeStamp(QTime(13, 0), QLocale(QLocale::German)), "01:00 PM");

    main->SetTitle("");
    EXPECT_EQ(main->windowTitle(), "Vaulnix v1.0.0 - ");
    main->SetTitle("anna");
    EXPECT_EQ(main->windowTitle(), "Vaulnix v1.0.0 - anna");
}

TEST_F(StatusLine, BusyIndicatorFollowsSetIcon)
{
    ASSERT_FALSE(display().picture(0).isNull());
    ASSERT_FALSE(display().picture(1).isNull());
    EXPECT_NE(display().picture(0).toImage(), display().picture(1).toImage());
    main->SetIcon(1);
    EXPECT_EQ(busy(), "");
    EXPECT_EQ(main->lblBusy->toolTip(), "Busy");
    EXPECT_EQ(main->lblBusy->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(main->pic->picture().toImage(), display().picture(1).toImage());
    main->SetIcon(0);
    EXPECT_EQ(busy(), "OK");
    EXPECT_EQ(main->pic->picture().toImage(), display().picture(0).toImage());
}

TEST_F(StatusLine, ScanCountsFilesWithDigitGrouping)
{
    display().AddingToBlock();
    EXPECT_EQ(busy(), "SCAN");
    EXPECT_EQ(status(), " Files in Box: 1");
    main->lblBusy->setText("x");
    for (int i = 0; i < 1233; ++i)
        display().AddingToBlock();
    EXPECT_EQ(busy(), "x") << "SCAN only for the first file";
    EXPECT_EQ(status(), " Files in Box: 1,234");
}

TEST_F(StatusLine, BuildingHeaderWritesEachPercentageOnceExceptZero)
{
    display().BuildingHeader(1, 3);
    EXPECT_EQ(status(), " Building Header...");
    EXPECT_EQ(busy(), "33%");
    main->lblBusy->setText("x");
    display().BuildingHeader(1, 3);
    EXPECT_EQ(busy(), "x") << "same percentage: not written again";
    display().BuildingHeader(3, 3);
    EXPECT_EQ(busy(), "100%");

    display().BuildingHeader(1, 1000); // 0%
    EXPECT_EQ(busy(), "0%");
    main->lblBusy->setText("x");
    display().BuildingHeader(2, 1000);
    EXPECT_EQ(busy(), "0%") << "0% is written every time";
}

TEST_F(StatusLine, CipherProgressShowsThePreviousPercentage)
{
    main->lblStatus->resize(400, main->lblStatus->height());
    display().CipherProgress(50, 200, "/data/first.txt");
    EXPECT_EQ(busy(), "0%");
    EXPECT_EQ(status(), " first.txt");
    display().CipherProgress(100, 200, "/data/first.txt");
    EXPECT_EQ(busy(), "25%");
    display().CipherProgress(200, 200, "/data/2003");
    EXPECT_EQ(busy(), "50%");
    EXPECT_EQ(status(), " first.txt") << "a name that reads as a number leaves the line";
    display().CipherProgress(200, 200, "/data/2026-12-06");
    EXPECT_EQ(status(), " first.txt") << "a name that reads as a date leaves the line";
    display().CipherProgress(200, 200, "/data/second");
    EXPECT_EQ(status(), " second");
    EXPECT_EQ(busy(), "100%");
}

TEST_F(StatusLine, ShreddingShowsTheFileShareAndPath)
{
    display().ShredFile(3, 4, "/data/c.txt");
    EXPECT_EQ(busy(), "75%");
    EXPECT_EQ(status(), " Shredding: /data/c.txt");
}

TEST_F(StatusLine, AutoSizeCaptionCutsToTheLabelWidth)
{
    QLabel label;
    label.resize(label.fontMetrics().horizontalAdvance("abcdefghij..."), 20);
    const int width = label.width();
    label.setProperty("tag", QString("abcdefghijklmnopqrstuvwxyz"));
    StatusDisplay::AutoSizeCaption(&label);
    EXPECT_EQ(label.text(), "abcdefghij...");
    EXPECT_EQ(label.width(), width);

    label.setProperty("tag", QString("short"));
    StatusDisplay::AutoSizeCaption(&label);
    EXPECT_EQ(label.text(), "short");
    label.setProperty("tag", QString("12.5"));
    StatusDisplay::AutoSizeCaption(&label);
    EXPECT_EQ(label.text(), "short");
    label.setProperty("tag", QString("W"));
    label.resize(1, 20);
    StatusDisplay::AutoSizeCaption(&label);
    EXPECT_EQ(label.text(), "W") << "one character is shown whole";
}

TEST_F(StatusLine, EngineEventsReachTheDisplay)
{
    emit main->Vaulnix->CreatingBlock();
    EXPECT_TRUE(status().endsWith(": Creating Box..."));
    emit main->Vaulnix->ShredFile(1, 2, "/a", 0, 1);
    EXPECT_EQ(busy(), "50%");
}
