#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

class PictureBox;

// The notification-area icon: takes its picture from a picture box, keeps a 64-character tip
// field, and turns the platform's activation notices into six mouse events.
class CTray : public QObject
{
    Q_OBJECT

public:
    static constexpr int TipLength = 64;

    explicit CTray(QObject *parent = nullptr);
    ~CTray() override;

    void PicBox(PictureBox *box);
    QString TipText() const { return tipField; }
    void TipText(const QString &text);
    // The part of the tip field before its zero character, as the platform shows it.
    QString shownTip() const;
    bool ShowIcon();
    void DeleteIcon();
    QSystemTrayIcon &icon() { return trayIcon; }

    // Raises the event for a classic mouse message number (513 to 518); others raise nothing.
    void mouseMessage(int message);

signals:
    void RButtonDown();
    void RButtonUp();
    void RButtonDblClick();
    void LButtonDown();
    void LButtonUp();
    void LButtonDblClick();

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void pictureChanged();

    QSystemTrayIcon trayIcon;
    QPointer<PictureBox> mPic;
    QString tipField;
    bool inEvent = false;
};
