// Shortcuts through the shell's link object. Every way out of writeShellLink releases the
// interfaces it obtained and balances its CoInitialize.
#include "shortcuts.h"

#include <stdio.h>
#include <objbase.h>
#include <shlobj.h>
#include <sys/stat.h>

#include "core/shortcutPaths.h"
#include "platform/platformInfo.h"

namespace {

// Creates the group folder when nothing of that name exists yet: 0, or the platform's reason
// when it cannot be made.
uint32_t ensureGroupFolder(const char *groupFolder)
{
    struct _stat existing;
    if (_stat(groupFolder, &existing) == 0)
        return 0;  // used as it is, whatever it is: a file there makes the save fail
    if (!CreateDirectoryA(groupFolder, NULL)) {
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_CANNOT_MAKE;
    }
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, groupFolder, NULL);
    return 0;
}

// A failed save's reason as the platform's error code: the system's own codes come back as
// they were; the storage layer's access and full-disk codes as theirs.
uint32_t errorOfResult(HRESULT result)
{
    if (HRESULT_FACILITY(result) == FACILITY_WIN32)
        return HRESULT_CODE(result);
    if (result == STG_E_ACCESSDENIED)
        return ERROR_ACCESS_DENIED;
    if (result == STG_E_MEDIUMFULL)
        return ERROR_DISK_FULL;
    return (uint32_t)result;
}

}  // namespace

uint32_t createShortcut(const char *group, const char *name, const char *target,
                        const char *workingDirectory, const char *arguments)
{
    return createShortcutIn(NULL, group, name, target, workingDirectory, arguments);
}

uint32_t createShortcutIn(const char *otherFolder, const char *group, const char *name,
                          const char *target, const char *workingDirectory, const char *arguments)
{
    char ownFolder[SHELL_PATH_SIZE];
    if (otherFolder == NULL &&
        !specialFolderPath(group != NULL ? CSIDL_PROGRAMS : CSIDL_STARTUP, ownFolder))
        return ERROR_PATH_NOT_FOUND;
    const char *specialFolder = otherFolder != NULL ? otherFolder : ownFolder;

    // Every path is composed before anything is made, so a name too long for the shell's
    // buffers leaves no folder behind.
    char groupFolder[SHELL_PATH_SIZE];
    char linkPath[SHELL_PATH_SIZE];
    if ((group != NULL &&
         !buildGroupFolderPath(groupFolder, sizeof groupFolder, specialFolder, group)) ||
        !buildLinkPath(linkPath, sizeof linkPath, specialFolder, group, name))
        return ERROR_FILENAME_EXCED_RANGE;

    uint32_t folderError = group != NULL ? ensureGroupFolder(groupFolder) : 0;
    if (folderError != 0)
        return folderError;

    // A stale name longer than the buffer cannot exist: the ANSI file calls could not have
    // made it.
    char staleLink[SHELL_PATH_SIZE];
    if (buildStaleLinkPath(staleLink, sizeof staleLink, linkPath))
        remove(staleLink);

    HRESULT result = writeShellLink(target, linkPath, name, workingDirectory, group == NULL,
                                    arguments);
    return result < 0 ? errorOfResult(result) : 0;
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
