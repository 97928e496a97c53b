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

struct Clicks
{
    explicit Clicks(CTray &tray)
        : down(&tray, &CTray::LButtonDown)
        , up(&tray, &CTray::LButtonUp)
        , dbl(&tray, &CTray::LButtonDblClick)
    {}
    QList<qsizetype> counts() const { return {down.count(), up.count(), dbl.count()}; }
    QSignalSpy down, up, dbl;
};

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
    FakeHost sni, classic;
    std::tie(sni.kind, classic.kind) =
        std::pair(TrayHost::Kind::StatusNotifier, TrayHost::Kind::Classic);
    CTray onSni(nullptr, &sni), onClassic(nullptr, &classic);
    Clicks sniClicks(onSni), classicClicks(onClassic);
    onSni.activated(QSystemTrayIcon::Trigger);
    onClassic.activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(sniClicks.counts(), (QList<qsizetype>{1, 1, 1}));
    EXPECT_EQ(classicClicks.counts(), (QList<qsizetype>{1, 1, 0}));
    onClassic.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(classicClicks.counts(), (QList<qsizetype>{1, 1, 1}));
}
