#include "MainWindowFixture.h"

#include "core/Global.h"
#include "shell/PictureBox.h"
#include "shell/StatusDisplay.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

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

TEST_F(StatusLine, StampsTheTimeShowsBusyOrIdleAndTheEnginesProgress)
{
    for (const auto &[time, stamp] : {std::pair{QTime(9, 41), " 09:41 AM: x"},
                                      {QTime(22, 5), " 10:05 PM: x"},
                                      {QTime(0, 7), " 12:07 AM: x"}}) {
        display().setClock([time] { return time; });
        main->SetStatus("x");
        EXPECT_EQ(status(), stamp);
    }
    EXPECT_EQ(StatusDisplay::timeStamp(QTime(13, 0), QLocale(QLocale::German)), "01:00 PM");
    for (const auto &[icon, text] : {std::pair(1, ""), std::pair(0, "OK")}) {
        main->SetIcon(icon);
        EXPECT_EQ(busy(), text);
        EXPECT_EQ(main->pic->picture().toImage() == display().picture(1).toImage(), icon == 1);
    }

    // The engine's events: counts with digit grouping, each percentage written once (0% every
    // time), shredding as a share of files, the previous cipher percentage, numeric names
    // skipped, names cut to the label's width.
    display().AddingToBlock();
    EXPECT_EQ(busy(), "SCAN");
    main->lblBusy->setText("x");
    for (int i = 0; i < 1233; ++i)
        display().AddingToBlock();
    EXPECT_EQ(busy() + status(), "x Files in Box: 1,234") << "SCAN only for the first file";

    display().BuildingHeader(1, 3);
    EXPECT_EQ(busy(), "33%");
    main->lblBusy->setText("x");
    display().BuildingHeader(1, 3);
    EXPECT_EQ(busy(), "x") << "same percentage: not written again";
    display().BuildingHeader(1, 1000);
    main->lblBusy->setText("x");
    display().BuildingHeader(2, 1000);
    EXPECT_EQ(busy(), "0%") << "0% is written every time";

    emit main->Vaulnix->ShredFile(3, 4, "/data/c.txt", 0, 1);
    EXPECT_EQ(busy() + status(), "75% Shredding: /data/c.txt");

    main->lblStatus->resize(400, main->lblStatus->height());
    display().CipherProgress(50, 200, "/data/first.txt");
    display().CipherProgress(100, 200, "/data/first.txt");
    EXPECT_EQ(busy(), "25%");
    for (const char *name : {"/data/2003", "/data/2026-12-06"}) {
        display().CipherProgress(200, 200, name);
        EXPECT_EQ(status(), " first.txt") << name << " reads as a number or date";
    }

    // A caption too wide for its label is cut to fit.
    QLabel label;
    label.resize(label.fontMetrics().horizontalAdvance("abcdefghij..."), 20);
    const auto caption = [&label](const QString &tag) {
        label.setProperty("tag", tag);
        StatusDisplay::AutoSizeCaption(&label);
        return label.text();
    };
    EXPECT_EQ(caption("abcdefghijklmnopqrstuvwxyz"), "abcdefghij...");
    label.resize(1, 20);
    EXPECT_EQ(caption("W"), "W") << "one character is shown whole";
}

// The contrast of two colours as WCAG rates graphics against their background (3 is its floor).
static double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

TEST_F(StatusLine, TheTrayIconsShackleShowsOnDarkAndLightPanels)
{
    for (int icon : {0, 1}) {
        for (const char *panel : {"#2b3036", "#000000", "#3b6e8f", "#eeeeee", "#ffffff"}) {
            QImage shot(24, 24, QImage::Format_ARGB32);
            shot.fill(QColor(panel));
            QPainter painter(&shot);
            display().icon(icon).paint(&painter, shot.rect());
            painter.end();
            double best = 0; // the shackle fills the top third, above the body
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 24; ++x)
                    best = std::max(best, contrast(shot.pixelColor(x, y), QColor(panel)));
            EXPECT_GE(best, 3.0) << "icon " << icon << " on " << panel;
        }
    }
}
