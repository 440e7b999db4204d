// A service for the service-removal tests. Registered with the Service Control Manager with
// the command line
//   testService.exe <stop delay in milliseconds | forever>
// it runs until asked to stop, then stays in the stop-pending state for the delay (or for
// good) before it reports that it has stopped.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {

SERVICE_STATUS_HANDLE statusHandle;
HANDLE stopRequested;
DWORD stopDelay;  // INFINITE: never stops
DWORD checkPoint;

void report(DWORD state, DWORD waitHint)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwCheckPoint = state == SERVICE_STOP_PENDING ? ++checkPoint : 0;
    status.dwWaitHint = waitHint;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID)
{
    if (code == SERVICE_CONTROL_STOP) {
        report(SERVICE_STOP_PENDING, 3000);
        SetEvent(stopRequested);
        return NO_ERROR;
    }
    return code == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI serviceMain(DWORD, LPSTR *argv)
{
    statusHandle = RegisterServiceCtrlHandlerExA(argv[0], control, NULL);
    if (statusHandle == NULL)
        return;
    report(SERVICE_RUNNING, 0);
    WaitForSingleObject(stopRequested, INFINITE);
    Sleep(stopDelay);
    report(SERVICE_STOPPED, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    stopDelay = strcmp(argv[1], "forever") == 0 ? INFINITE : (DWORD)strtoul(argv[1], NULL, 10);
    stopRequested = CreateEventA(NULL, TRUE, FALSE, NULL);
    char name[] = "";  // ignored for a service that has a process of its own
    SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {NULL, NULL}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
