#include "folderRights.h"

#include <string.h>

#include "boundedText.h"

namespace {

const AccountId systemAccount = {{0, 0, 0, 0, 0, 5}, 1, {18}};
const AccountId usersAccount = {{0, 0, 0, 0, 0, 5}, 2, {32, 545}};

const FolderGrant createdFolderGrants[] = {
    {&administratorsAccount, FOLDER_FULL_CONTROL, ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT},
    {&systemAccount, FOLDER_FULL_CONTROL, ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT},
    {&usersAccount, FOLDER_READ_AND_EXECUTE, ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT},
};

// Rights that change a folder or what is in it: write data (add a file), append (add a
// folder), delete a child, delete, change the list, take ownership, and the generic write
// and all.
const uint32_t changingRights = 0x00000002u | 0x00000004u | 0x00000040u | 0x00010000u |
                                0x00040000u | 0x00080000u | 0x40000000u | 0x10000000u;

// Accounts that are administrators' own, whatever the folder: Administrators, SYSTEM,
// TrustedInstaller, and CREATOR OWNER (in a file made by an administrator it names that
// administrator).
const char *const administrativeAccounts[] = {
    "S-1-5-32-544",
    "S-1-5-18",
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
    "S-1-3-0",
};
const char ownerRightsAccount[] = "S-1-3-4";

int sameAccount(const char *a, const char *b)
{
    return a != NULL && b != NULL && strcmp(a, b) == 0;
}

int administrativeAccount(const char *account, const char *runningAccount)
{
    for (const char *trusted : administrativeAccounts)
        if (sameAccount(account, trusted))
            return 1;
    return sameAccount(account, runningAccount);
}

int appendDecimal(char *text, size_t size, uint32_t value)
{
    char digits[16];
    return formatText(digits, sizeof digits, "-%u", (unsigned)value) &&
           appendText(text, size, digits);
}

int composeAccountText(char *text, size_t size, const AccountId &account)
{
    if (!copyText(text, size, "S-1") || account.count < 0 || account.count > ACCOUNT_MAX_PARTS)
        return 0;
    const uint8_t *a = account.authority;
    if (a[0] == 0 && a[1] == 0) {
        uint32_t value = (uint32_t)a[2] << 24 | (uint32_t)a[3] << 16 | (uint32_t)a[4] << 8 | a[5];
        if (!appendDecimal(text, size, value))
            return 0;
    } else {
        // The wide form, as the system writes it: twelve hexadecimal digits.
        static const char hex[] = "0123456789ABCDEF";
        char wide[16] = "-0x";
        for (int i = 0; i < 6; ++i) {
            wide[3 + 2 * i] = hex[a[i] >> 4];
            wide[4 + 2 * i] = hex[a[i] & 15];
        }
        wide[15] = '\0';
        if (!appendText(text, size, wide))
            return 0;
    }
    for (int32_t i = 0; i < account.count; ++i)
        if (!appendDecimal(text, size, account.parts[i]))
            return 0;
    return 1;
}

}  // namespace

const AccountId administratorsAccount = {{0, 0, 0, 0, 0, 5}, 2, {32, 544}};

const CreatedFolderAccess createdFolderAccess = {
    createdFolderGrants, (int32_t)(sizeof createdFolderGrants / sizeof createdFolderGrants[0]), 1};

int formatAccountText(char *text, size_t size, const AccountId &account)
{
    if (composeAccountText(text, size, account))
        return 1;
    if (size > 0)
        text[0] = '\0';
    return 0;
}

int othersCanChangeFolder(const FolderAccessList &list)
{
    if (!list.present)
        return 1;
    int ownerTrusted = administrativeAccount(list.owner, list.runningAccount);
    for (int32_t i = 0; i < list.count; ++i) {
        const FolderEntry &entry = list.entries[i];
        if (entry.kind != ENTRY_ALLOWS || (entry.rights & changingRights) == 0)
            continue;
        // An entry only for what is made in the folder, yet passed on to nothing, applies to
        // nothing.
        if ((entry.flags & ENTRY_INHERIT_ONLY) &&
            (entry.flags & (ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT)) == 0)
            continue;
        if (administrativeAccount(entry.account, list.runningAccount))
            continue;
        if (ownerTrusted &&
            (sameAccount(entry.account, list.owner) || sameAccount(entry.account, ownerRightsAccount)))
            continue;
        return 1;
    }
    return 0;
}
