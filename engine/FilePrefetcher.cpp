#include "engine/FilePrefetcher.h"

#include "engine/NativeFile.h"
#include "engine/PumpedWait.h"

FilePrefetcher::FilePrefetcher(std::vector<std::pair<QString, qint64>> list,
                               std::function<void()> whileWaiting)
    : files(std::move(list))
    , pump(std::move(whileWaiting))
{
    // No thread for nothing: starting one maps its stack, which waits while another thread
    // maps memory (the key derivation's), and the window would wait with it.
    if (!files.empty())
        worker = std::thread(&FilePrefetcher::run, this);
}

FilePrefetcher::~FilePrefetcher()
{
    {
        std::lock_guard guard(lock);
        cancelled = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
}

FilePrefetcher::Item FilePrefetcher::take()
{
    std::unique_lock guard(lock);
    if (queue.empty()) {
        takerWaiting = true;
        pumpedWait(
            guard, changed, [this] { return !queue.empty(); }, pump);
        takerWaiting = false;
    }
    Item item = std::move(queue.front());
    queue.pop_front();
    queuedBytes -= item.data.size();
    const bool wake = readerWaiting && queuedBytes <= ResumeBytes;
    guard.unlock();
    if (wake)
        changed.notify_all();
    return item;
}

void FilePrefetcher::run()
{
    // Files come folder by folder: each is opened relative to its folder.
    NativeFile folder;
    QStringView folderPath;
    bool folderOpen = false;
    for (const auto &[path, size] : files) {
        {
            std::unique_lock guard(lock);
            if (!cancelled && queuedBytes >= MaxQueuedBytes) {
                readerWaiting = true;
                changed.wait(guard, [this] { return cancelled || queuedBytes <= ResumeBytes; });
                readerWaiting = false;
            }
            if (cancelled)
                return;
        }
        Item item;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (QStringView(path).left(slash) != folderPath) {
            folderPath = QStringView(path).left(slash);
            folderOpen = folder.open(folderPath.toString(), NativeFile::Mode::Folder);
        }
        NativeFile file;
        if (!folderOpen ? !file.open(path, NativeFile::Mode::Read)
                        : !file.openIn(folder, path.mid(slash + 1))) {
            item.error = file.errorString();
        } else {
            item.data.resize(size + 1);
            const qint64 got = file.readExpected(item.data.data(), size);
            if (got < 0)
                item.error = file.errorString();
            item.data.truncate(std::max<qint64>(got, 0));
        }
        // The taker is woken with a batch rather than for every file: waking a thread costs
        // more than reading a small file.
        bool wake;
        {
            std::lock_guard guard(lock);
            queuedBytes += item.data.size();
            queue.push_back(std::move(item));
            ++read;
            wake = takerWaiting && (queue.size() >= WakeBatch || read == files.size());
        }
        if (wake)
            changed.notify_all();
    }
}
