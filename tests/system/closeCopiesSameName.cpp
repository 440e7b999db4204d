// Closing running copies when the service has the product's name: the service window's
// title begins with the product name, and that test comes first.
#include <gtest/gtest.h>

#include "closeCopiesRun.h"

const CopyNames names = {"Velmorant" /* productName */, "Velmorant" /* serviceName */};

TEST(CloseCopies, ServiceWindowNamedLikeTheProductIsClosed)
{
    CloseCopiesOutcome outcome =
        closeCopiesAmong(names, {"Velmorant Win9x Service", "velmorant Win9x Service", "Velmorant"});
    expectNoticeAndPauses(outcome,
                          "Any copies of Velmorant currently running must now be shut down. This "
                          "may take a few seconds.");
    const Requests expected = {
        {"Velmorant Win9x Service", {"CLOSE"}},
        {"Velmorant", {"CLOSE"}},
    };
    EXPECT_EQ(outcome.requests, expected);
}
