// The setup program without its DLL search restriction: the planted-DLL test runs it to show
// that the planted copies would be loaded if the restriction were missing.
#include <windows.h>

#include "setup/setupSequence.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return runSetup(instance);
}
