#include "core/AppLocations.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AppLocations, ProfilesStayBesideTheProgramOnlyWhereTheyAlreadyAre)
{
    // What the program's folder holds, whether profiles stay there: a fresh build folder, a
    // portable copy with profiles, a folder named like a profile.
    const std::tuple<const char *, bool> cases[] = {
        {"vaulnix CMakeCache.txt", false}, {"vaulnix anna.vlu", true}, {"old.vlu/", false}};
    for (const auto &[files, keepsProgramFolder] : cases) {
        SCOPED_TRACE(files);
        QTemporaryDir tmp;
        const QString program = tmp.filePath("build/app");
        const QString data = tmp.filePath("home/.local/share/Vaulnix/Vaulnix");
        QDir().mkpath(program);
        for (const QString &name : QString(files).split(' ')) {
            if (name.endsWith('/'))
                QDir().mkpath(program + '/' + name);
            else
                TestSupport::writeFile(program + '/' + name, "x");
        }
        const QString chosen = AppLocations::profileFolder(program, data);
        EXPECT_EQ(chosen, (keepsProgramFolder ? program : data) + '/');
        ASSERT_TRUE(AppLocations::makePrivateFolder(chosen));
        if (!keepsProgramFolder) {
            EXPECT_EQ(TestSupport::fileMode(data) & 077, 0) << "the data folder is private";
        }
    }
}
