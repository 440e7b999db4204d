// One call of closeRunningCopies among windows of another process with the given titles:
// the notice is answered from a second thread, and the requests each window received are
// read from that process's log.
#ifndef VELMORANT_TEST_CLOSE_COPIES_RUN_H
#define VELMORANT_TEST_CLOSE_COPIES_RUN_H

#include <map>
#include <string>
#include <vector>

#include "system/runningCopies.h"

struct CloseCopiesOutcome {
    std::string noticeText;
    bool noticeSeen = false;
    bool noticeOwnedByOwner = false;
    bool noticeHasOnlyOk = false;
    // Per window title: "CLOSE" / "QUIT" in the order received.
    std::map<std::string, std::vector<std::string>> requests;
    unsigned long long answeredAt = 0, returnedAt = 0, calledAt = 0;
    unsigned long long firstRequestAt = 0, lastRequestAt = 0;
};

// hungTitles: windows of a second process that handles no message at all.
CloseCopiesOutcome closeCopiesAmong(const CopyNames &names, const std::vector<std::string> &titles,
                                    const std::vector<std::string> &hungTitles = {});



// The notice's text, owner and button, and the two pauses around the requests.
void expectNoticeAndPauses(const CloseCopiesOutcome &outcome, const char *noticeText);

using Requests = std::map<std::string, std::vector<std::string>>;
#endif
