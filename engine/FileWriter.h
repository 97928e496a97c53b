#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

// Writes small extracted files on a second thread while the engine deciphers the next ones:
// with many small files, creating and writing them is most of the work. Files handed over are
// complete; everything handed over is written before the writer goes away.
class FileWriter
{
public:
    static constexpr qint64 MaxQueuedBytes = 4 * 1048576;
    // A full queue takes files again only once it has drained to this, so that the threads do
    // not wake each other for every file.
    static constexpr qint64 ResumeBytes = MaxQueuedBytes / 2;
    static constexpr std::size_t WakeBatch = 32;

    // whileWaiting, if given, is called every few milliseconds while add() or finish() waits.
    explicit FileWriter(std::function<void()> whileWaiting = {});
    ~FileWriter();
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    // Throws the VaulnixError of an earlier file that could not be written.
    void add(QString target, QByteArray data);
    // Waits until every file is written; throws the first failure.
    void finish();

private:
    void run();
    void throwFailure();

    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::pair<QString, QByteArray>> queue;
    qint64 queuedBytes = 0;
    bool busy = false;
    bool writerWaiting = false;
    bool adderWaiting = false;
    bool closing = false;
    QString failure;
    std::function<void()> pump;
    std::thread worker;
};
