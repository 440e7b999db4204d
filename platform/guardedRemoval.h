// Deletion inside a folder that other users may change while an elevated program works in it.
// On the NT family every entry is opened itself, never what a link there leads to, and judged
// by the handle; the folders on the way are held open, without leave to rename or delete
// them, while their entry goes. The 9x family has no links: plain deletion there.
#ifndef VELMORANT_GUARDED_REMOVAL_H
#define VELMORANT_GUARDED_REMOVAL_H

#include <stddef.h>
#include <stdint.h>

#include "core/installerSettings.h"
#include "core/pathText.h"
#include "core/removalRules.h"

struct RemovalGuard {
    int32_t linksPossible;  // the NT family: links may stand anywhere
    int32_t attempts;       // tries while the platform refuses (a program just closed may hold it)
    int32_t waitMilliseconds;
};

// What one removal did: a REMOVAL_* result; for REMOVAL_FAILED the platform's error code; for
// REMOVAL_LINK the path that leads elsewhere (the folder itself, one on the way, or the entry).
struct RemovalOutcome {
    int32_t result;
    uint32_t error;
    char link[TEXT_BUFFER_SIZE];
};

// Removes the file, or the empty folder (folderExpected), at path, which lies in folder
// (path may also be folder itself). Each attempt holds and judges folder and every folder on
// the way anew. Never deletes through a link, nor anything of another kind than expected.
void removeInFolder(const char *folder, const char *path, int folderExpected,
                    const RemovalGuard &guard, const LeadBytes &lead, RemovalOutcome *outcome);

#endif
