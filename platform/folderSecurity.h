// The access lists of data folders: the protected list given to a folder the setup program
// makes, and the reading of the data folder and every folder above it for the judgement of
// the core (folderRights.h). Only on the NT family; elsewhere folders are made and used as
// they always were.
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
// How a folder is made: CreateDirectoryA, or a stand-in in the tests.
typedef BOOL(WINAPI *MakeFolderCall)(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
enum { FOLDER_NOT_MADE = -1, FOLDER_NOT_PROTECTED = -2 };
// Makes one folder, as _mkdir does: 0, or FOLDER_NOT_MADE. On the NT family and a file
// system with access lists it is made with the protected list at once, so it is never open to
// others for a moment; there, a list that cannot be built gives FOLDER_NOT_PROTECTED and no
// folder. Elsewhere it takes what its parent gives.
int makeDataFolder(const char *path, int nt, MakeFolderCall make = CreateDirectoryA);
// Judges the data folder at path (a full path) and every folder above it, each opened as
// itself, never through a link: the core's FolderVerdict (folderRights.h). The data folder,
// when it is there, stays open in *held (else NULL) without delete sharing, so that it can
// be neither renamed nor replaced while the caller holds it.
int judgeDataFolder(const char *path, uint32_t majorVersion, HANDLE *held);
// Opens a folder just made as the judgement holds a data folder; NULL when it cannot.
HANDLE holdFolder(const char *path);

#endif
