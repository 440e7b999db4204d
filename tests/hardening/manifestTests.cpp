// The application manifest as stored in the setup program's and the uninstaller's files: each
// asks to run elevated (they write below HKEY_LOCAL_MACHINE and Program Files) and names the
// systems the program was made for.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "support/testPaths.h"

namespace {

// This build's setup.exe, or the one SETUP_PROGRAM names (the shipping i686 one).
std::string setupFile()
{
    const char *other = getenv("SETUP_PROGRAM");
    if (other == NULL)
        return buildFile("setup.exe");
    std::string path = std::string("Z:") + other;
    for (char &c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// The setup program and the uninstaller of the same build.
std::vector<std::string> programFiles()
{
    std::string setup = setupFile();
    return {setup, setup.substr(0, setup.rfind('\\')) + "\\uninstall\\qxuninst.exe"};
}

// The text of the manifest resource (type 24, id 1); empty when the file has none.
std::string manifestText(const std::string &file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, (HMODULE)NULL) << file;
    if (module == NULL)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found != NULL) {
        const char *bytes = static_cast<const char *>(LockResource(LoadResource(module, found)));
        text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

// The values of every attribute name="..." of the elements called element, in order.
std::vector<std::string> attributeValues(const std::string &xml, const std::string &element,
                                         const std::string &name)
{
    std::vector<std::string> values;
    for (size_t at = xml.find("<" + element + " "); at != std::string::npos;
         at = xml.find("<" + element + " ", at + 1)) {
        size_t end = xml.find('>', at);
        std::string tag = xml.substr(at, end - at);
        size_t attribute = tag.find(" " + name + "=\"");
        if (attribute == std::string::npos) {
            values.push_back("<none>");
            continue;
        }
        size_t start = attribute + name.size() + 3;
        values.push_back(tag.substr(start, tag.find('"', start) - start));
    }
    return values;
}

}  // namespace

TEST(SetupManifest, RequiresAdministrator)
{
    for (const std::string &file : programFiles()) {
        SCOPED_TRACE(file);
        std::string xml = manifestText(file);
        ASSERT_FALSE(xml.empty()) << "no manifest resource";
        EXPECT_EQ(attributeValues(xml, "requestedExecutionLevel", "level"),
                  std::vector<std::string>({"requireAdministrator"}));
        EXPECT_EQ(attributeValues(xml, "requestedExecutionLevel", "uiAccess"),
                  std::vector<std::string>({"false"}));
        // Inside the trust section of the version 3 namespace, where the system looks for it.
        size_t trust = xml.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
        size_t level = xml.find("<requestedExecutionLevel ");
        ASSERT_NE(trust, std::string::npos);
        EXPECT_LT(trust, level);
        EXPECT_LT(level, xml.find("</trustInfo>"));
    }
}

TEST(SetupManifest, SupportedSystems)
{
    for (const std::string &file : programFiles()) {
        SCOPED_TRACE(file);
        std::string xml = manifestText(file);
        ASSERT_FALSE(xml.empty()) << "no manifest resource";
        // Vista, 7, 8, 8.1, 10 and 11.
        EXPECT_EQ(attributeValues(xml, "supportedOS", "Id"),
                  std::vector<std::string>({"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                            "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));
        size_t compatibility = xml.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
        ASSERT_NE(compatibility, std::string::npos);
        EXPECT_LT(compatibility, xml.find("<supportedOS "));
    }
}
