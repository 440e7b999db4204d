// Stands in for a DLL planted beside a program: it leaves a mark in the process that loads it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableA("PLANTED_SHFOLDER", "loaded");
    return TRUE;
}
