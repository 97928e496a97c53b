#include "TestSupport.h"
#include "dialogs/API.h"
#include "dialogs/cDialog.h"

#include <gtest/gtest.h>

TEST(PathHelpers, SplitPaths)
{
    EXPECT_EQ(API::PathFolderPart("/boxes/work.vlx"), "/boxes/");
    EXPECT_EQ(API::PathFolderPart("work.vlx"), "");
    EXPECT_EQ(API::PathFileName("/boxes/work.vlx"), "work.vlx");
    EXPECT_EQ(API::PathFileName("work.vlx"), "work.vlx");
    EXPECT_EQ(API::PathFileName("/boxes/"), "");
    EXPECT_EQ(API::PathExtension("/boxes/WORK.VLX"), "vlx");
    EXPECT_EQ(API::PathExtension("/my.dir/file"), "dir/file");
    EXPECT_EQ(API::PathExtension("/boxes/work"), "");
}

TEST(Pickers, AnswersAndCancels)
{
    RecordingPrompt prompt;
    cDialog dialog;
    QString name = "proposal.vlx";
    prompt.pickerPaths = {"/boxes/chosen.vlx"};
    EXPECT_EQ(dialog.GetSaveName(name, "/boxes/", "Create Box", API::BoxFilter, "vlx"),
              "/boxes/chosen.vlx");
    EXPECT_EQ(name, "chosen.vlx");
    prompt.pickerPaths = {QString()};
    EXPECT_EQ(dialog.GetSaveName(name, "/boxes/"), "");
    EXPECT_EQ(name, "chosen.vlx") << "a cancel leaves the name";

    prompt.pickerPaths = {" /boxes/open.vlx "};
    EXPECT_EQ(dialog.GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter), "/boxes/open.vlx");
    EXPECT_EQ(name, "open.vlx");
    prompt.pickerPaths = {QString()};
    EXPECT_EQ(dialog.GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter, "proposed.vlx"),
              "proposed.vlx");
    EXPECT_EQ(name, "");

    prompt.pickerPaths = {"/chosen/folder"};
    EXPECT_EQ(API::BrowseForFolder("Select Folder to Box"), "/chosen/folder");
    EXPECT_EQ(API::BrowseForFolder("Select Folder to Box"), "");
}
