// The icon as it is stored in the setup program's file (the shipping one too).
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "support/testPaths.h"

namespace {

class SetupResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        // This build's setup.exe, or the one that SETUP_PROGRAM names (the shipping i686 one).
        const char *other = getenv("SETUP_PROGRAM");
        std::string path = buildFile("setup.exe");
        if (other != NULL) {
            path = std::string("Z:") + other;
            for (char &c : path)
                c = c == '/' ? '\\' : c;
        }
        module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, (HMODULE)NULL) << path;
    }
    void TearDown() override { FreeLibrary(module); }
    // The bytes of a resource; empty when it is missing.
    std::vector<unsigned char> resource(int id, LPCSTR type)
    {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == NULL)
            return {};
        const unsigned char *bytes =
            static_cast<const unsigned char *>(LockResource(LoadResource(module, found)));
        return std::vector<unsigned char>(bytes, bytes + SizeofResource(module, found));
    }
    HMODULE module = NULL;
};

// Reads little-endian values from a resource.
struct Reader {
    const std::vector<unsigned char> &bytes;
    size_t at = 0;
    unsigned word()
    {
        unsigned value = at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0xDEAD;
        at += 2;
        return value;
    }
    unsigned long dword()
    {
        unsigned long low = word();
        return low | (unsigned long)word() << 16;
    }
};

}  // namespace

BOOL CALLBACK collectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string> *>(list)->push_back(
        IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : name);
    return TRUE;
}

TEST_F(SetupResources, OneIconGroupWithOne16Colour32PixelImage)
{
    std::vector<std::string> groups;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(14), collectName,
                       reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, std::vector<std::string>{"#110"});

    std::vector<unsigned char> group = resource(110, MAKEINTRESOURCEA(14));
    ASSERT_EQ(group.size(), 6u + 14u);
    Reader reader{group};
    EXPECT_EQ(reader.word(), 0u);
    EXPECT_EQ(reader.word(), 1u) << "type: icon";
    EXPECT_EQ(reader.word(), 1u) << "images";
    EXPECT_EQ(group[6], 32) << "width";
    EXPECT_EQ(group[7], 32) << "height";
    EXPECT_EQ(group[8], 16) << "colours";
    reader.at = 10;
    EXPECT_EQ(reader.word(), 1u) << "planes";
    EXPECT_EQ(reader.word(), 4u) << "bits per pixel";
    unsigned long size = reader.dword();
    EXPECT_EQ(reader.word(), 1u) << "icon id";

    std::vector<unsigned char> image = resource(1, MAKEINTRESOURCEA(3));
    ASSERT_EQ(image.size(), size);
    ASSERT_GE(image.size(), 40u);
    BITMAPINFOHEADER header;
    memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64) << "colours and mask";
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(image.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);

    // The system makes an icon of it.
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(110), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, (HICON)NULL);
    if (icon != NULL)
        DestroyIcon(icon);
}
