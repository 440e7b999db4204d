// The setup program without its DLL search restriction: the planted-DLL test runs it to show
// that the planted copies would be loaded if the restriction were missing.
#include <windows.h>

#include "setup/setupSequence.h"

extern const InstallerSettings installerSettings;
extern const PayloadTable payloadTable;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    static SetupRun run;
    return runSetup(&run, instance, installerSettings, payloadTable, setupCalls);
}
