#include "core/folderRights.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char administrators[] = "S-1-5-32-544";
const char users[] = "S-1-5-32-545";
const char everyone[] = "S-1-1-0";
const char authenticatedUsers[] = "S-1-5-11";
const char interactive[] = "S-1-5-4";
const char localSystem[] = "S-1-5-18";
const char trustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const char creatorOwner[] = "S-1-3-0";
const char creatorGroup[] = "S-1-3-1";
const char ownerRights[] = "S-1-3-4";
const char powerUsers[] = "S-1-5-32-547";
const char runningAdministrator[] = "S-1-5-21-1-2-3-500";
const char otherUser[] = "S-1-5-21-1-2-3-1001";

const uint32_t inheritBoth = ENTRY_OBJECT_INHERIT | ENTRY_CONTAINER_INHERIT;
const uint32_t modify = 0x001301BF;

}  // namespace

namespace {

// A path of one folder, the data folder, read whole with the given list and owner.
int judgeOne(const FolderEntry *entries, int32_t count, const char *owner, int32_t listPresent = 1)
{
    FolderRecord folder = {FOLDER_READ, 0, listPresent, owner, entries, count};
    FolderPath path = {&folder, 1, 1, 0, runningAdministrator, 6};
    return judgeFolderPath(path);
}

}  // namespace

// Which single entry makes a data folder open to others, for an owner that is trusted and
// one that is not.
TEST(FolderRights, EntriesThatLetOthersChangeTheFolder)
{
    struct Case {
        int32_t kind;
        uint32_t flags;
        uint32_t rights;
        const char *account;
        const char *owner;
        int open;
    } cases[] = {
        // The shapes found on real folders: a folder made below C:\ on Vista and later, and
        // one that Wine reads back after "Everyone: modify" was set.
        {ENTRY_ALLOWS, inheritBoth | ENTRY_INHERIT_ONLY, modify, authenticatedUsers, administrators, 1},
        {ENTRY_ALLOWS, inheritBoth, 0x001301FF, everyone, runningAdministrator, 1},
        // Each changing right alone, for each account of other users.
        {ENTRY_ALLOWS, 0, 0x00000002, users, administrators, 1},           // write data, add a file
        {ENTRY_ALLOWS, 0, 0x00000004, interactive, administrators, 1},     // append, add a folder
        {ENTRY_ALLOWS, 0, 0x00000040, everyone, administrators, 1},        // delete a child
        {ENTRY_ALLOWS, 0, 0x00000100, users, administrators, 1},           // write attributes
        {ENTRY_ALLOWS, 0, 0x00010000, authenticatedUsers, administrators, 1},  // delete
        {ENTRY_ALLOWS, 0, 0x00040000, users, administrators, 1},           // change the list
        {ENTRY_ALLOWS, 0, 0x00080000, users, administrators, 1},           // take ownership
        {ENTRY_ALLOWS, 0, 0x40000000, users, administrators, 1},           // generic write
        {ENTRY_ALLOWS, 0, 0x10000000, users, administrators, 1},           // generic all
        {ENTRY_ALLOWS, ENTRY_OBJECT_INHERIT | ENTRY_INHERIT_ONLY, 0x00000002, otherUser,
         administrators, 1},                                               // for the files only
        {ENTRY_ALLOWS, inheritBoth | ENTRY_INHERIT_ONLY, FOLDER_FULL_CONTROL, creatorGroup,
         administrators, 1},
        // Reading and running, and extended attributes, change nothing.
        {ENTRY_ALLOWS, inheritBoth, FOLDER_READ_AND_EXECUTE, everyone, administrators, 0},
        {ENTRY_ALLOWS, inheritBoth, 0x00000010, users, administrators, 0},
        // Administrators' own accounts.
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, administrators, administrators, 0},
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, localSystem, administrators, 0},
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, trustedInstaller, trustedInstaller, 0},
        {ENTRY_ALLOWS, inheritBoth | ENTRY_INHERIT_ONLY, FOLDER_FULL_CONTROL, creatorOwner,
         administrators, 0},
        // An owner who is not trusted may change the list, whatever the entries say.
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, runningAdministrator, otherUser, 1},
        // The owner's entries count as the owner is trusted.
        {ENTRY_ALLOWS, 0, FOLDER_FULL_CONTROL, otherUser, otherUser, 1},
        {ENTRY_ALLOWS, 0, FOLDER_FULL_CONTROL, ownerRights, otherUser, 1},
        {ENTRY_ALLOWS, 0, FOLDER_FULL_CONTROL, ownerRights, administrators, 0},
        {ENTRY_ALLOWS, 0, FOLDER_FULL_CONTROL, runningAdministrator, runningAdministrator, 0},
        // Denying entries allow nothing; one passed on to nothing applies to nothing.
        {ENTRY_DENIES, 0, FOLDER_FULL_CONTROL, everyone, administrators, 0},
        {ENTRY_ALLOWS, ENTRY_INHERIT_ONLY, FOLDER_FULL_CONTROL, everyone, administrators, 0},
    };
    for (const Case &c : cases) {
        FolderEntry entry = {c.kind, c.flags, c.rights, c.account};
        EXPECT_EQ(judgeOne(&entry, 1, c.owner) != FOLDER_TRUSTED, c.open)
            << c.account << " rights " << std::hex << c.rights << " flags " << c.flags
            << " owner " << c.owner;
    }
    // No list at all lets everyone do everything; an empty one lets no one do anything.
    EXPECT_EQ(judgeOne(NULL, 0, administrators, 0), FOLDER_CHANGEABLE);
    EXPECT_EQ(judgeOne(NULL, 0, administrators), FOLDER_TRUSTED);
}

