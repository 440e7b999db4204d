// The dialog templates and the icon as they are stored in the setup program's file.
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

// Reads a plain dialog template.
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
    int shortValue() { return short(word()); }
    std::string text()
    {
        std::string result;
        for (unsigned c; (c = word()) != 0 && at <= bytes.size();)
            result += char(c);
        return result;
    }
    // A name or, after 0xFFFF, a number, written as "#number".
    std::string nameOrNumber()
    {
        if (at + 2 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
            word();
            return "#" + std::to_string(word());
        }
        return text();
    }
    void alignToDword() { at = (at + 3) & ~size_t(3); }
};

// A control's class, by its name whether the template names it or gives its atom.
std::string className(const std::string &stored)
{
    if (stored == "BUTTON")
        return "BUTTON";
    if (stored == "EDIT")
        return "EDIT";
    if (stored == "STATIC")
        return "STATIC";
    return stored;
}

struct Item {
    unsigned long style;
    int x, y, cx, cy, id;
    const char *className;
    const char *text;
};

struct Template {
    unsigned long style;
    int x, y, cx, cy;
    const char *caption;
    std::vector<Item> items;
};

void expectTemplate(const std::vector<unsigned char> &bytes, const Template &expected)
{
    ASSERT_FALSE(bytes.empty());
    Reader reader{bytes};
    EXPECT_EQ(reader.dword(), expected.style);
    EXPECT_EQ(reader.dword(), 0ul) << "extended style";
    unsigned count = reader.word();
    ASSERT_EQ(count, expected.items.size());
    EXPECT_EQ(reader.shortValue(), expected.x);
    EXPECT_EQ(reader.shortValue(), expected.y);
    EXPECT_EQ(reader.shortValue(), expected.cx);
    EXPECT_EQ(reader.shortValue(), expected.cy);
    EXPECT_EQ(reader.nameOrNumber(), "") << "menu";
    EXPECT_EQ(reader.nameOrNumber(), "") << "class";
    EXPECT_EQ(reader.text(), expected.caption);
    EXPECT_EQ(reader.word(), 8u) << "font size";
    EXPECT_EQ(reader.text(), "MS Sans Serif");
    for (const Item &item : expected.items) {
        reader.alignToDword();
        EXPECT_EQ(reader.dword(), item.style) << item.id;
        EXPECT_EQ(reader.dword(), 0ul) << item.id;
        EXPECT_EQ(reader.shortValue(), item.x) << item.id;
        EXPECT_EQ(reader.shortValue(), item.y) << item.id;
        EXPECT_EQ(reader.shortValue(), item.cx) << item.id;
        EXPECT_EQ(reader.shortValue(), item.cy) << item.id;
        EXPECT_EQ(short(reader.word()), item.id);
        EXPECT_EQ(className(reader.nameOrNumber()), item.className) << item.id;
        EXPECT_EQ(reader.nameOrNumber(), item.text) << item.id;
        EXPECT_EQ(reader.word(), 0u) << "creation data of " << item.id;
    }
    EXPECT_LE(reader.at, bytes.size());
}

}  // namespace

TEST_F(SetupResources, AgreementTemplate)
{
    expectTemplate(resource(111, MAKEINTRESOURCEA(5)),
                   {0x80C800C0, 50, 25, 304, 159, "END USER LICENSE AGREEMENT",
                    {{0x50010001, 7, 138, 66, 14, 1, "BUTTON", "I Accept"},
                     {0x50010000, 233, 138, 64, 14, 2, "BUTTON", "I Do NOT Accept"},
                     {0x50A10804, 7, 7, 290, 128, 1101, "EDIT", ""}}});
}

TEST_F(SetupResources, ProgressTemplate)
{
    expectTemplate(
        resource(109, MAKEINTRESOURCEA(5)),
        {0x80C800C0, 50, 25, 186, 73, "Setup Progress",
         {{0x50020000, 30, 14, 123, 12, -1, "STATIC", "The application is now being installed."},
          {0x50020000, 53, 49, 87, 8, 1002, "STATIC", "Percent Complete:   0%"},
          {0x50020001, 30, 32, 123, 8, 1100, "STATIC", ""}}});
}

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
