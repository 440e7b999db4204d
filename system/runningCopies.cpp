// Asks running copies of the product to close before their files are replaced or removed.
// Messages are posted, never sent: a copy that hangs must not hang the setup, which only waits
// a fixed time.
#include "runningCopies.h"

#include <string.h>

#include "core/boundedText.h"
#include "platform/platformInfo.h"
#include "core/installerSettings.h"
#include "core/uninstallTexts.h"
#include "core/windowTitles.h"
#include "platform/pointerParam.h"
#include "processFiles.h"

namespace {

// The notice, the requests to the windows that routine picks, and the time to exit.
void closeCopiesWith(HWND owner, const char *productName, WNDENUMPROC routine, LPARAM value,
                     const PauseRoutine &pause)
{
    char notice[TEXT_BUFFER_SIZE];
    if (!buildCloseNotice(notice, sizeof notice, productName))
        copyText(notice, sizeof notice, "Any copies of the program currently running must now "
                                        "be shut down. This may take a few seconds.");
    MessageBoxA(owner, notice, "Closing Running Copies", MB_OK | MB_ICONWARNING);
    pause.pause(pause.context, 2000);
    EnumWindows(routine, value);
    pause.pause(pause.context, 8000);  // time for the copies to exit
}

void post(HWND window, CopyWindowRequest request)
{
    if (request == COPY_WINDOW_CLOSE)
        PostMessageA(window, WM_CLOSE, 0, 0);
    else if (request == COPY_WINDOW_QUIT)
        PostMessageA(window, WM_QUIT, 0, 0);
}

// The installation's programs as the system may name them: as given and in short form.
struct InstalledSearch {
    const InstalledCopies *copies;
    ProcessFiles files;
    char shortProgram[MAX_PATH];
    char shortService[MAX_PATH];
    DWORD lastProcess;  // the answer for the last process asked, as windows come in runs
    int lastIsInstalled;
};

int shortForm(const char *path, char *shortPath, DWORD size)
{
    DWORD length = path[0] != '\0' ? GetShortPathNameA(path, shortPath, size) : 0;
    if (length == 0 || length >= size)
        shortPath[0] = '\0';
    return shortPath[0] != '\0';
}

// 1 when the process runs the installed program or its service program.
int runsInstalledProgram(const InstalledSearch &search, DWORD processId)
{
    char path[TEXT_BUFFER_SIZE];
    if (!processFilePath(search.files, processId, path, sizeof path))
        return 0;
    const InstalledCopies &copies = *search.copies;
    const LeadBytes &lead = ansiLeadBytes();
    if (sameFolder(path, copies.programPath, lead) || sameFolder(path, copies.servicePath, lead))
        return 1;
    // The 9x family may name a program by its short path.
    char shortPath[MAX_PATH];
    return shortForm(path, shortPath, sizeof shortPath) &&
           (sameFolder(shortPath, search.shortProgram, lead) ||
            sameFolder(shortPath, search.shortService, lead));
}

BOOL CALLBACK closeInstalledWindow(HWND window, LPARAM value)
{
    InstalledSearch *search = paramPointer<InstalledSearch>(value);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->lastProcess) {
        search->lastProcess = processId;
        search->lastIsInstalled = processId != 0 && runsInstalledProgram(*search, processId);
    }
    if (!search->lastIsInstalled)
        return TRUE;
    // The 9x service's own window is told to quit; every other window of the programs to close.
    char title[TEXT_BUFFER_SIZE];
    char serviceTitle[TEXT_BUFFER_SIZE];
    if (GetWindowTextA(window, title, sizeof title) <= 0)
        title[0] = '\0';
    int service = buildServiceWindowTitle(serviceTitle, sizeof serviceTitle,
                                          search->copies->names.serviceName) &&
                  strcmp(title, serviceTitle) == 0;
    post(window, service ? COPY_WINDOW_QUIT : COPY_WINDOW_CLOSE);
    return TRUE;
}

}  // namespace

void closeRunningCopies(HWND owner, const CopyNames &names, const PauseRoutine &pause)
{
    closeCopiesWith(owner, names.productName, closeCopyWindow, pointerParam(&names), pause);
}

BOOL CALLBACK closeCopyWindow(HWND window, LPARAM value)
{
    const CopyNames *names = paramPointer<const CopyNames>(value);
    char title[TEXT_BUFFER_SIZE];
    if (GetWindowTextA(window, title, sizeof title) <= 0)
        title[0] = '\0';
    post(window, copyWindowRequest(title, names->productName, names->serviceName));
    return TRUE;  // every top-level window is visited
}

void closeInstalledCopies(HWND owner, const InstalledCopies &copies, const PauseRoutine &pause)
{
    InstalledSearch search;
    memset(&search, 0, sizeof search);
    search.copies = &copies;
    // Only where the system cannot tell which program a process runs do titles decide.
    if (!openProcessFiles(&search.files)) {
        closeRunningCopies(owner, copies.names, pause);
        return;
    }
    shortForm(copies.programPath, search.shortProgram, sizeof search.shortProgram);
    shortForm(copies.servicePath, search.shortService, sizeof search.shortService);
    closeCopiesWith(owner, copies.names.productName, closeInstalledWindow, pointerParam(&search),
                    pause);
    closeProcessFiles(&search.files);
}
