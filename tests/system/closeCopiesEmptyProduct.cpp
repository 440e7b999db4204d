// An empty product name is the beginning of every title: no window may be closed for it.
#include <gtest/gtest.h>

#include "closeCopiesRun.h"

const CopyNames names = {"" /* productName */, "" /* serviceName */};

TEST(CloseCopies, EmptyProductNameClosesNothing)
{
    CloseCopiesOutcome outcome = closeCopiesAmong(names, {"Velmorant", "Notes", " Win9x Service"});
    expectNoticeAndPauses(outcome,
                          "Any copies of  currently running must now be shut down. This may take "
                          "a few seconds.");
    EXPECT_EQ(outcome.requests, Requests());
}
