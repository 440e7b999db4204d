// Drives another program's windows the way a user would: find a dialog or message box by its
// title, read its texts, press its buttons.
#ifndef VELMORANT_TEST_WINDOW_DRIVER_H
#define VELMORANT_TEST_WINDOW_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

#include "tools/walkthrough/windowSearch.h"
// Waits until window no longer exists; false on timeout.
bool waitForWindowGone(HWND window, int timeoutMs = 20000);
// Every visible top-level window title of a process.
std::vector<std::string> windowTitles(DWORD processId);

std::string windowText(HWND window);
// A control's text, also across processes (WM_GETTEXT, which GetWindowTextA does not send).
std::string controlText(HWND dialog, int id);
// A message box's text: its static control 0xFFFF.
std::string messageBoxText(HWND box);
// Presses a button by id, as its click would (the dialog gets WM_COMMAND/BN_CLICKED).
void pressButton(HWND dialog, int id);
// Sends a key press to the control that has the focus in window's thread, as the keyboard
// would queue it; returns that control (NULL when the thread has no focus).
HWND pressKey(HWND window, WORD key);
// Types text into an edit control, replacing its contents.
void setControlText(HWND dialog, int id, const char *text);

// A message box the run showed: title, text, and the style read off its buttons and icon.
struct SeenBox {
    std::string title;
    std::string text;
};
// Waits for the box titled title, records it, and presses button id.
SeenBox answerBox(const char *title, int button, int timeoutMs = 20000, DWORD processId = 0);

// One box or dialog of a run, in order: its title, the button pressed, and its text when the
// test knows it exactly (NULL: not checked).
struct Step {
    const char *title;
    int button;
    const char *text;
};
// Answers each step in turn for the process processId, failing the test at the first box that
// does not appear (naming what the process shows instead).
void walk(DWORD processId, const std::vector<Step> &steps, int timeoutMs = 60000);

#endif
