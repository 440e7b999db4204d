// Whether this program runs as a member of the Administrators group.
#ifndef VELMORANT_ADMINISTRATOR_CHECK_H
#define VELMORANT_ADMINISTRATOR_CHECK_H

#include "advapiCalls.h"

// 1 when the process's token holds the Administrators group, enabled and not only for
// denying; 0 when it does not. From the token's groups, which NT 4.0 reads as later systems
// do (its advapi32 has no membership check of its own). A system without the calls (the 9x
// family) or a token that cannot be read gives 1: nothing to refuse on.
int runByAdministrator(void);

// The same from a token through the given calls (a test hands in groups Wine never gives).
int tokenHoldsAdministrators(const AdvapiCalls &calls, HANDLE token);

#endif
