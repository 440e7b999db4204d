// Closing running copies of "Other", whose 9x service is called "Velmorant": only the exact
// service window title is told to quit.
#include <gtest/gtest.h>

#include "closeCopiesRun.h"

const CopyNames names = {"Other" /* productName */, "Velmorant" /* serviceName */};

TEST(CloseCopies, OnlyTheExactServiceWindowIsToldToQuit)
{
    CloseCopiesOutcome outcome =
        closeCopiesAmong(names, {"Velmorant Win9x Service", "Velmorant Win9x Service ", "Velmorant",
                          "Velmorant Win9x", "Other - Velmorant Win9x Service"});
    expectNoticeAndPauses(outcome,
                          "Any copies of Other currently running must now be shut down. This "
                          "may take a few seconds.");
    const Requests expected = {
        {"Velmorant Win9x Service", {"QUIT"}},
        {"Other - Velmorant Win9x Service", {"CLOSE"}},
    };
    EXPECT_EQ(outcome.requests, expected);
}
