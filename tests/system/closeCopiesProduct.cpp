// Closing running copies of "Velmorant", which has no service.
#include <gtest/gtest.h>

#include <windows.h>

#include "closeCopiesRun.h"
#include "support/expectedTexts.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

const CopyNames names = {"Velmorant" /* productName */, "" /* serviceName */};

TEST(CloseCopies, WindowsWhoseTitleBeginsWithTheProductNameAreClosed)
{
    // The product's own program among them: it exits when asked to close.
    ProcessRun product;
    ASSERT_TRUE(product.start("\"" + buildFile("product/velmorant.exe") + "\""));
    ASSERT_NE(waitForWindow("Velmorant - (not recorded)", 30000, product.processId()), (HWND)NULL);
    // A copy that hangs must not hold the setup up: it is posted to, never sent to.
    CloseCopiesOutcome outcome = closeCopiesAmong(names, {"Velmorant", "Velmorant - report.txt",
                                                   "Velmorant2", "velmorant", "Install Velmorant",
                                                   " Win9x Service", "Win9x Service"},
                                                  {"Velmorant (not responding)"});
    expectNoticeAndPauses(outcome, closingText);
    const Requests expected = {
        {"Velmorant", {"CLOSE"}},
        {"Velmorant - report.txt", {"CLOSE"}},
        {"Velmorant2", {"CLOSE"}},
    };
    EXPECT_EQ(outcome.requests, expected);
    EXPECT_LT(outcome.returnedAt - outcome.answeredAt, 20000u);
    EXPECT_EQ(product.wait(0), 0) << "the running program was not closed";
}
