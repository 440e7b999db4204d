// The access lists of data folders: the protected list given to a folder the setup program
// makes, and the reading of an existing folder's list. Only on the NT family and on file
// systems that keep such lists; elsewhere folders are made and used as they always were.
#ifndef VELMORANT_FOLDER_SECURITY_H
#define VELMORANT_FOLDER_SECURITY_H

#include <windows.h>

#include "accountIds.h"
#include "core/folderRights.h"

// A made folder's security description and the buffers it points into.
struct ProtectedFolderSecurity {
    SECURITY_DESCRIPTOR descriptor;
    union {
        ACL header;
        BYTE bytes[512];
    } list;
    SidBuffer accounts[8];
};

// 1 when the file system that holds path (an existing or a new folder) keeps access lists.
int volumeKeepsAccessLists(const char *path);
// Fills security from access (the core's list for made folders); 0 when the system lacks a
// call it needs or the list does not fit.
int buildFolderSecurity(ProtectedFolderSecurity *security, const CreatedFolderAccess &access);
// Makes one folder, as _mkdir does: 0, or -1 when it could not be made. On the NT family and
// a file system with access lists it is made with the protected list at once, so it is never
// open to others for a moment; elsewhere, or where the list cannot be built, it takes what
// its parent gives.
int makeDataFolder(const char *path, int nt);
// 1 when an existing folder's list lets accounts that are not administrators' change what is
// in it (folderRights.h says which). 0 when it does not, and when the list cannot be read or
// the file system keeps none.
int folderOpenToOthers(const char *path);

#endif
