#include "core/AppLocations.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct FolderCase
{
    const char *what;
    QStringList programFiles;
    bool keepsProgramFolder;
};

} // namespace

TEST(AppLocations, ProfilesStayBesideTheProgramOnlyWhereTheyAlreadyAre)
{
    const FolderCase cases[] = {
        {"a fresh build folder", {"vaulnix", "CMakeCache.txt"}, false},
        {"a portable copy with profiles", {"vaulnix", "anna.vlu"}, true},
        {"a folder named like a profile", {"old.vlu/"}, false},
    };
    for (const FolderCase &c : cases) {
        QTemporaryDir tmp;
        const QString program = tmp.filePath("build/app");
        const QString data = tmp.filePath("home/.local/share/Vaulnix/Vaulnix");
        QDir().mkpath(program);
        for (const QString &name : c.programFiles) {
            if (name.endsWith('/'))
                QDir().mkpath(program + '/' + name);
            else
                TestSupport::writeFile(program + '/' + name, "x");
        }
        const QString chosen = AppLocations::profileFolder(program, data);
        EXPECT_EQ(chosen, (c.keepsProgramFolder ? program : data) + '/') << c.what;

        ASSERT_TRUE(AppLocations::makePrivateFolder(chosen)) << c.what;
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        if (!c.keepsProgramFolder) {
            EXPECT_EQ(QFileInfo(data).permissions() & others, QFile::Permissions())
                << c.what << ": the data folder is private";
        }
    }
}
