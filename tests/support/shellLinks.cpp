#include "support/shellLinks.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include "support/testPaths.h"

ShellLinkSeen readShellLink(const std::string &path)
{
    ShellLinkSeen seen;
    std::string bytes = readFile(path);
    if (bytes.size() < 0x40)
        return seen;
    seen.showCommand = (unsigned char)bytes[0x3C] | (unsigned char)bytes[0x3D] << 8 |
                       (unsigned char)bytes[0x3E] << 16 | (unsigned)(unsigned char)bytes[0x3F] << 24;
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wide[MAX_PATH];
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void **>(&link)) >= 0 &&
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)) >= 0 &&
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0 &&
        file->Load(wide, STGM_READ) >= 0) {
        char text[MAX_PATH * 2];
        text[0] = '\0';
        link->GetPath(text, MAX_PATH, NULL, SLGP_RAWPATH);
        seen.target = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        seen.workingDirectory = text;
        text[0] = '\0';
        link->GetArguments(text, MAX_PATH);
        seen.arguments = text;
        text[0] = '\0';
        link->GetDescription(text, MAX_PATH);
        seen.description = text;
        text[0] = '\0';
        link->GetIconLocation(text, MAX_PATH, &seen.iconIndex);
        seen.iconPath = text;
        seen.loaded = true;
    }
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return seen;
}

namespace {

std::string specialFolder(int which)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, which, FALSE);
    return path;
}

}  // namespace

std::string programsFolder()
{
    return specialFolder(CSIDL_PROGRAMS);
}

std::string startupFolder()
{
    return specialFolder(CSIDL_STARTUP);
}
