// The uninstaller's path rules and texts, without the platform.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/uninstallTexts.h"

#include "codePage932.h"

TEST(UninstallPaths, OnlyPlainRelativeNamesAreRemoved)
{
    struct {
        const char *name;
        int removable;
    } cases[] = {
        {"velmorant.exe", 1},
        {"velmorant.exe.manifest", 1},
        {"help/index.html", 1},
        {"help\\images\\logo.png", 1},
        {"system/shared.dll", 1},   // lower case: no system prefix
        {"SYSTEMS/x.dll", 1},
        {"SYSTEM/velmorant.dll", 0},  // shared files in the system directory stay
        {"SYSTEM\\velmorant.dll", 0},
        {"..\\other\\file.txt", 0},
        {"help/../../boot.ini", 0},
        {"./velmorant.exe", 0},
        {"\\windows\\win.ini", 0},
        {"/etc/passwd", 0},
        {"C:\\autoexec.bat", 0},
        {"file.txt:stream", 0},
        {"help//index.html", 0},
        {"help/", 0},
        {"", 0},
        {"...", 1},  // an odd but plain file name
        {HYO "\\x.txt", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isRemovableStoredName(c.name, codePage932), c.removable) << c.name;
}

TEST(UninstallPaths, InstalledPathUsesBackslashesAndFitsOrIsRefused)
{
    char path[40];
    ASSERT_EQ(buildInstalledFilePath(path, sizeof path, "C:\\Program Files\\Velmorant", "a/b/c.txt",
                                     codePage932), 1);
    EXPECT_STREQ(path, "C:\\Program Files\\Velmorant\\a\\b\\c.txt");
    ASSERT_EQ(buildInstalledFilePath(path, sizeof path, "D:\\V\\", "x.exe", codePage932), 1);
    EXPECT_STREQ(path, "D:\\V\\x.exe");
    // 26 + 1 + 12 + NUL = 40 fits exactly; one more character does not.
    EXPECT_EQ(buildInstalledFilePath(path, sizeof path, "C:\\Program Files\\Velmorant", "abcdefgh.exe", codePage932), 1);
    EXPECT_EQ(buildInstalledFilePath(path, sizeof path, "C:\\Program Files\\Velmorant", "abcdefghi.exe", codePage932), 0);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(buildInstalledFilePath(path, sizeof path, "", "x.exe", codePage932), 0);
}

// The installation's folder and whether it may go: a root stays a root ("C:" alone names the
// drive's current folder), and no relative form is ever a folder to remove.
TEST(UninstallPaths, InstallationFolderRootsAndRelativeForms)
{
    struct {
        const char *path, *folder;
        int removable;
    } cases[] = {
        {"C:\\Program Files\\Velmorant\\qxuninst.exe", "C:\\Program Files\\Velmorant", 1},
        {"C:\\qxuninst.exe", "C:\\", 0},
        {"\\\\server\\share\\qxuninst.exe", "\\\\server\\share", 0},
        {"\\\\server\\share\\V\\qxuninst.exe", "\\\\server\\share\\V", 1},
        {"\\Velmorant\\qxuninst.exe", "", 0},
        {".\\Velmorant\\qxuninst.exe", "", 0},
        {"C:Velmorant\\qxuninst.exe", "", 0},
        {"qxuninst.exe", "", 0},
    };
    for (const auto &c : cases) {
        char folder[64] = "x";
        EXPECT_EQ(installationFolderOfPath(folder, sizeof folder, c.path, codePage932), c.folder[0] != '\0')
            << c.path;
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_EQ(isRemovableFolder(folder, codePage932), c.removable) << c.path;
    }
    for (const char *relative : {"\\Velmorant", ".\\Velmorant", "C:", "C:\\", "C:Velmorant", ""})
        EXPECT_EQ(isRemovableFolder(relative, codePage932), 0) << relative;
    char folder[3];
    EXPECT_EQ(installationFolderOfPath(folder, sizeof folder, "C:\\q.exe", codePage932), 0);  // "C:\\" needs 4
    EXPECT_STREQ(folder, "");
}

// The uninstall command as this build writes it (quoted) and as earlier ones did.
TEST(UninstallPaths, CommandProgramPath)
{
    char path[40];
    ASSERT_EQ(commandProgramPath(path, sizeof path, "\"C:\\Program Files\\V\\qxuninst.exe\""), 1);
    EXPECT_STREQ(path, "C:\\Program Files\\V\\qxuninst.exe");
    ASSERT_EQ(commandProgramPath(path, sizeof path, "C:\\Program Files\\V\\qxuninst.exe"), 1);
    EXPECT_STREQ(path, "C:\\Program Files\\V\\qxuninst.exe");
    EXPECT_EQ(commandProgramPath(path, sizeof path, "\"C:\\V\\qxuninst.exe"), 0);  // unclosed
    EXPECT_EQ(commandProgramPath(path, 10, "\"C:\\V\\qxuninst.exe\""), 0);
    EXPECT_STREQ(path, "");
}

TEST(UninstallPaths, FoldersAndComponents)
{
    char folder[32];
    ASSERT_EQ(folderOfPath(folder, sizeof folder, "C:\\Velmorant\\qxuninst.exe", codePage932), 1);
    EXPECT_STREQ(folder, "C:\\Velmorant");
    ASSERT_EQ(folderOfPath(folder, sizeof folder, "C:/a/b/c", codePage932), 1);
    EXPECT_STREQ(folder, "C:/a/b");
    EXPECT_EQ(folderOfPath(folder, sizeof folder, "qxuninst.exe", codePage932), 0);
    EXPECT_EQ(folderOfPath(folder, 12, "C:\\Velmorant\\q.exe", codePage932), 0);  // 12 characters need 13
    EXPECT_STREQ(folder, "");
    EXPECT_STREQ(fileNameOfPath("C:\\V\\qxuninst.exe", codePage932), "qxuninst.exe");
    EXPECT_STREQ(fileNameOfPath("qxuninst.exe", codePage932), "qxuninst.exe");

    char path[] = "C:\\V\\help\\img\\logo.png";
    std::string cuts;
    while (cutLastComponent(path, codePage932))
        cuts += std::string(path) + "|";
    EXPECT_EQ(cuts, "C:\\V\\help\\img|C:\\V\\help|C:\\V|C:|");

    // A folder named with a character whose second byte is "\".
    ASSERT_EQ(folderOfPath(folder, sizeof folder, "C:\\" HYO "\\qxuninst.exe", codePage932), 1);
    EXPECT_STREQ(folder, "C:\\" HYO);
    EXPECT_STREQ(fileNameOfPath("C:\\" HYO, codePage932), HYO);
    char dbcsPath[] = "C:\\" HYO;
    ASSERT_EQ(cutLastComponent(dbcsPath, codePage932), 1);
    EXPECT_STREQ(dbcsPath, "C:");
    ASSERT_EQ(buildInstalledFilePath(path, sizeof path, "C:\\" HYO, "a/" HYO, codePage932), 1);
    EXPECT_STREQ(path, "C:\\" HYO "\\a\\" HYO);
}

TEST(UninstallTexts, FailureReasonsAndReportLines)
{
    char reason[32];
    struct {
        unsigned code;
        int readOnly;
        const char *text;
    } reasons[] = {
        {5, 1, "it is read-only"},
        {5, 0, "access denied"},
        {32, 0, "it is in use"},
        {145, 0, "the folder is not empty"},
        {1234, 0, "error 1234"},
        {4294967295u, 0, "error 4294967295"},
    };
    for (const auto &r : reasons) {
        ASSERT_EQ(buildFailureReason(reason, sizeof reason, r.code, r.readOnly), 1);
        EXPECT_STREQ(reason, r.text);
    }

    char report[48] = "";
    EXPECT_EQ(appendReportLine(report, sizeof report, "C:\\V\\a.exe", "it is in use"), 1);
    EXPECT_STREQ(report, "\r\nC:\\V\\a.exe (it is in use)");
    // 27 used; a 21-character line would need 49 bytes: refused, the report unchanged.
    EXPECT_EQ(appendReportLine(report, sizeof report, "C:\\V\\bcdef", "in use"), 0);
    EXPECT_STREQ(report, "\r\nC:\\V\\a.exe (it is in use)");
    EXPECT_EQ(appendReportLine(report, sizeof report, "C:\\V\\bcde", "in use"), 1);
    EXPECT_EQ(std::string(report).size(), 47u);
}

TEST(UninstallTexts, FinishArgumentsRoundTripAndRefuseOthers)
{
    char arguments[128];
    ASSERT_EQ(buildFinishArguments(arguments, sizeof arguments, 4026531839u,
                                   "C:\\Program Files\\Velmorant\\qxuninst.exe"),
              1);
    EXPECT_STREQ(arguments, "/finish 4026531839 \"C:\\Program Files\\Velmorant\\qxuninst.exe\"");
    uint32_t id = 0;
    char path[64];
    ASSERT_EQ(parseFinishArguments(arguments, &id, path, sizeof path, codePage932), 1);
    EXPECT_EQ(id, 4026531839u);
    EXPECT_STREQ(path, "C:\\Program Files\\Velmorant\\qxuninst.exe");
    EXPECT_EQ(parseFinishArguments("/finish 12 \"D:\\v\\QXUNINST.EXE\"", &id, path, sizeof path,
                                   codePage932), 1);
    EXPECT_EQ(id, 12u);

    const char *refused[] = {
        "",
        "/finish",
        "/finish 12",
        "/finish x \"C:\\V\\qxuninst.exe\"",
        "/finish 4294967296 \"C:\\V\\qxuninst.exe\"",  // beyond 32 bits
        "/finish 12 C:\\V\\qxuninst.exe",
        "/finish 12 \"C:\\V\\qxuninst.exe\" more",
        "/finish 12 \"C:\\V\\qxuninst.exe",
        "/finish 12 \"\"",
        "/finish 12 \"C:\\V\\velmorant.exe\"",  // only the uninstaller's own file
        "/finish 12 \"qxuninst.exe\"",          // not a full path
        "/FINISH 12 \"C:\\V\\qxuninst.exe\"",
    };
    for (const char *text : refused) {
        EXPECT_EQ(parseFinishArguments(text, &id, path, sizeof path, codePage932), 0) << text;
        EXPECT_STREQ(path, "") << text;
    }
    // A path longer than the buffer is refused, not cut.
    EXPECT_EQ(parseFinishArguments("/finish 1 \"C:\\Velmorant\\qxuninst.exe\"", &id, path, 24,
                                   codePage932), 0);
}

// The helper's folders that a later run removes: exactly the names the helper is given.
TEST(UninstallTexts, HelperFolderNames)
{
    char name[32];
    ASSERT_EQ(buildHelperFolderName(name, sizeof name, 4294967295u, 0), 1);
    EXPECT_STREQ(name, "qxu4294967295-0");
    EXPECT_EQ(isHelperFolderName(name), 1);
    EXPECT_EQ(isHelperFolderName("qxu12-345"), 1);
    for (const char *other : {"qxu", "qxu12", "qxu12-", "qxu-12", "qxu12-345x", "qxu12-34-5",
                              "qxu4294967296-1", "qxu01-2", "QXU12-345", "xqxu12-345",
                              "qxu12_345", "qxu12-345\\x"})
        EXPECT_EQ(isHelperFolderName(other), 0) << other;
}

TEST(UninstallTexts, Messages)
{
    char text[2048];
    ASSERT_EQ(buildConfirmTitle(text, sizeof text, "Velmorant"), 1);
    EXPECT_STREQ(text, "Uninstall Velmorant");
    ASSERT_EQ(buildConfirmText(text, sizeof text, "Velmorant", "C:\\Program Files\\Velmorant"), 1);
    EXPECT_STREQ(text,
                 "Velmorant will be removed from your computer: its program files in the "
                 "folder\r\n\r\nC:\\Program Files\\Velmorant\r\n\r\nits Start-menu shortcuts and "
                 "its entry in the list of installed programs. Files that you have added to the "
                 "folder are kept.\r\n\r\nDo you want to remove Velmorant now?");
    ASSERT_EQ(buildIncompleteTitle(text, sizeof text, "Velmorant"), 1);
    EXPECT_STREQ(text, "Velmorant Not Completely Removed");

    struct {
        const char *failures;
        int dropped;
        const char *kept;
        const char *restart;
        const char *text;
    } finals[] = {
        {"", 0, "", "", "Velmorant has been removed from your computer."},
        {"", 0, "", "\r\nC:\\TEMP\\qxu1.tmp",
         "Velmorant has been removed from your computer.\r\n\r\nLeft until Windows restarts, "
         "then removed:\r\nC:\\TEMP\\qxu1.tmp"},
        {"", 0, "C:\\V", "",
         "Velmorant has been removed from your computer.\r\n\r\nThe folder C:\\V was kept "
         "because it holds files that were not installed with Velmorant."},
        {"\r\nC:\\V\\a.exe (it is read-only)", 2, "", "\r\nC:\\T\\q.tmp",
         "Velmorant has been removed from your computer, except for the following, which could "
         "not be removed:\r\n\r\nC:\\V\\a.exe (it is read-only)\r\n(and 2 more)\r\n\r\nClose any "
         "program that may be using them, then delete them yourself.\r\n\r\nLeft until Windows "
         "restarts, then removed:\r\nC:\\T\\q.tmp"},
    };
    for (const auto &f : finals) {
        ASSERT_EQ(buildFinalText(text, sizeof text, "Velmorant", f.failures, f.dropped, f.kept,
                                 f.restart),
                  1);
        EXPECT_STREQ(text, f.text);
    }
    // A message that does not fit is refused whole.
    EXPECT_EQ(buildFinalText(text, 60, "Velmorant", "", 0, "C:\\V", ""), 0);
    EXPECT_STREQ(text, "");
}

TEST(UninstallTexts, RenameEntriesAppendToAWholeSection)
{
    char section[40];
    memset(section, 'x', sizeof section);
    section[0] = '\0';  // an empty section: only its end
    ASSERT_EQ(appendRenameEntry(section, sizeof section, "C:\\TEMP\\QXU1.TMP"), 1);
    EXPECT_EQ(std::string(section, 22), std::string("NUL=C:\\TEMP\\QXU1.TMP\0\0", 22));
    // 21 used; the 21-character line, its NUL and the end make 44 > 40.
    EXPECT_EQ(appendRenameEntry(section, sizeof section, "C:\\V\\QXUNINST.EXE"), 0);
    EXPECT_EQ(std::string(section, 22), std::string("NUL=C:\\TEMP\\QXU1.TMP\0\0", 22));
    ASSERT_EQ(appendRenameEntry(section, sizeof section, "C:\\V\\QX.EXE"), 1);
    EXPECT_EQ(std::string(section, 38),
              std::string("NUL=C:\\TEMP\\QXU1.TMP\0NUL=C:\\V\\QX.EXE\0\0", 38));
    // A list without its end is not written to.
    char unterminated[4] = {'a', '=', 'b', 'c'};
    EXPECT_EQ(appendRenameEntry(unterminated, sizeof unterminated, "X"), 0);
}
