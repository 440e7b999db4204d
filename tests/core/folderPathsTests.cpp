// The folder choice's path handling: separators, the dialog's split and composition, the
// folder-name suffix and the default below the home folder.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "core/folderPaths.h"

#include "codePage932.h"

namespace {

std::string normalized(const char *text)
{
    char buffer[256];
    snprintf(buffer, sizeof buffer, "%s", text);
    normalizeSeparators(buffer, codePage932);
    return buffer;
}

std::string stripped(const char *text, char character)
{
    char buffer[256];
    snprintf(buffer, sizeof buffer, "%s", text);
    stripTrailing(buffer, character, codePage932);
    return buffer;
}

}  // namespace

TEST(FolderPaths, NormalizeSeparators)
{
    struct Case {
        const char *in;
        const char *out;
    } cases[] = {
        {"C://Apps\\\\\\Velmorant/", "C:\\Apps\\Velmorant\\"},
        // A network path keeps its leading pair.
        {"\\\\server\\share", "\\\\server\\share"},
        {"//server//share/", "\\\\server\\share\\"},
        {"\\\\\\server", "\\\\server"},
        // The second byte of a double-byte character is no separator.
        {"C:\\" HYO "\\Velmorant", "C:\\" HYO "\\Velmorant"},
        {"C:\\" HYO "/\\x", "C:\\" HYO "\\x"},
        {"", ""},
        {"Velmorant", "Velmorant"},
        {"/", "\\"},
        {"a/\\/\\b//c", "a\\b\\c"},
        {"C:\\Apps\\Velmorant", "C:\\Apps\\Velmorant"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(normalized(c.in), c.out) << "from \"" << c.in << "\"";
}

TEST(FolderPaths, StripTrailingRemovesAtMostOne)
{
    struct Case {
        const char *in;
        char character;
        const char *out;
    } cases[] = {
        {"C:\\Apps\\", '\\', "C:\\Apps"},
        {"C:\\Apps\\\\", '\\', "C:\\Apps\\"},
        {"C:\\Apps/", '\\', "C:\\Apps/"},
        {"C:\\Apps/", '/', "C:\\Apps"},
        {"\\", '\\', ""},
        {"", '\\', ""},
        {"C:\\Apps", '\\', "C:\\Apps"},
        {"C:\\" HYO, '\\', "C:\\" HYO},
    };
    for (const Case &c : cases)
        EXPECT_EQ(stripped(c.in, c.character), c.out) << "from \"" << c.in << "\"";
}

TEST(FolderPaths, SplitForTheDialog)
{
    struct Case {
        const char *folder;
        const char *parent;
        const char *application;
    } cases[] = {
        {"D:\\Data", "D:", "Data"},
        {"C:\\Program Files\\Velmorant", "C:\\Program Files", "Velmorant"},
        {"Velmorant", "Velmorant", ""},
        {"", "", ""},
        {"C:/Apps/Velmorant", "C:/Apps", "Velmorant"},
        // A backslash wins over a later slash.
        {"C:\\Apps/Velmorant", "C:", "Apps/Velmorant"},
        {"D:\\Data\\", "D:\\Data", ""},
        {"\\Velmorant", "", "Velmorant"},
        {"C:\\" HYO, "C:", HYO},
        {"C:\\" HYO "\\Velmorant", "C:\\" HYO, "Velmorant"},
    };
    for (const Case &c : cases) {
        char parent[64] = "x";
        char application[64] = "x";
        EXPECT_EQ(splitFolder(c.folder, parent, sizeof parent, application, sizeof application,
                              codePage932),
                  1);
        EXPECT_STREQ(parent, c.parent) << "from \"" << c.folder << "\"";
        EXPECT_STREQ(application, c.application) << "from \"" << c.folder << "\"";
    }
}

TEST(FolderPaths, SplitThatDoesNotFitLeavesBothEmpty)
{
    char parent[5] = "x";
    char application[64] = "x";
    EXPECT_EQ(splitFolder("C:\\Apps\\Velmorant", parent, sizeof parent, application,
                          sizeof application, codePage932),
              0);
    EXPECT_STREQ(parent, "");
    EXPECT_STREQ(application, "");
    char bigParent[64] = "x";
    char smallApplication[4] = "x";
    EXPECT_EQ(splitFolder("C:\\Apps\\Velmorant", bigParent, sizeof bigParent, smallApplication,
                          sizeof smallApplication, codePage932),
              0);
    EXPECT_STREQ(bigParent, "");
    EXPECT_STREQ(smallApplication, "");
    // Exactly full still fits.
    char exactParent[3];
    char exactApplication[5];
    EXPECT_EQ(splitFolder("D:\\Data", exactParent, sizeof exactParent, exactApplication,
                          sizeof exactApplication, codePage932),
              1);
    EXPECT_STREQ(exactParent, "D:");
    EXPECT_STREQ(exactApplication, "Data");
}

TEST(FolderPaths, ComposeTheChosenFolder)
{
    struct Case {
        const char *parent;
        const char *application;
        const char *path;
    } cases[] = {
        {"C:\\Apps/", "Velmorant", "C:\\Apps\\Velmorant"},
        {"C:\\Apps", "Velmorant", "C:\\Apps\\Velmorant"},
        {"C:\\Apps\\", "Velmorant", "C:\\Apps\\Velmorant"},
        {"", "Velmorant", "\\Velmorant"},
        {"C:\\Apps", "", "C:\\Apps\\"},
        // Only the parent's separators are turned; the application folder stays as typed.
        {"C:/x/y", "a/b", "C:\\x\\y\\a/b"},
        {"C:", "Velmorant", "C:\\Velmorant"},
        // A parent ending in a character whose second byte is "\" gets its separator.
        {"C:\\" HYO, "Velmorant", "C:\\" HYO "\\Velmorant"},
        {"C:/" HYO "/", "x", "C:\\" HYO "\\x"},
    };
    for (const Case &c : cases) {
        char path[64] = "x";
        EXPECT_EQ(composeChosenFolder(path, sizeof path, c.parent, c.application, codePage932), 1);
        EXPECT_STREQ(path, c.path) << "from \"" << c.parent << "\" + \"" << c.application << "\"";
    }
    char small[12] = "x";
    EXPECT_EQ(composeChosenFolder(small, sizeof small, "C:\\Apps", "Velmorant", codePage932), 0);
    EXPECT_STREQ(small, "");
    char exact[19];
    EXPECT_EQ(composeChosenFolder(exact, sizeof exact, "C:\\Apps", "Velmorant", codePage932), 1);
    EXPECT_STREQ(exact, "C:\\Apps\\Velmorant");
}

TEST(FolderPaths, FolderNameSuffix)
{
    struct Case {
        const char *path;
        int matches;
    } cases[] = {
        {"D:\\Tools\\MyVelmorant", 1},
        {"D:\\velmorant", 1},
        {"D:\\VELMORANT", 1},
        {"Velmorant", 1},
        {"D:\\Data", 0},
        {"mant", 0},
        {"D:\\Velmorant\\", 0},
        {"D:\\Velmorant2", 0},
        {"", 0},
        // "V" as the second byte of a double-byte character begins no name.
        {"D:\\\x83Velmorant", 0},
        {"D:\\" HYO "Velmorant", 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(endsWithFolderName(c.path, "Velmorant", codePage932), c.matches) << c.path;
}

TEST(FolderPaths, DefaultBelowTheHomeFolder)
{
    struct Case {
        const char *homeDrive;  // NULL: unset
        const char *homePath;
        const char *folder;
    } cases[] = {
        {"D:", "\\Users\\Ann", "D:\\Users\\Ann\\Velmorant"},
        {NULL, "E:\\Home", "E:\\Home\\Velmorant"},
        {"D:", "E:\\Home", "E:\\Home\\Velmorant"},
        {NULL, NULL, "C:\\Velmorant"},
        {"D:", NULL, "D:\\Velmorant"},
        {NULL, "\\Users\\Ann", "C:\\Users\\Ann\\Velmorant"},
        {"D:\\", "\\Users\\Ann\\", "D:\\Users\\Ann\\Velmorant"},
        {"D:/", "/Users/Ann/", "D:/Users/Ann\\Velmorant"},
        {"D:", "\\", "D:\\Velmorant"},
        // One character cannot carry a drive: it follows the home drive.
        {"D:", "x", "D:x\\Velmorant"},
        {"D:", "E:", "E:\\Velmorant"},
        {"D:", "\\Users\\" HYO, "D:\\Users\\" HYO "\\Velmorant"},
    };
    for (const Case &c : cases) {
        char folder[128] = "x";
        EXPECT_EQ(buildHomeDefault(folder, sizeof folder, c.homeDrive, c.homePath, "Velmorant",
                                   codePage932),
                  1);
        EXPECT_STREQ(folder, c.folder) << "HOMEDRIVE " << (c.homeDrive ? c.homeDrive : "unset")
                                       << ", HOMEPATH " << (c.homePath ? c.homePath : "unset");
    }
}

TEST(FolderPaths, DefaultThatDoesNotFitIsEmpty)
{
    std::string longPath = "\\" + std::string(1100, 'h');
    char folder[1024] = "x";
    EXPECT_EQ(buildHomeDefault(folder, sizeof folder, "D:", longPath.c_str(), "Velmorant",
                               codePage932),
              0);
    EXPECT_STREQ(folder, "");
    std::string longDrive(1100, 'd');
    EXPECT_EQ(buildHomeDefault(folder, sizeof folder, longDrive.c_str(), "\\x", "Velmorant",
                               codePage932),
              0);
    EXPECT_STREQ(folder, "");
    // Room for everything but the folder name.
    char small[16];
    EXPECT_EQ(buildHomeDefault(small, sizeof small, "D:", "\\Users\\Ann", "Velmorant", codePage932),
              0);
    EXPECT_STREQ(small, "");
}

TEST(FolderPaths, WhatTheDialogFieldsHold)
{
    EXPECT_EQ(fitsFolderFields(std::string(259, 'a').c_str()), 1);
    EXPECT_EQ(fitsFolderFields(std::string(260, 'a').c_str()), 0);
    EXPECT_EQ(fitsFolderFields(""), 1);
}

TEST(FolderPaths, LookupFormDropsTrailingSeparatorsButNotARoot)
{
    struct Case {
        const char *in;
        const char *out;
    } cases[] = {
        {"C:\\Apps\\", "C:\\Apps"},
        {"C:\\Apps\\\\/", "C:\\Apps"},
        {"C:\\Apps", "C:\\Apps"},
        {"C:\\", "C:\\"},
        {"\\", "\\"},
        {"\\\\", "\\"},
        {"", ""},
        {"Apps/", "Apps"},
        {"C:\\" HYO, "C:\\" HYO},
        {"C:\\" HYO "\\", "C:\\" HYO},
        {"\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const Case &c : cases) {
        char buffer[64];
        snprintf(buffer, sizeof buffer, "%s", c.in);
        dropTrailingSeparators(buffer, codePage932);
        EXPECT_STREQ(buffer, c.out) << "from \"" << c.in << "\"";
    }
}

TEST(FolderPaths, DeviceNamesAnywhereInThePath)
{
    struct Case {
        const char *path;
        int device;
    } cases[] = {
        {"C:\\Program Files\\CON", 1},
        {"C:\\Program Files\\nul", 1},
        {"C:\\Apps\\NUL.txt", 1},
        {"C:\\Apps\\Aux ", 1},
        {"C:\\Apps\\com1", 1},
        {"C:\\Apps\\LPT9\\Velmorant", 1},
        {"prn", 1},
        {"C:NUL", 1},
        {"D:/data/Con/", 1},
        {"C:\\Apps\\COM0", 0},
        {"C:\\Apps\\COM10", 0},
        {"C:\\Apps\\CONSOLE", 0},
        {"C:\\Apps\\NULL", 0},
        {"C:\\Apps\\xNUL", 0},
        {"C:\\Program Files\\Velmorant", 0},
        {"", 0},
        {"\\", 0},
        // No component begins after the second byte of a double-byte character.
        {"C:\\" HYO "CON", 0},
        {"C:\\" HYO "\\CON", 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(namesDevice(c.path, codePage932), c.device) << "\"" << c.path << "\"";
}

// The Windows-directory guard and the uninstaller's folder comparison.
TEST(FolderPaths, SameFolder)
{
    struct {
        const char *a, *b;
        int same;
    } pairs[] = {
        {"C:\\WINDOWS", "c:\\windows\\", 1},
        {"C:/Program Files/Velmorant", "C:\\Program Files\\Velmorant", 1},
        {"C:\\Program Files\\Velmorant", "C:\\Program Files\\Velmorant2", 0},
        {"C:\\Program Files\\Velmoran", "C:\\Program Files\\Velmorant", 0},
        {"", "", 0},
        {"\\", "", 0},
        // Double-byte characters: their second byte is no separator and has no case.
        {"C:\\" HYO, "C:\\\x95", 0},
        {"C:\\" HYO, "C:\\" HYO "\\", 1},
        {"C:\\\x82\x41", "C:\\\x82\x61", 0},
    };
    for (const auto &p : pairs)
        EXPECT_EQ(sameFolder(p.a, p.b, codePage932), p.same) << p.a << " / " << p.b;
}
