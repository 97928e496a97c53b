#include "shell/CTray.h"
#include "shell/PictureBox.h"

#include <QPixmap>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class FakeHost : public TrayHost
{
public:
    Kind kind = Kind::None;
    Kind find() const override { return kind; }
};

// The clicks (down, up, double) that one activation of an icon on such a tray makes.
QList<int> clicks(TrayHost::Kind kind, QSystemTrayIcon::ActivationReason reason)
{
    FakeHost host;
    host.kind = kind;
    CTray tray(nullptr, &host);
    QList<int> counts(3);
    QObject::connect(&tray, &CTray::LButtonDown, [&counts] { ++counts[0]; });
    QObject::connect(&tray, &CTray::LButtonUp, [&counts] { ++counts[1]; });
    QObject::connect(&tray, &CTray::LButtonDblClick, [&counts] { ++counts[2]; });
    tray.activated(reason);
    return counts;
}

} // namespace

TEST(Tray, ATrayThatAppearsLaterGetsTheIconWithItsPictureAndTip)
{
    FakeHost host;
    CTray tray(nullptr, &host);
    PictureBox pic;
    pic.setPicture(QPixmap(16, 16));
    tray.PicBox(&pic);
    tray.TipText(QStringLiteral("Vaulnix v1.0.0"));
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_EQ(tray.icon(), nullptr) << "no icon before a tray is there";
    QSignalSpy appeared(&tray, &CTray::trayAppeared);
    emit host.found(TrayHost::Kind::StatusNotifier);
    ASSERT_NE(tray.icon(), nullptr);
    EXPECT_EQ(std::tuple(tray.icon()->isVisible(), tray.icon()->toolTip(),
                         tray.icon()->icon().isNull(), appeared.count()),
              std::tuple(true, QString("Vaulnix v1.0.0"), false, qsizetype(1)));
}

TEST(Tray, OneActivationIsTheDoubleClickOnlyOnAStatusNotifierHost)
{
    using enum TrayHost::Kind;
    EXPECT_EQ(clicks(StatusNotifier, QSystemTrayIcon::Trigger), (QList<int>{1, 1, 1}));
    EXPECT_EQ(clicks(Classic, QSystemTrayIcon::Trigger), (QList<int>{1, 1, 0}));
    EXPECT_EQ(clicks(Classic, QSystemTrayIcon::DoubleClick), (QList<int>{0, 0, 1}));
}
