// The number that names the self-removal helper's folder and event, drawn anew for each run.
// Linked into each uninstaller on its own, so that a test's build can draw known numbers.
#include <windows.h>

#include <string.h>

#include "uninstallSelf.h"

// 64 bits no one can guess in advance: the system's generator where it has one (XP on), else
// the clocks and ids of this moment, mixed.
void drawHelperNumber(uint32_t *high, uint32_t *low)
{
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    FARPROC found = advapi != NULL ? GetProcAddress(advapi, "SystemFunction036") : NULL;
    if (found != NULL) {
        typedef BOOLEAN(WINAPI * GenerateCall)(PVOID buffer, ULONG length);
        GenerateCall generate;
        memcpy(&generate, &found, sizeof generate);
        DWORD drawn[2];
        if (generate(drawn, sizeof drawn)) {
            *high = drawn[0];
            *low = drawn[1];
            return;
        }
    }
    LARGE_INTEGER counter;
    counter.QuadPart = 0;
    QueryPerformanceCounter(&counter);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t mixed = (uint64_t)counter.QuadPart ^ ((uint64_t)now.dwHighDateTime << 32) ^
                     now.dwLowDateTime ^ ((uint64_t)GetCurrentProcessId() << 40) ^
                     ((uint64_t)GetCurrentThreadId() << 20) ^ GetTickCount();
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
    mixed ^= mixed >> 31;
    *high = (uint32_t)(mixed >> 32);
    *low = (uint32_t)mixed;
}
