#include "TestSupport.h"
#include "dialogs/API.h"
#include "dialogs/cDialog.h"

#include <gtest/gtest.h>

// Saving and folder pickers are driven through the windows that use them.
TEST(Pickers, OpenAnswersTheTrimmedChoiceOrTheProposal)
{
    RecordingPrompt prompt;
    cDialog dialog;
    QString name;
    prompt.pickerPaths = {" /boxes/open.vlx ", QString()};
    EXPECT_EQ(dialog.GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter), "/boxes/open.vlx");
    EXPECT_EQ(name, "open.vlx");
    EXPECT_EQ(dialog.GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter, "proposed.vlx"),
              "proposed.vlx");
    EXPECT_EQ(name, "");
}
