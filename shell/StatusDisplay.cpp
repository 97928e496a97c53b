#include "shell/StatusDisplay.h"

#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "shell/CTray.h"
#include "shell/PictureBox.h"

#include <QDate>
#include <QDateTime>
#include <QLabel>

// The icons live in a static library, whose resources must be registered by hand.
static std::array<QIcon, 2> loadIcons()
{
    Q_INIT_RESOURCE(icons);
    return {QIcon(QStringLiteral(":/icons/idle.svg")), QIcon(QStringLiteral(":/icons/busy.svg"))};
}

namespace {

const char *const TagProperty = "tag";

bool readsAsNumberOrDate(const QString &text)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return false;
    bool number = false;
    QLocale().toDouble(s, &number);
    if (!number)
        s.toDouble(&number);
    if (number)
        return true;
    return QDate::fromString(s, Qt::ISODate).isValid() ||
           QDateTime::fromString(s, Qt::ISODate).isValid() ||
           QLocale().toDate(s, QLocale::ShortFormat).isValid() ||
           QLocale().toDateTime(s, QLocale::ShortFormat).isValid();
}

int textWidth(const QLabel *label, const QString &text)
{
    const QMargins m = label->contentsMargins();
    return label->fontMetrics().horizontalAdvance(text) + 2 * label->margin() + m.left() +
           m.right();
}

} // namespace

StatusDisplay::StatusDisplay(QLabel *status, QLabel *busy, PictureBox *picture, CTray *trayIcon,
                             QObject *parent)
    : QObject(parent)
    , lblStatus(status)
    , lblBusy(busy)
    , pic(picture)
    , tray(trayIcon)
    , pics(loadIcons())
{
    QFont bold = lblBusy->font();
    bold.setBold(true);
    lblBusy->setFont(bold);
    lblBusy->setAlignment(Qt::AlignCenter);
    lblBusy->setAutoFillBackground(true);
}

void StatusDisplay::connectEngine(CCipherBlock &engine)
{
    // Every file is counted, but the lines are drawn at most once per refresh interval: measuring
    // and laying out a caption costs more than packing a small file, and nobody can read faster.
    connect(&engine, &CCipherBlock::AddingToBlock, this, [this] {
        if (Global::ScanFileCount == 0 || refreshDue())
            AddingToBlock();
        else
            ++Global::ScanFileCount;
    });
    connect(&engine, &CCipherBlock::BuildingHeader, this, [this](qint32 current, qint32 total) {
        if (current == total || refreshDue())
            BuildingHeader(current, total);
    });
    connect(&engine, &CCipherBlock::CipherProgress, this,
            [this](qint32, qint64 done, qint64 total, qint64, qint64, const QString &name) {
                if (done == total || refreshDue())
                    CipherProgress(done, total, name);
            });
    connect(&engine, &CCipherBlock::CreatingBlock, this, &StatusDisplay::CreatingBlock);
    connect(&engine, &CCipherBlock::ShredFile, this,
            [this](qint32 index, qint32 count, const QString &name, qint64, qint64) {
                ShredFile(index, count, name);
            });
}

QString StatusDisplay::timeStamp(const QTime &time, const QLocale &locale)
{
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? locale.amText() : locale.pmText());
}

void StatusDisplay::SetStatus(const QString &msg)
{
    lblStatus->setText(QStringLiteral(" ") + timeStamp(now()) + QStringLiteral(": ") + msg);
}

void StatusDisplay::SetIcon(qint16 icon)
{
    const bool busy = icon != 0;
    pic->setPicture(pics.at(busy ? 1 : 0));
    tray->TipText(Global::VersionTitle() + (busy ? QStringLiteral(" (Busy)") : QString()));
    QPalette palette = lblBusy->palette();
    palette.setColor(QPalette::Window, busy ? QColor(255, 0, 0) : QColor(0, 128, 0));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
    lblBusy->setPalette(palette);
    lblBusy->setText(busy ? QString() : QStringLiteral("OK"));
    lblBusy->setToolTip(busy ? QStringLiteral("Busy") : QStringLiteral("Idle"));
}

void StatusDisplay::AutoSizeCaption(QLabel *label)
{
    const QString s = label->property(TagProperty).toString();
    if (readsAsNumberOrDate(s))
        return;
    const int w = label->width();
    label->setText(s);
    if (textWidth(label, s) <= w)
        return;
    for (qsizetype n = s.size() - 1; n >= 1; --n) {
        const QString cut = s.left(n) + QStringLiteral("...");
        label->setText(cut);
        if (textWidth(label, cut) <= w)
            return;
    }
}

void StatusDisplay::AddingToBlock()
{
    if (Global::ScanFileCount == 0)
        lblBusy->setText(QStringLiteral("SCAN"));
    ++Global::ScanFileCount;
    lblStatus->setText(QStringLiteral(" Files in Box: ") +
                       QLocale().toString(Global::ScanFileCount));
}

void StatusDisplay::BuildingHeader(qint32 Current, qint32 Total)
{
    const qint16 p = Total > 0 ? qint16(qint64(Current) * 100 / Total) : 0;
    const QString building = QStringLiteral(" Building Header...");
    if (lblStatus->text() != building)
        lblStatus->setText(building);
    if (p == LastBuildPercent && LastBuildPercent != 0)
        return;
    lblBusy->setText(QString::number(p) + QLatin1Char('%'));
    LastBuildPercent = p;
}

void StatusDisplay::CipherProgress(qint64 BytesDone, qint64 TotalBytes, const QString &Filename)
{
    const qint64 p = TotalBytes > 0 ? BytesDone * 100 / TotalBytes : 0;
    if (Filename != LastProgressFile) {
        lblStatus->setProperty(TagProperty,
                               QStringLiteral(" ") +
                                   Filename.mid(Filename.lastIndexOf(QLatin1Char('/')) + 1));
        AutoSizeCaption(lblStatus);
    }
    LastProgressFile = Filename;
    lblBusy->setText(QString::number(ShownPercent) + QLatin1Char('%'));
    ShownPercent = p;
    pump();
}

void StatusDisplay::CreatingBlock()
{
    SetStatus(QStringLiteral("Creating Box..."));
}

void StatusDisplay::ShredFile(qint32 FileIndex, qint32 FileCount, const QString &Filename)
{
    const qint64 p = FileCount > 0 ? qint64(FileIndex) * 100 / FileCount : 0;
    lblBusy->setText(QString::number(p) + QLatin1Char('%'));
    lblStatus->setText(QStringLiteral(" Shredding: ") + Filename);
    pump();
}

bool StatusDisplay::refreshDue()
{
    if (sinceRefresh.isValid() && sinceRefresh.elapsed() < RefreshMs)
        return false;
    sinceRefresh.start();
    return true;
}

void StatusDisplay::pump()
{
    if (pumpMessages)
        pumpMessages();
}
