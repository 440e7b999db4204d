// Closing running copies of "Velmorant", which has no service.
#include <gtest/gtest.h>

#include "closeCopiesRun.h"
#include "setup/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant", "Velmorant" /* productName */, "velmorant.ini", 0, "", "velmorant.exe", "", 0, 0,
    "", 1, "" /* serviceName */, "",
};

TEST(CloseCopies, WindowsWhoseTitleBeginsWithTheProductNameAreClosed)
{
    CloseCopiesOutcome outcome = closeCopiesAmong({"Velmorant", "Velmorant - report.txt",
                                                   "Velmorant2", "velmorant", "Install Velmorant",
                                                   " Win9x Service", "Win9x Service"});
    expectNoticeAndPauses(outcome,
                          "Any copies of Velmorant currently running must now be shut down. This "
                          "may take a few seconds.");
    const Requests expected = {
        {"Velmorant", {"CLOSE"}},
        {"Velmorant - report.txt", {"CLOSE"}},
        {"Velmorant2", {"CLOSE"}},
    };
    EXPECT_EQ(outcome.requests, expected);
}
