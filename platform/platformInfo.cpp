#include "platformInfo.h"

#include <shlobj.h>
#include <string.h>

int isNtPlatform(void)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (!GetVersionExA(&version))
        return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

uint32_t windowsMajorVersion(void)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwMajorVersion : 0;
}

int specialFolderPath(int folder, char *path)
{
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(NULL, folder, &items) != 0)
        return 0;
    BOOL found = SHGetPathFromIDListA(items, path);
    CoTaskMemFree(items);
    return found ? 1 : 0;
}

int deleteFileWithRetries(const char *path, int attempts, int waitMilliseconds, DWORD *error)
{
    *error = 0;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (DeleteFileA(path))
            return 1;
        *error = GetLastError();  // read before the existence check replaces it
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            return 1;  // gone already
        if (attempt + 1 < attempts)
            Sleep(waitMilliseconds);
    }
    return 0;
}

const LeadBytes &ansiLeadBytes(void)
{
    static LeadBytes lead;
    static int read;
    if (!read) {
        for (int byte = 0; byte < 256; ++byte)
            lead.isLead[byte] = IsDBCSLeadByte((BYTE)byte) ? 1 : 0;
        read = 1;
    }
    return lead;
}
