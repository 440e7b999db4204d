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

// Rights on the data folder that let others change it or what is in it: write data (add a
// file), append (add a folder), delete a child, write attributes (an empty folder becomes a
// mount point), delete, change the list, take ownership, and the generic write and all.
const uint32_t dataFolderChangingRights = 0x00000002u | 0x00000004u | 0x00000040u | 0x00000100u |
                                          0x00010000u | 0x00040000u | 0x00080000u | 0x40000000u |
                                          0x10000000u;
// Rights on a folder above it that let others delete or rename what it holds or change the
// folder itself. Adding files and folders to it (what C:\ gives every user) is harmless.
const uint32_t aboveChangingRights = 0x00000040u | 0x00000100u | 0x00010000u | 0x00040000u |
                                     0x00080000u | 0x40000000u | 0x10000000u;

// What counts at each place on the path.
struct PlaceRule {
    uint32_t changingRights;
    int32_t inheritedCounts;  // entries only for what is made in the folder count too
    int32_t linkOpens;        // a link here is open whatever its list
    FolderVerdict entryVerdict;
};
const PlaceRule placeRules[2] = {
    {dataFolderChangingRights, 1, 1, FOLDER_CHANGEABLE},  // the data folder
    {aboveChangingRights, 0, 0, FOLDER_ABOVE_CHANGEABLE}, // each folder above it
};

// Accounts that are administrators' own, whatever the folder: Administrators, SYSTEM,
// TrustedInstaller, and CREATOR OWNER.
const char *const administrativeAccounts[] = {
    "S-1-5-32-544",
    "S-1-5-18",
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
    "S-1-3-0",
};
const char powerUsersAccount[] = "S-1-5-32-547";
const uint32_t powerUsersTrustedVersion = 5;
const char ownerRightsAccount[] = "S-1-3-4";

int sameAccount(const char *a, const char *b)
{
    return a != NULL && b != NULL && strcmp(a, b) == 0;
}

int trustedAccount(const char *account, const FolderPath &path)
{
    if (account == NULL || account[0] == '\0')
        return 0;
    for (const char *trusted : administrativeAccounts)
        if (sameAccount(account, trusted))
            return 1;
    if (path.majorVersion == powerUsersTrustedVersion && sameAccount(account, powerUsersAccount))
        return 1;
    return sameAccount(account, path.runningAccount);
}

// An entry that applies to the folder itself (not only to what is made in it).
int appliesToFolder(const FolderEntry &entry)
{
    return (entry.flags & ENTRY_INHERIT_ONLY) == 0;
}

// An owner may always read and change the list, unless OWNER RIGHTS entries say what the
// owner may do: then only what they allow.
int ownerMayChange(const FolderRecord &folder, const PlaceRule &rule)
{
    int limited = 0;
    for (int32_t i = 0; i < folder.count; ++i) {
        const FolderEntry &entry = folder.entries[i];
        if (!appliesToFolder(entry) || !sameAccount(entry.account, ownerRightsAccount))
            continue;
        limited = 1;
        if (entry.kind != ENTRY_DENIES && (entry.rights & rule.changingRights) != 0)
            return 1;
    }
    return !limited;
}

int entryLetsOthersChange(const FolderEntry &entry, const FolderRecord &folder,
                          const PlaceRule &rule, int ownerTrusted, const FolderPath &path)
{
    if (entry.kind == ENTRY_DENIES)
        return 0;
    if (!appliesToFolder(entry) &&
        (!rule.inheritedCounts || (entry.flags & (ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT)) == 0))
        return 0;
    // An entry not understood counts for whatever it allows.
    uint32_t counted = entry.kind == ENTRY_ALLOWS ? rule.changingRights : 0xFFFFFFFFu;
    if ((entry.rights & counted) == 0 || trustedAccount(entry.account, path))
        return 0;
    return !(ownerTrusted && (sameAccount(entry.account, folder.owner) ||
                              sameAccount(entry.account, ownerRightsAccount)));
}

int judgeFolder(const FolderRecord &folder, const PlaceRule &rule, const FolderPath &path)
{
    if (folder.reading != FOLDER_READ)
        return FOLDER_UNJUDGED;
    if (rule.linkOpens && folder.link)
        return FOLDER_LINKED;
    if (!folder.listPresent)
        return rule.entryVerdict;
    int ownerTrusted = trustedAccount(folder.owner, path);
    if (!ownerTrusted && ownerMayChange(folder, rule))
        return FOLDER_OWNED_BY_OTHER;
    for (int32_t i = 0; i < folder.count; ++i)
        if (entryLetsOthersChange(folder.entries[i], folder, rule, ownerTrusted, path))
            return rule.entryVerdict;
    return FOLDER_TRUSTED;
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

int judgeFolderPath(const FolderPath &path)
{
    if (!path.keepsLists || path.network || path.count < 1)
        return FOLDER_UNJUDGED;
    // A data folder still to be made gets this program's own list: only the folders above it
    // are judged. Where its parent is missing too, it cannot be made at all.
    int32_t missing = 0;
    while (missing < path.count && path.folders[missing].reading == FOLDER_MISSING)
        ++missing;
    for (int32_t i = missing; i < path.count; ++i) {
        int verdict = judgeFolder(path.folders[i], placeRules[i == 0 ? 0 : 1], path);
        if (verdict != FOLDER_TRUSTED)
            return verdict;
    }
    return FOLDER_TRUSTED;
}
