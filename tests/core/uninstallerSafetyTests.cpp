// What the uninstaller may delete where others can change the folder, and who may use the
// folder of its temporary copy.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "core/privateFolderAcl.h"
#include "core/removalRules.h"

TEST(RemovalRules, LinksAreNeverFollowedAndOnlyWhatWasMadeGoes)
{
    const uint32_t file = 0x20;  // "archive": an ordinary file
    struct {
        uint32_t attributes;
        int folderExpected;
        int verdict;
    } cases[] = {
        {file, 0, REMOVAL_GO},
        {file | ENTRY_READ_ONLY, 0, REMOVAL_READ_ONLY},
        {file | ENTRY_LINK, 0, REMOVAL_LINK},                    // a symbolic link to a file
        {file | ENTRY_LINK | ENTRY_READ_ONLY, 0, REMOVAL_LINK},
        {ENTRY_FOLDER, 0, REMOVAL_LEFT},                         // a folder at a file's name
        {ENTRY_FOLDER | ENTRY_LINK, 0, REMOVAL_LINK},
        {ENTRY_FOLDER, 1, REMOVAL_GO},
        {ENTRY_FOLDER | ENTRY_READ_ONLY, 1, REMOVAL_GO},         // the shell's mark, no protection
        {ENTRY_FOLDER | ENTRY_LINK, 1, REMOVAL_LINK},            // a junction
        {file, 1, REMOVAL_LEFT},
        {file | ENTRY_LINK, 1, REMOVAL_LINK},
    };
    for (const auto &c : cases)
        EXPECT_EQ(judgeRemoval(c.attributes, c.folderExpected), c.verdict)
            << std::hex << c.attributes << " folder " << c.folderExpected;
}

TEST(PrivateFolderAcl, TheUserAndTheSystemWithFullControlForEverythingInIt)
{
    // S-1-5-21-1-2-3-1000, an administrator's account.
    const uint8_t user[] = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0,
                            2, 0, 0, 0, 3, 0, 0, 0, 0xE8, 3, 0, 0};
    const uint8_t system[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    // Allowed (type 0), inherited by files and folders (3), its size, full control 0x1F01FF.
    auto entry = [](const uint8_t *sid, size_t length) {
        std::vector<uint8_t> bytes = {0, 3, (uint8_t)(8 + length), 0, 0xFF, 0x01, 0x1F, 0x00};
        bytes.insert(bytes.end(), sid, sid + length);
        return bytes;
    };
    std::vector<uint8_t> expected = {2, 0, 8 + 36 + 20, 0, 2, 0, 0, 0};
    for (const auto &part : {entry(user, sizeof user), entry(system, sizeof system)})
        expected.insert(expected.end(), part.begin(), part.end());

    uint8_t acl[PRIVATE_FOLDER_ACL_SIZE];
    // The SID as a token gives it: with bytes of the buffer after it.
    uint8_t token[40] = {};
    memcpy(token, user, sizeof user);
    ASSERT_EQ(buildPrivateFolderAcl(acl, sizeof acl, token, sizeof token), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(acl, acl + expected.size()), expected);

    // Run as the system itself (a deployment tool): one entry.
    std::vector<uint8_t> systemOnly = {2, 0, 8 + 20, 0, 1, 0, 0, 0};
    std::vector<uint8_t> systemEntry = entry(system, sizeof system);
    systemOnly.insert(systemOnly.end(), systemEntry.begin(), systemEntry.end());
    ASSERT_EQ(buildPrivateFolderAcl(acl, sizeof acl, system, sizeof system), systemOnly.size());
    EXPECT_EQ(std::vector<uint8_t>(acl, acl + systemOnly.size()), systemOnly);

    // No list from what is not a whole SID, or into too little room.
    uint8_t wrongRevision[sizeof user];
    memcpy(wrongRevision, user, sizeof user);
    wrongRevision[0] = 2;
    uint8_t tooManyParts[sizeof user];
    memcpy(tooManyParts, user, sizeof user);
    tooManyParts[1] = 16;
    EXPECT_EQ(buildPrivateFolderAcl(acl, sizeof acl, wrongRevision, sizeof wrongRevision), 0u);
    EXPECT_EQ(buildPrivateFolderAcl(acl, sizeof acl, tooManyParts, sizeof tooManyParts), 0u);
    EXPECT_EQ(buildPrivateFolderAcl(acl, sizeof acl, user, sizeof user - 1), 0u);
    EXPECT_EQ(buildPrivateFolderAcl(acl, expected.size() - 1, user, sizeof user), 0u);
    // The largest SIDs fit the room the header promises.
    uint8_t largest[8 + 15 * 4] = {1, 15, 0, 0, 0, 0, 0, 5};
    EXPECT_EQ(buildPrivateFolderAcl(acl, sizeof acl, largest, sizeof largest), 8u + 76 + 20);
}
