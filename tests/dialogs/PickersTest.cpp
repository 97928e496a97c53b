#include "TestSupport.h"
#include "dialogs/API.h"
#include "dialogs/cDialog.h"

#include <gtest/gtest.h>

TEST(Pickers, OpenAnswersTheTrimmedChoice)
{
    RecordingPrompt prompt;
    prompt.pickerPaths = {" /boxes/open.vlx "};
    QString name;
    EXPECT_EQ(cDialog().GetOpenName(name, "/boxes/", "Open Box", API::BoxFilter),
              "/boxes/open.vlx");
    EXPECT_EQ(name, "open.vlx");
}
