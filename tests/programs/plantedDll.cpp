// A DLL planted beside a program: when loaded it leaves a mark file named after itself in
// C:\velmorant-tests\marks, so a test can tell that the program loaded it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(instance, self, sizeof self);
        const char *name = strrchr(self, '\\') != NULL ? strrchr(self, '\\') + 1 : self;
        char mark[MAX_PATH + 64];
        wsprintfA(mark, "C:\\velmorant-tests\\marks\\%s.loaded", name);
        CreateDirectoryA("C:\\velmorant-tests", NULL);
        CreateDirectoryA("C:\\velmorant-tests\\marks", NULL);
        HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return TRUE;
}
