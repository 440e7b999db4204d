// Security identifiers (SIDs) to and from the core's account records, by their documented
// layout: no call of the 9x family's missing security functions is needed for it.
#ifndef VELMORANT_ACCOUNT_IDS_H
#define VELMORANT_ACCOUNT_IDS_H

#include <windows.h>

#include "core/folderRights.h"

// Room for any SID, aligned for its 32-bit parts.
union SidBuffer {
    DWORD align;
    BYTE bytes[8 + 4 * ACCOUNT_MAX_PARTS];
};

// The SID of an account record.
PSID sidOfAccount(const AccountId &account, SidBuffer *buffer);
// The text form of a SID ("S-1-5-32-544"); 0 (empty text) for NULL or a malformed one.
int accountTextOfSid(PSID sid, char *text, size_t size);

// Big enough for the text of any SID.
#define ACCOUNT_TEXT_SIZE 200

#endif
