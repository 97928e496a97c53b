#include "FakeConsole.h"
#include "TestSupport.h"
#include "cli/VaulnixCli.h"
#include "engine/BoxFormat.h"
#include "engine/CCipherBlock.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using TestSupport::readFile;
using TestSupport::writeFile;

// create --sealed, list, extract and verify through the command line, and no silent downgrade.
TEST(SealedCli, RoundTripsVerifiesAndNeverUnsealsUnasked)
{
    QTemporaryDir dir;
    const auto at = [&dir](const char *name) { return dir.filePath(name); };
    CCipherBlock engine;
    FakeConsole console;
    const auto run = [&](const QStringList &arguments) {
        console.output.str({});
        console.errors.str({});
        console.input = "pw\n";
        return VaulnixCli(console, engine).run(arguments);
    };
    writeFile(at("src/Grüße ✓.txt"), "unicode");
    writeFile(at("src/empty"), "");
    writeFile(at("src/a/b/c/d/e/deep.bin"), QByteArray(3 * CCipherBlock::ChunkBytes + 1, 'd'));
    const QString box = at("box.vlx");
    ASSERT_EQ(run({"create", box, at("src"), "--sealed"}), 0);
    EXPECT_EQ(BoxFormat::formatOf(box), BoxFormatId::Sealed);
    EXPECT_EQ(run({"list", box}), 0);
    EXPECT_NE(console.output.str().find("Format: 2 (sealed)\n"), std::string::npos);
    EXPECT_EQ(run({"verify", box, at("src")}), 0);
    EXPECT_NE(console.output.str().find("every byte authentic"), std::string::npos);
    ASSERT_EQ(run({"extract", box, at("out")}), 0);
    EXPECT_EQ(readFile(at("out/a/b/c/d/e/deep.bin")), readFile(at("src/a/b/c/d/e/deep.bin")));
    EXPECT_EQ(readFile(at("out/Grüße ✓.txt")), "unicode");
    EXPECT_EQ(readFile(at("out/empty")), "");

    writeFile(at("src/new.txt"), "new");
    writeFile(at("src/empty"), "no longer");
    EXPECT_EQ(run({"verify", box, at("src")}), 3) << "the folder moved on";
    EXPECT_EQ(console.output.str().substr(console.output.str().find('\n') + 1),
              "differs: empty\nnot in the box: new.txt\n");
    const QByteArray sealed = readFile(box);
    EXPECT_EQ(run({"create", box, at("src")}), 2);
    EXPECT_NE(console.errors.str().find("is a sealed box"), std::string::npos);
    EXPECT_EQ(readFile(box), sealed);
    EXPECT_EQ(run({"create", box, at("src"), "--format", "1"}), 0);
    EXPECT_EQ(BoxFormat::formatOf(box), BoxFormatId::Plain);
    EXPECT_EQ(run({"verify", box}), 0);
    EXPECT_NE(console.output.str().find("format 1 cannot be authenticated"), std::string::npos);
    EXPECT_EQ(run({"create", box, at("src"), "--sealed", "--format", "1"}), 2);
}
