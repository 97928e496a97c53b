#include "TestSupport.h"
#include "dialogs/API.h"
#include "dialogs/cDialog.h"

#include <gtest/gtest.h>

TEST(Pickers, OpenAnswersTheTrimmedChoiceOrTheProposal)
{
    RecordingPrompt prompt;
    prompt.pickerPaths = {" /boxes/open.vlx ", QString()};
    QString name;
    EXPECT_EQ(cDialog().GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter),
              "/boxes/open.vlx");
    EXPECT_EQ(name, "open.vlx");
    EXPECT_EQ(cDialog().GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter, "proposed.vlx"),
              "proposed.vlx");
    EXPECT_EQ(name, "");
}
