// walkthrough SETUP.EXE SCREENS-FOLDER [--final-no]: walks a whole install with the default
// answers, the way a user pressing Enter at every screen would, from outside the setup program.
// Before answering each screen it prints "SHOT <name>" and waits until <name>.png has appeared
// in the screens folder (the caller takes the screenshot). With --final-no the last question
// is answered No and nothing is started. Exit status 0 when the run went through and the setup
// program ended with 0.
// walkthrough --uninstall COMMAND-LINE SCREENS-FOLDER: starts the command line as it stands,
// the way Add/Remove Programs starts an UninstallString, answers the uninstaller's question
// with its default (Yes) and acknowledges its messages; exit status 0 when it ended with 0.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "windowSearch.h"

namespace {

DWORD setupProcess;
HANDLE setupHandle;
const char *screens;
// Generous waits: in a 32-bit guest under emulation a program takes about 40 s to its first
// screen, and much longer on a busy machine.
const int firstScreenMs = 600000;
const int screenMs = 180000;

// The program's window of that title; NULL after the time or when the program has ended.
// Looks every 100 ms: under emulation a busier look would slow the program it waits for.
HWND waitFor(const char *title, int timeoutMs, DWORD process)
{
    DWORD start = GetTickCount();
    do {
        HWND found = waitForWindow(title, 0, process);
        if (found != NULL)
            return found;
        if (process != 0 && WaitForSingleObject(setupHandle, 0) == WAIT_OBJECT_0)
            return NULL;
        Sleep(100);
    } while (GetTickCount() - start <= static_cast<DWORD>(timeoutMs));
    return NULL;
}

// Asks for a screenshot and waits until it is there.
void shoot(const char *name)
{
    Sleep(400);  // let the screen finish painting
    printf("SHOT %s\n", name);
    fflush(stdout);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\%s.png", screens, name);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(50)) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return;
    }
}

BOOL CALLBACK findDefaultButton(HWND child, LPARAM value)
{
    char className[16] = "";
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0 && (style & 0x0F) == BS_DEFPUSHBUTTON) {
        *reinterpret_cast<HWND *>(value) = child;
        return FALSE;
    }
    return TRUE;
}

// The default button of a dialog or message box, as Enter would choose it, or the button id.
void press(HWND dialog, int id)
{
    HWND button = NULL;
    if (id != 0) {
        button = GetDlgItem(dialog, id);
    } else {
        EnumChildWindows(dialog, findDefaultButton, reinterpret_cast<LPARAM>(&button));
        id = button != NULL ? GetDlgCtrlID(button) : IDOK;
    }
    char text[64] = "";
    if (button != NULL)
        GetWindowTextA(button, text, sizeof text);
    printf("  pressing \"%s\"\n", text);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool screen(const char *title, const char *name, int timeoutMs = screenMs, int answer = 0)
{
    HWND window = waitFor(title, timeoutMs, setupProcess);
    if (window == NULL) {
        DWORD code = 0;
        if (GetExitCodeProcess(setupHandle, &code) && code != STILL_ACTIVE)
            printf("walkthrough: the program ended (status %lu, 0x%08lX) before \"%s\"\n", code,
                   code, title);
        else
            printf("walkthrough: \"%s\" did not appear\n", title);
        return false;
    }
    printf("screen: %s\n", title);
    shoot(name);
    press(window, answer);
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 60000;)
        Sleep(50);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);  // each line at once, for the caller reading along
    bool uninstall = argc == 4 && strcmp(argv[1], "--uninstall") == 0;
    bool finalNo = argc == 4 && strcmp(argv[3], "--final-no") == 0;
    if (argc != 3 && !uninstall && !finalNo) {
        fprintf(stderr, "usage: walkthrough SETUP.EXE SCREENS-FOLDER [--final-no]\n"
                        "       walkthrough --uninstall COMMAND-LINE SCREENS-FOLDER\n");
        return 2;
    }
    const char *program = uninstall ? argv[2] : argv[1];
    screens = uninstall ? argv[3] : argv[2];
    char command[2 * MAX_PATH];
    int length = snprintf(command, sizeof command, uninstall ? "%s" : "\"%s\"", program);
    if (length < 0 || length >= static_cast<int>(sizeof command)) {
        fprintf(stderr, "walkthrough: the command line is too long\n");
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
        fprintf(stderr, "walkthrough: cannot start %s\n", program);
        return 1;
    }
    setupProcess = info.dwProcessId;
    setupHandle = info.hProcess;
    DWORD code = 1;
    if (uninstall) {
        bool ok = screen("Uninstall Velmorant", "07-uninstall-question", firstScreenMs) &&
                  screen("Closing Running Copies", "08-closing-running-copies") &&
                  screen("Uninstall Complete", "09-uninstall-complete");
        if (ok && WaitForSingleObject(info.hProcess, screenMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &code);
        printf("uninstaller exit status: %lu\n", code);
        if (!ok)
            TerminateProcess(info.hProcess, 1);
        return ok && code == 0 ? 0 : 1;
    }
    bool ok = screen("END USER LICENSE AGREEMENT", "01-background-and-agreement", firstScreenMs) &&
              screen("Choose a Folder", "02-folder-choice") &&
              screen("Close Running Copies First!", "03-close-running-copies");
    // The progress dialog is up only while the files are written: catch it if we can.
    if (ok && waitFor("Setup Progress", 3000, setupProcess) != NULL) {
        printf("screen: Setup Progress\n");
        printf("SHOT 04-progress\n");
        fflush(stdout);
    }
    ok = ok && screen("Installation Successful", "05-final-question", screenMs, finalNo ? IDNO : 0);
    if (ok && WaitForSingleObject(info.hProcess, screenMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    // Yes is the default answer: the installed program starts.
    HWND started = ok && !finalNo ? waitFor("Velmorant - C:\\Program Files\\Velmorant", 20000, 0) : NULL;
    if (started != NULL) {
        printf("screen: the installed program\n");
        shoot("06-installed-program");
        PostMessageA(started, WM_CLOSE, 0, 0);
    }
    printf("setup.exe exit status: %lu\n", code);
    if (!ok)
        TerminateProcess(info.hProcess, 1);
    return ok && code == 0 ? 0 : 1;
}