// The whole path: the data folder first, then the folders above it, each read as itself.
// A "C:\"-like folder above lets every user add folders to it, and no more.
TEST(FolderRights, PathsThatBringTheQuestion)
{
    const FolderEntry adminsOnly[] = {
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, administrators},
        {ENTRY_ALLOWS, inheritBoth, FOLDER_READ_AND_EXECUTE, users}};
    const FolderEntry driveRoot[] = {
        {ENTRY_ALLOWS, inheritBoth, FOLDER_FULL_CONTROL, administrators},
        {ENTRY_ALLOWS, 0, 0x00000004, authenticatedUsers},
        {ENTRY_ALLOWS, inheritBoth | ENTRY_INHERIT_ONLY, modify, authenticatedUsers}};
    const FolderEntry ownerLimited[] = {{ENTRY_ALLOWS, 0, FOLDER_READ_AND_EXECUTE, ownerRights},
                                        {ENTRY_ALLOWS, 0, FOLDER_FULL_CONTROL, administrators}};
    const FolderEntry ownerNotLimited[] = {{ENTRY_ALLOWS, 0, 0x00040000, ownerRights}};
    const FolderEntry unknownForOthers[] = {{ENTRY_OTHER, 0, 0x00000001, ""}};
    const FolderEntry unknownForAdmins[] = {{ENTRY_OTHER, 0, FOLDER_FULL_CONTROL, administrators}};
    const FolderEntry powerUsersModify[] = {{ENTRY_ALLOWS, inheritBoth, modify, powerUsers}};
    const FolderEntry deleteChildren[] = {{ENTRY_ALLOWS, 0, 0x00000040, users}};
    const FolderEntry renameItself[] = {{ENTRY_ALLOWS, 0, 0x00010000, users}};
    const FolderEntry writeAttributes[] = {{ENTRY_ALLOWS, 0, 0x00000100, users}};
    const FolderRecord good = {FOLDER_READ, 0, 1, administrators, adminsOnly, 2};
    const FolderRecord root = {FOLDER_READ, 0, 1, localSystem, driveRoot, 3};
    auto with = [](const FolderEntry *entries, int32_t count, const char *owner = administrators,
                   int32_t reading = FOLDER_READ, int32_t link = 0) {
        return FolderRecord{reading, link, 1, owner, entries, count};
    };
    struct Case {
        const char *what;
        FolderRecord data, above;
        uint32_t majorVersion;
        int32_t keepsLists, network;
        int verdict;
    } cases[] = {
        {"trusted all the way, below a C:\\-like root", good, root, 6, 1, 0, FOLDER_TRUSTED},
        {"to be made below the root", with(NULL, 0, "", FOLDER_MISSING), root, 6, 1, 0, FOLDER_TRUSTED},
        {"to be made, its parent too", with(NULL, 0, "", FOLDER_MISSING),
         with(NULL, 0, "", FOLDER_MISSING), 6, 1, 0, FOLDER_TRUSTED},
        {"missing above an existing one", good, with(NULL, 0, "", FOLDER_MISSING), 6, 1, 0,
         FOLDER_UNJUDGED},
        {"untrusted owner", with(adminsOnly, 2, otherUser), root, 6, 1, 0, FOLDER_OWNED_BY_OTHER},
        {"unreadable owner", with(adminsOnly, 2, ""), root, 6, 1, 0, FOLDER_OWNED_BY_OTHER},
        {"owner limited by OWNER RIGHTS", with(ownerLimited, 2, otherUser), root, 6, 1, 0,
         FOLDER_TRUSTED},
        {"owner not limited by OWNER RIGHTS", with(ownerNotLimited, 1, otherUser), root, 6, 1, 0,
         FOLDER_OWNED_BY_OTHER},
        {"write attributes", with(writeAttributes, 1), root, 6, 1, 0, FOLDER_CHANGEABLE},
        {"unknown entry for others", with(unknownForOthers, 1), root, 6, 1, 0, FOLDER_CHANGEABLE},
        {"unknown entry for administrators", with(unknownForAdmins, 1), root, 6, 1, 0,
         FOLDER_TRUSTED},
        {"Power Users on XP", with(powerUsersModify, 1), root, 5, 1, 0, FOLDER_TRUSTED},
        {"Power Users on Vista", with(powerUsersModify, 1), root, 6, 1, 0, FOLDER_CHANGEABLE},
        {"Power Users on NT 4.0", with(powerUsersModify, 1), root, 4, 1, 0, FOLDER_CHANGEABLE},
        {"unreadable list", with(adminsOnly, 2, administrators, FOLDER_UNREADABLE), root, 6, 1, 0,
         FOLDER_UNJUDGED},
        {"list changed while read", with(adminsOnly, 2, administrators, FOLDER_CHANGED), root, 6,
         1, 0, FOLDER_UNJUDGED},
        {"volume without lists", good, root, 6, 0, 0, FOLDER_UNJUDGED},
        {"network path", good, root, 6, 1, 1, FOLDER_UNJUDGED},
        {"data folder is a link", with(adminsOnly, 2, administrators, FOLDER_READ, 1), root, 6,
         1, 0, FOLDER_LINKED},
        {"unreadable folder above", good, with(adminsOnly, 2, administrators, FOLDER_UNREADABLE),
         6, 1, 0, FOLDER_UNJUDGED},
        {"above lets others delete children", good, with(deleteChildren, 1), 6, 1, 0,
         FOLDER_ABOVE_CHANGEABLE},
        {"above may be renamed by others", good, with(renameItself, 1), 6, 1, 0,
         FOLDER_ABOVE_CHANGEABLE},
        {"above owned by another user", good, with(adminsOnly, 2, otherUser), 6, 1, 0,
         FOLDER_OWNED_BY_OTHER},
        {"link above with a trusted list", good, with(adminsOnly, 2, administrators, FOLDER_READ, 1),
         6, 1, 0, FOLDER_TRUSTED},
    };
    for (const Case &c : cases) {
        FolderRecord folders[3] = {c.data, c.above, root};
        FolderPath path = {folders, 3, c.keepsLists, c.network, runningAdministrator, c.majorVersion};
        EXPECT_EQ(judgeFolderPath(path), c.verdict) << c.what;
    }
}

