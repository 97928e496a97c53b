// Drives the box engine directly for the benchmarks: packs or unpacks one folder and prints the
// wall time of the engine call, key derivation included; also writes the small-file corpora.
#include "core/VaulnixError.h"
#include "engine/CCipherBlock.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: vaulnix-bench pack BOX FOLDER PASSWORD_FILE\n"
               "       vaulnix-bench unpack BOX FOLDER PASSWORD_FILE\n"
               "       vaulnix-bench make-tree FOLDER FILES FILES_PER_FOLDER MAX_FILE_BYTES\n",
               stderr);
    return 2;
}

QString readPassword(const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        throw VaulnixError(QStringLiteral("Cannot read the password file %1").arg(file.fileName()));
    const QByteArray line = file.readLine().trimmed();
    if (line.isEmpty())
        throw VaulnixError(QStringLiteral("The password file %1 is empty").arg(file.fileName()));
    return QString::fromUtf8(line);
}

// Files of pseudo-random sizes in 0..maxBytes and contents, the same for the same arguments,
// spread over leaf folders g<k>/d<n> of filesPerFolder files each.
int makeTree(const std::filesystem::path &root, long files, long filesPerFolder, long maxBytes)
{
    uint64_t x = 0x9e3779b97f4a7c15ull;
    const auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    std::vector<uint64_t> block(size_t(maxBytes / 8 + 1));
    const long folders = (files + filesPerFolder - 1) / filesPerFolder;
    for (long d = 0; d < folders; ++d) {
        const std::filesystem::path folder =
            root / ("g" + std::to_string(d / 25)) / ("d" + std::to_string(d));
        std::filesystem::create_directories(folder);
        for (long f = d * filesPerFolder; f < std::min(files, (d + 1) * filesPerFolder); ++f) {
            const size_t size = size_t(next() % uint64_t(maxBytes + 1));
            for (uint64_t &word : block)
                word = next();
            const std::string path = (folder / ("file" + std::to_string(f) + ".dat")).string();
            std::FILE *out = std::fopen(path.c_str(), "wb");
            if (!out || std::fwrite(block.data(), 1, size, out) != size || std::fclose(out) != 0) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "make-tree" && argc == 6)
        return makeTree(argv[2], std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]));
    if ((command != "pack" && command != "unpack") || argc != 5)
        return usage();

    const QString box = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    try {
        const QString password = readPassword(argv[4]);
        CCipherBlock engine;
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        // Pack phases: key derivation and scan, file table, file data.
        auto scanned = start, tabled = start;
        QObject::connect(&engine, &CCipherBlock::CreatingBlock, [&] { scanned = Clock::now(); });
        QObject::connect(&engine, &CCipherBlock::CreatingFileBlock, [&] { tabled = Clock::now(); });
        const bool done =
            command == "pack"
                ? engine.CreateBlock(box, QStringLiteral("bench"), password, folder, 0) ==
                      CCipherBlock::Written
                : engine.ExtractBlock(box, folder, password) == CCipherBlock::Extracted;
        const auto end = Clock::now();
        const auto seconds = [](auto from, auto to) {
            return std::chrono::duration<double>(to - from).count();
        };
        if (!done) {
            std::fprintf(stderr, "%s failed\n", command.c_str());
            return 1;
        }
        std::printf("%s %lld files %lld bytes %.3f s", command.c_str(),
                    static_cast<long long>(command == "pack" ? engine.FileList().size()
                                                             : engine.Catalogue().files.size()),
                    static_cast<long long>(engine.TotalBytes()), seconds(start, end));
        if (command == "pack")
            std::printf(" (key and scan %.3f, file table %.3f, file data %.3f)",
                        seconds(start, scanned), seconds(scanned, tabled), seconds(tabled, end));
        std::printf("\n");
    } catch (const VaulnixError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 4;
    }
    return 0;
}
