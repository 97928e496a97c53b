#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Reads small source files on a second thread, in order and a few MiB ahead, while the engine
// enciphers the ones before them: with many small files, opening and reading is most of the
// work.
class FilePrefetcher
{
public:
    static constexpr qint64 MaxQueuedBytes = 4 * 1048576;
    // A full queue is filled again only once it has drained to this, so that the threads do not
    // wake each other for every file.
    static constexpr qint64 ResumeBytes = MaxQueuedBytes / 2;
    static constexpr std::size_t WakeBatch = 32;

    struct Item
    {
        QByteArray data; // up to one byte more than expected, so growth shows
        QString error;   // why the file could not be read
    };

    // files: path and expected size, in the order take() returns them. whileWaiting, if given,
    // is called every few milliseconds while take() waits.
    explicit FilePrefetcher(std::vector<std::pair<QString, qint64>> files,
                            std::function<void()> whileWaiting = {});
    ~FilePrefetcher();
    FilePrefetcher(const FilePrefetcher &) = delete;
    FilePrefetcher &operator=(const FilePrefetcher &) = delete;

    Item take();

private:
    void run();

    std::vector<std::pair<QString, qint64>> files;
    std::function<void()> pump;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Item> queue;
    qint64 queuedBytes = 0;
    std::size_t read = 0;
    bool takerWaiting = false;
    bool readerWaiting = false;
    bool cancelled = false;
    std::thread worker;
};
