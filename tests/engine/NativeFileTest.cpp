#include "engine/NativeFile.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(NativeFile, ReadsAFileOfAnExpectedSizeAndShowsOneThatChangedInAFolderOpenedOnce)
{
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath("five"), "12345");
    TestSupport::writeFile(dir.filePath("empty"), "");
    NativeFile folder;
    ASSERT_TRUE(folder.open(dir.path(), NativeFile::Mode::Folder));
    // name, expected size, what comes back: n + 1 for a file that grew, less for one that shrank
    const std::tuple<const char *, qint64, qint64> cases[] = {{"five", 5, 5},  {"five", 4, 5},
                                                              {"five", 6, 5},  {"five", 0, 1},
                                                              {"empty", 0, 0}, {"empty", 3, 0}};
    for (const auto &[name, expected, answer] : cases) {
        NativeFile file;
        ASSERT_TRUE(file.openIn(folder, QString::fromLatin1(name))) << name;
        QByteArray buffer(expected + 1, '\0');
        EXPECT_EQ(file.readExpected(buffer.data(), expected), answer) << name << expected;
    }
    NativeFile missing;
    EXPECT_FALSE(missing.openIn(folder, QStringLiteral("none")));
    EXPECT_FALSE(missing.errorString().isEmpty());
    EXPECT_FALSE(missing.open(dir.filePath("five/x"), NativeFile::Mode::Folder));
}
