#include "support/plantedDlls.h"

#include <windows.h>

#include "support/testPaths.h"

namespace {

const char marks[] = "C:\\velmorant-tests\\marks";

}  // namespace

const std::vector<std::string> wholeRunDllNames = {"shfolder.dll", "uxtheme.dll", "dwmapi.dll",
                                                   "cryptbase.dll"};

void preferNativeCopies(const std::string &exeName, const std::vector<std::string> &dlls)
{
    std::string key = "Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides";
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return;
    for (const std::string &dll : dlls) {
        std::string name = dll.substr(0, dll.size() - 4);  // without ".dll"
        RegSetValueExA(handle, name.c_str(), 0, REG_SZ, (const BYTE *)"native,builtin", 15);
    }
    RegCloseKey(handle);
}

bool plantDlls(const std::string &folder, const std::vector<std::string> &dlls)
{
    bool planted = true;
    for (const std::string &dll : dlls)
        planted = CopyFileA(buildFile("tests/hardening/planted.dll").c_str(),
                            (folder + "\\" + dll).c_str(), FALSE) &&
                  planted;
    return planted;
}

void clearPlantMarks()
{
    removeTree(marks);
}

std::vector<std::string> loadedPlants(const std::vector<std::string> &dlls)
{
    std::vector<std::string> loaded;
    for (const std::string &dll : dlls)
        if (fileExists(std::string(marks) + "\\" + dll + ".loaded"))
            loaded.push_back(dll);
    return loaded;
}
