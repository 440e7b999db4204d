// Whether this program runs as a member of the Administrators group.
#ifndef VELMORANT_ADMINISTRATOR_CHECK_H
#define VELMORANT_ADMINISTRATOR_CHECK_H

#include "advapiCalls.h"

// ACCOUNT_ADMINISTRATOR (setupDecisions.h) when the process's token holds the Administrators
// group, enabled and not only for denying; else ACCOUNT_POWER_USER when it holds Power Users
// so; else ACCOUNT_OTHER. From the token's groups, which NT 4.0 reads as later systems do (its
// advapi32 has no membership check of its own). A system without the calls (the 9x family) or
// a token that cannot be read gives ACCOUNT_ADMINISTRATOR: nothing to refuse on.
int runByAdministrator(void);

// The same for a token, through the given calls (a test hands in groups Wine never gives).
int tokenHoldsAdministrators(const AdvapiCalls &calls, HANDLE token);

#endif
