#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QString>

#include <iosfwd>

class CCipherBlock;

// One self-rewriting status line on a terminal: percentage, rate and the current file.
// Does nothing when disabled (standard error is no terminal, or --quiet).
class ProgressDisplay
{
public:
    static constexpr int Width = 79;
    static constexpr qint64 RedrawMilliseconds = 100;

    ProgressDisplay(std::ostream &err, bool enabled);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay &) = delete;
    ProgressDisplay &operator=(const ProgressDisplay &) = delete;

    // Follows the engine's events until finish(). Data progress is the engine's own count,
    // or, after setSelection, the count of a selective extraction.
    void attach(CCipherBlock &engine);
    // A selective extraction reports one file at a time: done counts the selected files
    // already extracted, total all selected files.
    void setSelection(qint64 done, qint64 total);
    void finish();

    void scanned(qint32 count, const QString &file);
    void header(qint32 current, qint32 total);
    void data(qint64 done, qint64 total, const QString &file);
    void shredding(qint32 index, qint32 count, const QString &file);

    static QString bytes(qint64 count);

private:
    void show(const QString &status, const QString &file, bool force);

    std::ostream &err;
    bool enabled;
    bool shown = false;
    bool selective = false;
    qint64 selectionDone = 0;
    qint64 selectionTotal = 0;
    qint32 scanCount = 0;
    int lastPercent = -1;
    QElapsedTimer started;
    QElapsedTimer lastDraw;
    QList<QMetaObject::Connection> connections;
};
