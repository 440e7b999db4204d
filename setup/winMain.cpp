// The program's GUI entry point. Only the instance handle is used: no command line is read.
// The only place that names this program's settings record and payload table.
#include <windows.h>

#include "platform/dllSearch.h"
#include "setupSequence.h"

extern const InstallerSettings installerSettings;
extern const PayloadTable payloadTable;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    restrictDllSearch();
    static SetupRun run;  // several kilobytes of buffers: kept off the stack
    return runSetup(&run, instance, installerSettings, payloadTable, setupCalls);
}
