// The program's GUI entry point. Only the instance handle is used: no command line is read.
#include <windows.h>

#include "platform/dllSearch.h"
#include "setupSequence.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    restrictDllSearch();
    return runSetup(instance);
}
