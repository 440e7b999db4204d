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
// ENTRY_OTHER is a kind of entry this program does not understand: its rights are the mask
// as stored and its account is unknown ("").
enum FolderEntryKind { ENTRY_ALLOWS, ENTRY_DENIES, ENTRY_OTHER };
struct FolderEntry {
    int32_t kind;
    uint32_t flags;
    uint32_t rights;
    const char *account;
};

// How a folder on the path was read.
enum FolderReading {
    FOLDER_READ,        // owner and list read whole
    FOLDER_UNREADABLE,  // not opened, or its owner or list not read
    FOLDER_CHANGED,     // its owner or list differed between two reads
    FOLDER_MISSING,     // not there (yet): the data folder or the folders above it to be made
};
// One folder on the path, read as itself (a link there is not followed).
struct FolderRecord {
    int32_t reading;      // FolderReading
    int32_t link;         // a junction, mount point or symbolic link
    int32_t listPresent;  // 0: no list at all, which lets everyone do everything
    const char *owner;    // "" when it could not be read
    const FolderEntry *entries;
    int32_t count;
};
// The data folder (first) and every folder above it up to the volume's root.
struct FolderPath {
    const FolderRecord *folders;
    int32_t count;
    int32_t keepsLists;  // 0: the volume keeps no lists (FAT, exFAT)
    int32_t network;     // a share or a network drive: its accounts are the server's
    const char *runningAccount;  // the account this program runs as
    uint32_t majorVersion;       // of the system: Power Users are trusted on 2000 and XP (5)
};

// Why a data folder is open to others, or FOLDER_TRUSTED when it is not.
enum FolderVerdict {
    FOLDER_TRUSTED,
    FOLDER_UNJUDGED,       // something on the path could not be judged
    FOLDER_LINKED,         // the data folder is a link
    FOLDER_OWNED_BY_OTHER, // a folder's owner is not trusted and may change its list
    FOLDER_CHANGEABLE,     // an entry lets another account change the data folder
    FOLDER_ABOVE_CHANGEABLE, // an entry lets another account delete, rename or change a folder above
};

// Whether another user could replace the programs installed in the data folder, which an
// administrator later runs: through the folder's owner, its list, a link, or a folder above
// it. Trusted are Administrators, SYSTEM, TrustedInstaller, the account running this
// program, CREATOR OWNER in an entry (it becomes whoever makes a file, who needs a right of
// his own to do so), and on 2000 and XP Power Users (who can make themselves administrators
// there). What cannot be judged counts as open.
int judgeFolderPath(const FolderPath &path);

#endif
