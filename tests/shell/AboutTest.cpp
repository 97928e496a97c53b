#include "core/Global.h"
#include "shell/HTMLLink.h"
#include "shell/frmAbout.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '{' << list.join(", ").toStdString() << '}';
}

void PrintTo(const QColor &colour, std::ostream *out)
{
    *out << colour.name().toStdString();
}

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QColor Purple(128, 0, 128);

QColor colour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

bool underlined(const QLabel *label)
{
    return label->font().underline();
}

// An About window over a stand-in main window; whatever it opens is recorded, not opened.
class About : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Global::AppVersion = "1.0.0";
        HTMLLink::SetOpener([this](const QUrl &url) { opened << url.toString(); });
        QPixmap picture(32, 32);
        picture.fill(Qt::darkRed);
        main.setWindowIcon(QIcon(picture));
        about = new frmAbout(&main);
    }
    void TearDown() override
    {
        delete about;
        HTMLLink::SetOpener({});
    }

    // Through the window system, so the window's own event routing is exercised.
    QPoint centreOf(QWidget *target) { return target->mapTo(about, target->rect().center()); }
    void pointTo(QWidget *target) { QTest::mouseMove(about->windowHandle(), centreOf(target)); }
    void clickOn(QWidget *target)
    {
        QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, centreOf(target));
    }

    QWidget main;
    QPointer<frmAbout> about;
    QStringList opened;
};

} // namespace

TEST_F(About, UpdateOpensThePageForThisVersion)
{
    EXPECT_EQ(about->lblTitle->text(), Global::VersionTitle()) << "as in the title and tray tip";
    about->cmdUpdate->click();
    EXPECT_EQ(opened,
              QStringList{"https://" + frmAbout::UpdateHost + "/update.asp?sid=vlx1&ver=1.0.0"});
}

// Through the window system: one link at a time is highlighted, a click opens it and marks it
// visited, and leaving it (for the other link or the background) turns it blue again.
TEST_F(About, ThePointerHighlightsOneLinkAtATimeAndClicksOpenIt)
{
    about->show();
    ASSERT_TRUE(about->windowHandle());
    for (const QLabel *link : {about->lblQuorvane, about->lblMailTo})
        EXPECT_EQ(colour(link), Blue);
    pointTo(about->lblQuorvane);
    EXPECT_EQ(colour(about->lblQuorvane), Red);
    EXPECT_TRUE(underlined(about->lblQuorvane));
    clickOn(about->lblQuorvane);
    EXPECT_EQ(colour(about->lblQuorvane), Purple);
    pointTo(about->lblMailTo);
    EXPECT_EQ(colour(about->lblMailTo), Red);
    EXPECT_EQ(colour(about->lblQuorvane), Blue);
    EXPECT_FALSE(underlined(about->lblQuorvane));
    QTest::mouseMove(about->windowHandle(), QPoint(2, 2));
    EXPECT_EQ(colour(about->lblMailTo), Blue) << "the window's background";
    clickOn(about->lblMailTo);
    EXPECT_EQ(opened, (QStringList{frmAbout::WebAddress, "mailto:" + frmAbout::MailAddress}));
}
