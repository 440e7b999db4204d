#include "support/windowDriver.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

struct TitleList {
    DWORD processId;
    std::vector<std::string> *titles;
};

BOOL CALLBACK collectTitle(HWND window, LPARAM value)
{
    TitleList *list = reinterpret_cast<TitleList *>(value);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == list->processId && IsWindowVisible(window))
        list->titles->push_back(windowText(window));
    return TRUE;
}

// A message box of the process titled otherwise, which the run waits on: its controls are
// only the box's buttons, its text and its icon (the dialogs of the programs have others).
struct OtherBox {
    DWORD processId;
    const char *title;
    HWND found;
};

BOOL CALLBACK notOfABox(HWND control, LPARAM)
{
    int id = GetDlgCtrlID(control);
    return (id >= IDOK && id <= IDCONTINUE) || id == 0xFFFF || id == 0x0440;
}

BOOL CALLBACK findOtherBox(HWND window, LPARAM value)
{
    OtherBox *box = reinterpret_cast<OtherBox *>(value);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner != box->processId || !IsWindowVisible(window) || strcmp(className, "#32770") != 0 ||
        GetDlgItem(window, 0xFFFF) == NULL || windowText(window) == box->title ||
        !EnumChildWindows(window, notOfABox, 0))
        return TRUE;
    box->found = window;
    return FALSE;
}

// The window titled title, waited for as waitForWindow does; NULL at once when the process
// shows another message box for a moment instead: it waits for an answer, so nothing else
// comes.
HWND waitForStep(const char *title, int timeoutMs, DWORD processId)
{
    if (processId == 0)
        return waitForWindow(title, timeoutMs, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    HWND window = NULL;
    HWND seen = NULL;
    for (int waited = 0; window == NULL && waited <= timeoutMs; waited += 250) {
        window = waitForWindow(title, 250, processId);
        OtherBox box = {processId, title, NULL};
        if (window == NULL && process != NULL && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            EnumWindows(findOtherBox, reinterpret_cast<LPARAM>(&box));
        else if (window == NULL)
            break;  // ended
        if (box.found != NULL && box.found == seen) {
            ADD_FAILURE() << "\"" << windowText(box.found) << "\" waits for an answer, not \""
                          << title << "\": " << messageBoxText(box.found);
            break;
        }
        seen = box.found;
    }
    if (process != NULL)
        CloseHandle(process);
    return window;
}

}  // namespace

bool waitForWindowGone(HWND window, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (!IsWindow(window))
            return true;
        Sleep(20);
    }
    return false;
}

std::vector<std::string> windowTitles(DWORD processId)
{
    std::vector<std::string> titles;
    TitleList list = {processId, &titles};
    EnumWindows(collectTitle, reinterpret_cast<LPARAM>(&list));
    return titles;
}

std::string windowText(HWND window)
{
    char text[4096] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, NULL);
    return text;
}

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control != NULL ? windowText(control) : std::string("<no control>");
}

std::string messageBoxText(HWND box)
{
    return controlText(box, 0xFFFF);
}

void pressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, (HWND)NULL) << "no button " << id;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void setControlText(HWND dialog, int id, const char *text)
{
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, (HWND)NULL) << "no control " << id;
    SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, NULL);
}

SeenBox answerBox(const char *title, int button, int timeoutMs, DWORD processId)
{
    SeenBox seen;
    HWND box = waitForStep(title, timeoutMs, processId);
    EXPECT_NE(box, (HWND)NULL) << "no window titled \"" << title << "\"";
    if (box == NULL)
        return seen;
    seen.title = title;
    // A message box gets its title before its text: give the text a moment.
    seen.text = messageBoxText(box);
    for (int waited = 0; seen.text.empty() && waited < 3000; waited += 20) {
        Sleep(20);
        seen.text = messageBoxText(box);
    }
    pressButton(box, button);
    EXPECT_TRUE(waitForWindowGone(box)) << "\"" << title << "\" stayed open";
    return seen;
}

void walk(DWORD processId, const std::vector<Step> &steps, int timeoutMs)
{
    for (const Step &step : steps) {
        SCOPED_TRACE(step.title);
        HWND window = waitForStep(step.title, timeoutMs, processId);
        ASSERT_NE(window, (HWND)NULL) << "no \"" << step.title << "\"; the run shows: "
                                      << ::testing::PrintToString(windowTitles(processId));
        if (step.text != NULL) {
            // A message box gets its title before its text: give the text a moment.
            std::string text = messageBoxText(window);
            for (int waited = 0; text != step.text && waited < 3000; waited += 20) {
                Sleep(20);
                text = messageBoxText(window);
            }
            EXPECT_EQ(text, step.text);
        }
        pressButton(window, step.button);
        ASSERT_TRUE(waitForWindowGone(window));
    }
}

HWND pressKey(HWND window, WORD key)
{
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == NULL)
        return NULL;
    UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(info.hwndFocus, WM_KEYDOWN, key, 1 | (LPARAM)scan << 16);
    PostMessageA(info.hwndFocus, WM_KEYUP, key, 1 | (LPARAM)scan << 16 | 0xC0000000u);
    return info.hwndFocus;
}
