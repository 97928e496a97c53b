#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QLocale>
#include <QObject>
#include <QPixmap>
#include <QTime>

#include "shell/PictureBox.h"

#include <array>
#include <functional>

class CCipherBlock;
class CTray;
class QLabel;

// The status line, the busy indicator and the tray picture, and the engine progress that feeds
// them.
class StatusDisplay : public QObject
{
    Q_OBJECT

public:
    StatusDisplay(QLabel *status, QLabel *busy, PictureBox *pic, CTray *tray,
                  QObject *parent = nullptr);

    void setClock(std::function<QTime()> clock) { now = std::move(clock); }
    void setPump(std::function<void()> pump) { pumpMessages = std::move(pump); }
    void connectEngine(CCipherBlock &engine);

    void SetStatus(const QString &msg);
    void SetIcon(qint16 icon);
    static void AutoSizeCaption(QLabel *label);
    static QString timeStamp(const QTime &time, const QLocale &locale = QLocale());
    // The idle (0) and busy (1) padlock, drawn at whatever size is asked for.
    QIcon icon(int index) const { return pics.at(size_t(index)); }
    QPixmap picture(int index) const
    {
        return icon(index).pixmap(PictureBox::PictureSize, PictureBox::PictureSize);
    }

    void AddingToBlock();
    void BuildingHeader(qint32 Current, qint32 Total);
    void CipherProgress(qint64 BytesDone, qint64 TotalBytes, const QString &Filename);
    void CreatingBlock();
    void ShredFile(qint32 FileIndex, qint32 FileCount, const QString &Filename);

private:
    static constexpr qint64 RefreshMs = 8;

    void pump();
    bool refreshDue();

    QLabel *lblStatus;
    QLabel *lblBusy;
    PictureBox *pic;
    CTray *tray;
    std::array<QIcon, 2> pics;
    std::function<QTime()> now = [] { return QTime::currentTime(); };
    std::function<void()> pumpMessages;
    qint16 LastBuildPercent = 0;
    qint64 ShownPercent = 0;
    QString LastProgressFile;
    QElapsedTimer sinceRefresh;
};
