// Who may change a data folder: the access list the setup program gives a folder it makes,
// and whether an existing folder's list lets accounts other than the administrators change
// what is in it. No platform header: the platform reads and writes the lists and hands them
// over in these records.
#ifndef VELMORANT_FOLDER_RIGHTS_H
#define VELMORANT_FOLDER_RIGHTS_H

#include <stddef.h>
#include <stdint.h>

// An account's security identifier: the 48-bit identifier authority (most significant byte
// first, as stored) and its sub-authorities.
#define ACCOUNT_MAX_PARTS 15
struct AccountId {
    uint8_t authority[6];
    int32_t count;
    uint32_t parts[ACCOUNT_MAX_PARTS];
};

// The text form "S-1-<authority>-<part>-..." ("S-1-5-32-544" for the Administrators group).
// 0 (empty text) when it does not fit or the identifier has too many parts.
int formatAccountText(char *text, size_t size, const AccountId &account);

// Rights and entry flags as the file system's access lists hold them.
#define FOLDER_FULL_CONTROL 0x001F01FFu     // every file and folder right
#define FOLDER_READ_AND_EXECUTE 0x001200A9u // list, read, run; read attributes and the list
#define ENTRY_OBJECT_INHERIT 0x01u          // passed on to the files in the folder
#define ENTRY_CONTAINER_INHERIT 0x02u       // passed on to the folders in it
#define ENTRY_INHERIT_ONLY 0x08u            // for what is made in the folder, not the folder

// One entry of the list the setup program gives a folder it makes.
struct FolderGrant {
    const AccountId *account;
    uint32_t rights;
    uint32_t flags;
};
// The list for a folder the setup program makes (where the file system keeps access lists):
// full control for the Administrators and the system, read and run for the Users, each passed
// on to everything below; nothing taken over from the parent folder.
struct CreatedFolderAccess {
    const FolderGrant *grants;
    int32_t count;
    int32_t protectedFromParent;  // 1: the parent's inheritable entries do not apply
};
extern const CreatedFolderAccess createdFolderAccess;

extern const AccountId administratorsAccount;  // S-1-5-32-544

// An entry of an existing folder's list as read by the platform: the account as text.
enum FolderEntryKind { ENTRY_ALLOWS, ENTRY_DENIES, ENTRY_OTHER };
struct FolderEntry {
    int32_t kind;
    uint32_t flags;
    uint32_t rights;
    const char *account;
};
// A folder's list as read, with its owner and the account this program runs as (an
// administrator: the program asks for those rights).
struct FolderAccessList {
    int32_t present;  // 0: no list at all, which lets everyone do everything
    const FolderEntry *entries;
    int32_t count;
    const char *owner;
    const char *runningAccount;
};

// 1 when an entry lets an account that is not an administrator's write, append, delete, or
// change the list or the owner of the folder or of what is made in it: then another user
// could replace the programs installed there, which an administrator later runs.
// Administrators, the system, TrustedInstaller, the creator-owner placeholder (it becomes the
// administrator who makes a file), the account running this program, and the folder's owner
// when that is one of these are trusted; every other account is not. Denying entries are not
// counted (the question they could spare is harmless).
int othersCanChangeFolder(const FolderAccessList &list);

#endif
