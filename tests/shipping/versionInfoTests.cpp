// The version resource of each of the product's programs, read back through the system's
// version API as Explorer's Properties read it.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "support/testPaths.h"

namespace {

// A program of this build, or of the build whose folder PROGRAMS_DIR names (the shipping i686
// one).
std::string programFile(const std::string &relative)
{
    const char *other = getenv("PROGRAMS_DIR");
    if (other == NULL)
        return buildFile(relative);
    std::string path = std::string("Z:") + other + "/" + relative;
    for (char &c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// A string of the U.S. English, Unicode block; "<missing>" when absent.
std::string versionText(const std::vector<char> &block, const char *name)
{
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    char *value = NULL;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void **>(&value), &length) ||
        value == NULL)
        return "<missing>";
    return value;
}

}  // namespace

TEST(VersionInfo, EachProgramNamesItselfTheProductAndItsVersion)
{
    struct Program {
        const char *file;
        const char *name;
        const char *description;
    } programs[] = {
        {"setup.exe", "setup.exe", "Velmorant Setup"},
        {"uninstall/qxuninst.exe", "qxuninst.exe", "Velmorant Uninstall"},
        {"product/velmorant.exe", "velmorant.exe", "Velmorant"},
    };
    for (const Program &program : programs) {
        std::string path = programFile(program.file);
        SCOPED_TRACE(path);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

        EXPECT_EQ(versionText(block, "CompanyName"), VELMORANT_COMPANY);
        EXPECT_EQ(versionText(block, "ProductName"), "Velmorant");
        EXPECT_EQ(versionText(block, "FileDescription"), program.description);
        EXPECT_EQ(versionText(block, "OriginalFilename"), program.name);
        EXPECT_EQ(versionText(block, "FileVersion"), VELMORANT_VERSION);
        EXPECT_EQ(versionText(block, "ProductVersion"), VELMORANT_VERSION);

        // The strings are found under the translation the resource announces.
        WORD *translation = NULL;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                   reinterpret_cast<void **>(&translation), &length));
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(translation[0], 0x0409);
        EXPECT_EQ(translation[1], 1200);

        // The numbers say the same version as the text.
        VS_FIXEDFILEINFO *fixed = NULL;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        unsigned major = 0, minor = 0, patch = 0;
        ASSERT_EQ(sscanf(VELMORANT_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
        EXPECT_EQ(fixed->dwFileVersionMS, (DWORD)MAKELONG(minor, major));
        EXPECT_EQ(fixed->dwFileVersionLS, (DWORD)MAKELONG(0, patch));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, (DWORD)VFT_APP);
    }
}
