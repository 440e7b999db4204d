// walkthrough SETUP.EXE SCREENS-FOLDER: walks a whole install with the default answers, the
// way a user pressing Enter at every screen would, from outside the setup program. Before
// answering each screen it prints "SHOT <name>" and waits until <name>.png has appeared in
// the screens folder (the run command takes the screenshot). Exit status 0 when the run
// went through and the setup program ended with 0.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "windowSearch.h"

namespace {

DWORD setupProcess;
const char *screens;

// Asks for a screenshot and waits until it is there.
void shoot(const char *name)
{
    Sleep(400);  // let the screen finish painting
    printf("SHOT %s\n", name);
    fflush(stdout);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\%s.png", screens, name);
    for (int waited = 0; waited < 15000; waited += 50) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(50);
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

// The default button of a dialog or message box, as Enter would choose it.
void pressDefault(HWND dialog)
{
    HWND button = NULL;
    EnumChildWindows(dialog, findDefaultButton, reinterpret_cast<LPARAM>(&button));
    int id = button != NULL ? GetDlgCtrlID(button) : IDOK;
    char text[64] = "";
    if (button != NULL)
        GetWindowTextA(button, text, sizeof text);
    printf("  pressing \"%s\"\n", text);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool screen(const char *title, const char *name, int timeoutMs = 60000)
{
    HWND window = waitForWindow(title, timeoutMs, setupProcess);
    if (window == NULL) {
        printf("walkthrough: \"%s\" did not appear\n", title);
        return false;
    }
    printf("screen: %s\n", title);
    shoot(name);
    pressDefault(window);
    for (int waited = 0; IsWindow(window) && waited < 20000; waited += 20)
        Sleep(20);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: walkthrough SETUP.EXE SCREENS-FOLDER\n");
        return 2;
    }
    screens = argv[2];
    char command[MAX_PATH + 4];
    snprintf(command, sizeof command, "\"%s\"", argv[1]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
        fprintf(stderr, "walkthrough: cannot start %s\n", argv[1]);
        return 1;
    }
    setupProcess = info.dwProcessId;
    bool ok = screen("END USER LICENSE AGREEMENT", "01-background-and-agreement", 30000) &&
              screen("Choose a Folder", "02-folder-choice") &&
              screen("Close Running Copies First!", "03-close-running-copies");
    // The progress dialog is up only while the files are written: catch it if we can.
    if (ok && waitForWindow("Setup Progress", 3000, setupProcess) != NULL) {
        printf("screen: Setup Progress\n");
        printf("SHOT 04-progress\n");
        fflush(stdout);
    }
    ok = ok && screen("Installation Successful", "05-final-question");
    DWORD code = 1;
    if (ok && WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    // Yes is the default answer: the installed program starts.
    HWND program = ok ? waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 20000, 0) : NULL;
    if (program != NULL) {
        printf("screen: the installed program\n");
        shoot("06-installed-program");
        PostMessageA(program, WM_CLOSE, 0, 0);
    }
    printf("setup.exe exit status: %lu\n", code);
    if (!ok)
        TerminateProcess(info.hProcess, 1);
    return ok && code == 0 ? 0 : 1;
}