// The list a made folder gets, as the system's text form would show it: protected, full
// control for Administrators and SYSTEM, read and run for Users, all passed on.
TEST(FolderRights, MadeFolderList)
{
    ASSERT_EQ(createdFolderAccess.count, 3);
    EXPECT_EQ(createdFolderAccess.protectedFromParent, 1);
    std::string entries;
    for (int32_t i = 0; i < createdFolderAccess.count; ++i) {
        const FolderGrant &grant = createdFolderAccess.grants[i];
        char account[64];
        ASSERT_TRUE(formatAccountText(account, sizeof account, *grant.account));
        char entry[128];
        snprintf(entry, sizeof entry, "(%s 0x%x %u)", account, (unsigned)grant.rights,
                 (unsigned)grant.flags);
        entries += entry;
    }
    EXPECT_EQ(entries, "(S-1-5-32-544 0x1f01ff 3)(S-1-5-18 0x1f01ff 3)(S-1-5-32-545 0x1200a9 3)");
    // None of them lets others change the folder it is given to.
    for (int32_t i = 0; i < createdFolderAccess.count; ++i) {
        const FolderGrant &grant = createdFolderAccess.grants[i];
        char account[64];
        formatAccountText(account, sizeof account, *grant.account);
        FolderEntry entry = {ENTRY_ALLOWS, grant.flags, grant.rights, account};
        EXPECT_EQ(judgeOne(&entry, 1, administrators), FOLDER_TRUSTED) << account;
    }
}

TEST(FolderRights, AccountText)
{
    AccountId trusted = {{0, 0, 0, 0, 0, 5}, 6, {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u}};
    AccountId everyoneId = {{0, 0, 0, 0, 0, 1}, 1, {0}};
    AccountId wide = {{0, 1, 0, 0, 0, 0x2a}, 1, {7}};
    AccountId tooMany = {{0, 0, 0, 0, 0, 5}, ACCOUNT_MAX_PARTS + 1, {0}};
    char text[200];
    ASSERT_TRUE(formatAccountText(text, sizeof text, trusted));
    EXPECT_STREQ(text, trustedInstaller);
    ASSERT_TRUE(formatAccountText(text, sizeof text, everyoneId));
    EXPECT_STREQ(text, everyone);
    ASSERT_TRUE(formatAccountText(text, sizeof text, wide));
    EXPECT_STREQ(text, "S-1-0x00010000002A-7");
    EXPECT_FALSE(formatAccountText(text, sizeof text, tooMany));
    EXPECT_STREQ(text, "");
    char small[12];  // "S-1-5-32-544" needs 13
    EXPECT_FALSE(formatAccountText(small, sizeof small, administratorsAccount));
    EXPECT_STREQ(small, "");
}
