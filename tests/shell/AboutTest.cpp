#include "core/Global.h"
#include "shell/HTMLLink.h"
#include "shell/frmAbout.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

// Through the window system: the update button opens this version's page, one link at a time is
// highlighted, a click opens it and marks it visited, and leaving it turns it blue again; the
// keyboard and a screen reader open the links too.
TEST(About, UpdateOpensThisVersionsPageAndLinksOpenByPointerKeyboardOrScreenReader)
{
    Global::AppVersion = "1.0.0";
    QStringList opened;
    HTMLLink::SetOpener([&opened](const QUrl &url) { opened << url.toString(); });
    QWidget main;
    frmAbout about(&main);
    about.cmdUpdate->click();
    EXPECT_EQ(opened.value(0),
              "https://" + frmAbout::UpdateHost + "/update.asp?sid=vlx1&ver=1.0.0");
    opened.clear();

    about.show();
    ASSERT_TRUE(about.windowHandle());
    const auto centre = [&about](QWidget *w) { return w->mapTo(&about, w->rect().center()); };
    const auto colour = [](const QLabel *l) { return l->palette().color(QPalette::WindowText); };
    const QColor blue(0, 0, 255), red(255, 0, 0), purple(128, 0, 128);
    QTest::mouseMove(about.windowHandle(), centre(about.lblQuorvane));
    EXPECT_EQ(std::tuple(colour(about.lblQuorvane), about.lblQuorvane->font().underline()),
              std::tuple(red, true));
    QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {}, centre(about.lblQuorvane));
    EXPECT_EQ(colour(about.lblQuorvane), purple);
    QTest::mouseMove(about.windowHandle(), centre(about.lblMailTo));
    EXPECT_EQ(std::tuple(colour(about.lblMailTo), colour(about.lblQuorvane),
                         about.lblQuorvane->font().underline()),
              std::tuple(red, blue, false));
    QTest::mouseMove(about.windowHandle(), QPoint(2, 2));
    EXPECT_EQ(colour(about.lblMailTo), blue) << "the window's background";
    QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {}, centre(about.lblMailTo));
    EXPECT_EQ(opened, (QStringList{frmAbout::WebAddress, "mailto:" + frmAbout::MailAddress}));

    // From the keyboard, and as a screen reader finds them.
    opened.clear();
    QAccessibleInterface *web = QAccessible::queryAccessibleInterface(about.lblQuorvane);
    EXPECT_EQ(std::tuple(web->role(), web->text(QAccessible::Name)),
              std::tuple(QAccessible::Link, frmAbout::SiteName));
    ASSERT_TRUE(web->actionInterface());
    web->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(about.lblMailTo->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(about.lblMailTo, Qt::Key_Return);
    QTest::keyClick(about.lblQuorvane, Qt::Key_Space);
    EXPECT_EQ(opened, (QStringList{frmAbout::WebAddress, "mailto:" + frmAbout::MailAddress,
                                   frmAbout::WebAddress}));
    EXPECT_TRUE(about.isVisible()) << "Enter on a link opens it, not the OK button";
    HTMLLink::SetOpener({});
}
