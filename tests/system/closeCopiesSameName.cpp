// Closing running copies when the service has the product's name: the service window's
// title begins with the product name, and that test comes first.
#include <gtest/gtest.h>

#include "closeCopiesRun.h"
#include "core/installerSettings.h"

const InstallerSettings installerSettings = {
    "Velmorant", "Velmorant" /* productName */, "velmorant.ini", 0, "", "velmorant.exe", "", 0, 0,
    "velmorantsvc.exe", 1, "Velmorant" /* serviceName */, "",
};

TEST(CloseCopies, ServiceWindowNamedLikeTheProductIsClosed)
{
    CloseCopiesOutcome outcome =
        closeCopiesAmong({"Velmorant Win9x Service", "velmorant Win9x Service", "Velmorant"});
    expectNoticeAndPauses(outcome,
                          "Any copies of Velmorant currently running must now be shut down. This "
                          "may take a few seconds.");
    const Requests expected = {
        {"Velmorant Win9x Service", {"CLOSE"}},
        {"Velmorant", {"CLOSE"}},
    };
    EXPECT_EQ(outcome.requests, expected);
}
