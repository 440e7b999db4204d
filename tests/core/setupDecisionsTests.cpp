#include "core/setupDecisions.h"

#include <gtest/gtest.h>

#include <string>

#include "codePage932.h"

TEST(DriveRoot, DriveLetterPathsAndNetworkPaths)
{
    struct Case {
        const char *folder;
        int currentDrive;
        const char *root;
    } cases[] = {
        {"C:\\Program Files\\Velmorant", 3, "C:\\"},
        {"D:/Data", 3, "D:/"},
        {"E:", 3, "E:"},                        // shorter than three characters: kept whole
        {"\\\\server\\share\\Velmorant", 3, "\\\\server\\share\\"},
        {"\\\\server\\share", 4, "\\\\server\\share\\"},
        {"//server/share/Velmorant", 4, "//server/share\\"},
        // A share named with a character whose second byte is "\".
        {"\\\\server\\" HYO "x\\Velmorant", 3, "\\\\server\\" HYO "x\\"},
        {"\\Velmorant", 1, "A:/"},
        {"", 26, "Z:/"},
    };
    for (const Case &c : cases) {
        char root[32];
        ASSERT_TRUE(buildDriveRoot(root, sizeof root, c.folder, c.currentDrive, codePage932))
            << c.folder;
        EXPECT_STREQ(root, c.root) << c.folder;
    }
    char small[15];  // "\\server\share\" needs 16
    EXPECT_FALSE(buildDriveRoot(small, sizeof small, "\\\\server\\share", 3, codePage932));
    EXPECT_STREQ(small, "");
}

TEST(FreeSpace, ClusterArithmetic)
{
    // 1 MB with 4096-byte clusters (8 sectors of 512 bytes) needs 256 clusters.
    EXPECT_TRUE(driveHasRoom(1, 8, 512, 256));
    EXPECT_FALSE(driveHasRoom(1, 8, 512, 255));
    EXPECT_TRUE(driveHasRoom(1, 1, 4096, 256));
    // Needed clusters round down: 1 MB in 3000-byte clusters is 349.5 -> 349.
    EXPECT_TRUE(driveHasRoom(1, 1, 3000, 349));
    EXPECT_FALSE(driveHasRoom(1, 1, 3000, 348));
    // The largest requirement the 32-bit arithmetic allows.
    EXPECT_TRUE(driveHasRoom(4095, 64, 512, 4095u * 32u));
    EXPECT_FALSE(driveHasRoom(4095, 64, 512, 4095u * 32u - 1));
    EXPECT_TRUE(driveHasRoom(0, 8, 512, 0));
    // A drive reporting no cluster size cannot be measured: not a division by zero.
    EXPECT_TRUE(driveHasRoom(1, 0, 512, 0));
    EXPECT_TRUE(driveHasRoom(1, 8, 0, 0));
}

TEST(FreeSpace, MegabytesRoundDown)
{
    EXPECT_EQ(freeMegabytes(8, 512, 255), 0u);   // 0.996 MB
    EXPECT_EQ(freeMegabytes(8, 512, 230), 0u);   // 0.9 MB
    EXPECT_EQ(freeMegabytes(8, 512, 256), 1u);
    EXPECT_EQ(freeMegabytes(8, 512, 511), 1u);
    EXPECT_EQ(freeMegabytes(1, 512, 2048 * 100 + 7), 100u);
}

TEST(Commands, ExactBytes)
{
    char out[64];
    ASSERT_TRUE(buildStartupCommand(out, sizeof out, "C:\\V\\velmorant.exe", "-a -b"));
    EXPECT_EQ(std::string(out), "\"C:\\V\\velmorant.exe\" -a -b\n");
    ASSERT_TRUE(buildStartupCommand(out, sizeof out, "C:\\V\\velmorant.exe", ""));
    EXPECT_EQ(std::string(out), "\"C:\\V\\velmorant.exe\" \n");  // blank and line feed stay
    ASSERT_TRUE(buildQuotedPath(out, sizeof out, "C:\\V\\velmorant.exe"));
    EXPECT_EQ(std::string(out), "\"C:\\V\\velmorant.exe\"");
    ASSERT_TRUE(buildFolderFilePath(out, sizeof out, "C:\\V", "nqlopsv.exe"));
    EXPECT_EQ(std::string(out), "C:\\V\\nqlopsv.exe");
    ASSERT_TRUE(buildUninstallKeyPath(out, sizeof out, "Velmorant"));
    EXPECT_EQ(std::string(out), "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant");
}

TEST(Commands, TooLongIsRefusedNotCut)
{
    std::string folder(1009, 'f');
    char path[1024];
    EXPECT_TRUE(buildFolderFilePath(path, sizeof path, folder.c_str(), "velmorant.exe"));  // 1023
    folder.push_back('g');
    EXPECT_FALSE(buildFolderFilePath(path, sizeof path, folder.c_str(), "velmorant.exe"));
    EXPECT_STREQ(path, "");
    std::string program(1019, 'p');
    char command[1024];
    EXPECT_TRUE(buildStartupCommand(command, sizeof command, program.c_str(), ""));  // 1023
    EXPECT_FALSE(buildStartupCommand(command, sizeof command, program.c_str(), "x"));
}

// The refusal of a user without rights only where nothing else asks for them. (How the
// product is started is traced with the sequence.)
TEST(SystemVersions, RefusalOfNonAdministrators)
{
    struct Case {
        int nt;
        uint32_t majorVersion;
        int refusesNonAdministrator;
    } cases[] = {
        {0, 4, 0},  // 95, 98, ME
        {1, 4, 1},  // NT 4.0
        {1, 5, 1},  // 2000, XP
        {1, 6, 0},  // Vista, 7
        {1, 10, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(refusesUser(c.nt, c.majorVersion, 0), c.refusesNonAdministrator)
            << c.nt << " " << c.majorVersion;
        EXPECT_EQ(refusesUser(c.nt, c.majorVersion, 1), 0);
    }
    // Power Users pass on 2000 and XP only.
    EXPECT_EQ(refusesUser(1, 5, ACCOUNT_POWER_USER), 0);
    EXPECT_EQ(refusesUser(1, 4, ACCOUNT_POWER_USER), 1);
}
