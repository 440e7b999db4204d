// Shortcuts through the shell's link object. Every way out of writeShellLink releases the
// interfaces it obtained and balances its CoInitialize.
#include "shortcuts.h"

#include <direct.h>
#include <stdio.h>
#include <objbase.h>
#include <shlobj.h>
#include <sys/stat.h>

#include "core/shortcutPaths.h"
#include "platform/platformInfo.h"

namespace {

// Creates the group folder when nothing of that name exists yet; 0 when it cannot be made.
int ensureGroupFolder(const char *groupFolder)
{
    struct _stat existing;
    if (_stat(groupFolder, &existing) == 0)
        return 1;  // used as it is, whatever it is: a file there makes the save fail
    if (_mkdir(groupFolder) != 0)
        return 0;
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, groupFolder, NULL);
    return 1;
}

}  // namespace

int createShortcut(const char *group, const char *name, const char *target,
                   const char *workingDirectory, const char *arguments)
{
    char specialFolder[SHELL_PATH_SIZE];
    if (!specialFolderPath(group != NULL ? CSIDL_PROGRAMS : CSIDL_STARTUP, specialFolder))
        return -1;

    // Every path is composed before anything is made, so a name too long for the shell's
    // buffers leaves no folder behind.
    char groupFolder[SHELL_PATH_SIZE];
    char linkPath[SHELL_PATH_SIZE];
    if (group != NULL &&
        !buildGroupFolderPath(groupFolder, sizeof groupFolder, specialFolder, group))
        return -1;
    if (!buildLinkPath(linkPath, sizeof linkPath, specialFolder, group, name))
        return -1;

    if (group != NULL && !ensureGroupFolder(groupFolder))
        return -1;

    // A stale name longer than the buffer cannot exist: the ANSI file calls could not have
    // made it.
    char staleLink[SHELL_PATH_SIZE];
    if (buildStaleLinkPath(staleLink, sizeof staleLink, linkPath))
        remove(staleLink);

    HRESULT result = writeShellLink(target, linkPath, name, workingDirectory, group == NULL,
                                    arguments);
    return result < 0 ? -1 : 0;
}

HRESULT writeShellLink(const char *target, const char *linkPath, const char *description,
                       const char *workingDirectory, int minimized, const char *arguments)
{
    CoInitialize(NULL);

    IShellLinkA *link = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void **>(&link));
    if (result < 0) {
        CoUninitialize();
        return result;
    }
    link->SetPath(target);
    link->SetDescription(description);
    link->SetWorkingDirectory(workingDirectory);
    if (arguments != NULL)
        link->SetArguments(arguments);

    IPersistFile *file = NULL;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (result < 0) {
        link->Release();
        CoUninitialize();
        return result;
    }

    WCHAR widePath[SHELL_PATH_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, SHELL_PATH_SIZE) == 0) {
        result = HRESULT_FROM_WIN32(GetLastError());
        if (result >= 0)
            result = E_FAIL;
    } else {
        // Written twice: the icon and the show command are added to the saved link.
        result = file->Save(widePath, TRUE);
        if (result >= 0) {
            link->SetIconLocation(target, 0);
            link->SetShowCmd(minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
            result = file->Save(widePath, TRUE);
        }
    }

    file->Release();
    link->Release();
    CoUninitialize();
    return result;
}
