// Stops and deletes an old NT service of the product through the Service Control Manager.
// Progress goes to standard output; nothing is shown in a window.
// The runtime's own printf is enough for these %s lines; mingw's portable one would double
// the size of the setup program.
#define __USE_MINGW_ANSI_STDIO 0
#include "serviceRemoval.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>


namespace {

// A service that never leaves its stop-pending state must not hold the setup forever: after
// this many one-second polls it counts as not stopped and is marked for deletion anyway.
const int stopPollLimit = 60;
const int pollMilliseconds = 1000;

void stopService(SC_HANDLE service, const char *name, const PauseRoutine &pause)
{
    SERVICE_STATUS status;
    memset(&status, 0, sizeof status);
    // Refused, for example because it is not running: straight on to the deletion.
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status))
        return;
    printf("Stopping %s.", name);
    pause.pause(pause.context, pollMilliseconds);
    int polls = 0;
    // A failed query leaves the state received before it.
    while (QueryServiceStatus(service, &status) &&
           status.dwCurrentState == SERVICE_STOP_PENDING && polls < stopPollLimit) {
        printf(".");
        pause.pause(pause.context, pollMilliseconds);
        polls++;
    }
    if (status.dwCurrentState == SERVICE_STOPPED)
        printf("\n%s stopped.\n", name);
    else
        printf("\n%s failed to stop.\n", name);
}

}  // namespace

int removeOldService(const char *name, const PauseRoutine &pause)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL) {
        printf("OpenSCManager failed\n");
        return -1;
    }
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
    if (service == NULL) {
        printf("OpenService failed\n");  // nothing to remove
        CloseServiceHandle(manager);
        return 0;
    }
    stopService(service, name, pause);
    int result = 0;
    if (DeleteService(service)) {
        printf("%s removed.\n", name);
    } else {
        printf("DeleteService failed\n");
        result = -1;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return result;
}
