#include "dllSearch.h"

#include <windows.h>
#include <string.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

int restrictDllSearch(void)
{
    // Both calls are looked up at run time: the program also starts on systems without them.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL)
        return DLL_SEARCH_UNRESTRICTED;
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesCall)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryCall)(LPCSTR);
    FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (found != NULL) {
        SetDefaultDllDirectoriesCall restrict;
        memcpy(&restrict, &found, sizeof restrict);  // a function pointer of the real type
        if (restrict(LOAD_LIBRARY_SEARCH_SYSTEM32))
            return DLL_SEARCH_SYSTEM_ONLY;
    }
    found = GetProcAddress(kernel, "SetDllDirectoryA");
    if (found != NULL) {
        SetDllDirectoryCall setDirectory;
        memcpy(&setDirectory, &found, sizeof setDirectory);
        if (setDirectory(""))
            return DLL_SEARCH_NO_CURRENT;
    }
    return DLL_SEARCH_UNRESTRICTED;
}
