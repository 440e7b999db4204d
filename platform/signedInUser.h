// Who the signed-in user is, next to whom this process runs: the one place that decides
// whether the run has more rights than the user at the desktop, and where that user's own
// Start menu is.
#ifndef VELMORANT_SIGNED_IN_USER_H
#define VELMORANT_SIGNED_IN_USER_H

#include <stdint.h>

#include "core/setupDecisions.h"
#include "core/shortcutPaths.h"

struct SignedInUser {
    // The process's token is elevated (Vista and later), or cannot be read on the NT family.
    int32_t elevated;
    // DESKTOP_SAME, DESKTOP_OTHER (an administrator's account over the shoulder of the user
    // at the desktop) or DESKTOP_UNKNOWN (no desktop shell to ask, or its account unreadable).
    int32_t desktopUser;
    // With DESKTOP_OTHER: the desktop user's own Programs and Startup folders ("" when the
    // shell cannot give them).
    char programsFolder[SHELL_PATH_SIZE];
    char startupFolder[SHELL_PATH_SIZE];
};

// Reads this process's token and the desktop shell's. The 9x family has no accounts: the same
// user, not elevated.
void readSignedInUser(SignedInUser *user);

#endif
