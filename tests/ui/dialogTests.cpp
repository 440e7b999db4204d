// The agreement dialog run modally as the setup program runs it, driven from a second
// thread; the progress dialog created modeless and fed through showProgress.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "core/resourceIds.h"
#include "support/windowDriver.h"
#include "ui/backgroundWindow.h"
#include "ui/setupDialogs.h"
#include "uiTestSupport.h"

namespace {

// Runs the agreement dialog on this thread while action drives it from another; returns
// what the dialog ended with (-2 when it never appeared).
INT_PTR runAgreement(const std::function<void(HWND)> &action)
{
    setUpBackgroundWindow();
    bool appeared = false;
    std::thread driver([&] {
        HWND dialog = waitForWindow("END USER LICENSE AGREEMENT", 10000, GetCurrentProcessId());
        appeared = dialog != NULL;
        if (dialog != NULL)
            action(dialog);
    });
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(111),
                                     backgroundWindow, agreementDialogProc, 0);
    driver.join();
    return appeared ? result : -2;
}

// The control that has the keyboard focus in the dialog's thread.
HWND focusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info);
    return info.hwndFocus;
}

void pressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

// Waits until the dialog has the focus on one of its controls, as a user would see it.
void waitForFocus(HWND dialog)
{
    for (int i = 0; i < 100 && GetParent(focusOf(dialog)) != dialog; i++)
        Sleep(20);
}

}  // namespace

// Keyboard cases need the input focus: run alone on the display.
TEST(AgreementKeys, EnterAcceptsAtOnce)
{
    HWND focused = NULL, acceptButton = NULL;
    INT_PTR result = runAgreement([&](HWND dialog) {
        waitForFocus(dialog);
        focused = focusOf(dialog);
        acceptButton = GetDlgItem(dialog, IDOK);
        pressKey(VK_RETURN);
        if (!waitForWindowGone(dialog, 5000))
            pressButton(dialog, IDCANCEL);  // the key did nothing: end the dialog as refused
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(focused, acceptButton) << "the focus starts on \"I Accept\"";
}

TEST(AgreementKeys, EscapeRefuses)
{
    INT_PTR result = runAgreement([](HWND dialog) {
        waitForFocus(dialog);
        pressKey(VK_ESCAPE);
        if (!waitForWindowGone(dialog, 5000))
            pressButton(dialog, IDOK);  // the key did nothing: end the dialog as accepted
    });
    EXPECT_EQ(result, 0);
}

TEST(AgreementDialog, ButtonsAndCloseBox)
{
    struct Case {
        const char *how;
        std::function<void(HWND)> action;
        INT_PTR result;
    } cases[] = {
        {"I Accept", [](HWND dialog) { pressButton(dialog, IDOK); }, 1},
        {"I Do NOT Accept", [](HWND dialog) { pressButton(dialog, IDCANCEL); }, 0},
        {"the Close box",
         [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(runAgreement(c.action), c.result) << c.how;
}

TEST(AgreementDialog, ShowsTheAgreementReadOnly)
{
    std::string shown, afterTyping, afterUnlocking;
    bool visible = false;
    LONG style = 0;
    INT_PTR result = runAgreement([&](HWND dialog) {
        visible = IsWindowVisible(dialog);
        HWND edit = GetDlgItem(dialog, IDC_AGREEMENT_TEXT);
        style = GetWindowLongA(edit, GWL_STYLE);
        shown = controlText(dialog, IDC_AGREEMENT_TEXT);
        // Typing and pasting into the text change nothing...
        PostMessageA(edit, WM_CHAR, 'x', 1);
        PostMessageA(edit, WM_KEYDOWN, VK_DELETE, 1);
        SendMessageA(edit, WM_PASTE, 0, 0);
        Sleep(200);
        afterTyping = controlText(dialog, IDC_AGREEMENT_TEXT);
        // ...which is down to the read-only style: without it the same typing goes in.
        SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
        PostMessageA(edit, WM_CHAR, 'x', 1);
        Sleep(200);
        afterUnlocking = controlText(dialog, IDC_AGREEMENT_TEXT);
        pressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);
    EXPECT_TRUE(shown == agreementText) << "the edit control holds:\n" << shown;
    EXPECT_TRUE(afterTyping == agreementText);
    EXPECT_NE(afterUnlocking, afterTyping) << "typing never reached the control";
}

class ProgressDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpBackgroundWindow();
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(109),
                                    backgroundWindow, progressDialogProc, 0);
        ASSERT_NE(dialog, (HWND)NULL);
    }
    void TearDown() override { DestroyWindow(dialog); }
    std::string text(int id)
    {
        char buffer[256] = "";
        GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
        return buffer;
    }
    HWND dialog = NULL;
};

TEST_F(ProgressDialog, ShownWithItsInitialTexts)
{
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), backgroundWindow);
    EXPECT_EQ(text(IDC_PROGRESS_PERCENT), "Percent Complete:   0%");
    EXPECT_EQ(text(IDC_PROGRESS_FILE), "");
    EXPECT_EQ(text(0xFFFF), "The application is now being installed.");
}

TEST_F(ProgressDialog, ShowProgressWritesPercentageAndName)
{
    struct Case {
        const char *name;
        int percent;
        const char *percentLine;
    } cases[] = {
        {"velmorant.exe", 37, "Percent Complete: 37%"},
        {"", 100, "Percent Complete: 100%"},
        {"Done", 100, "Percent Complete: 100%"},
        {"data\\sample file.dat", 0, "Percent Complete: 0%"},
        {"qxuninst.exe", -5, "Percent Complete: -5%"},
        {"velmorant.exe", 250, "Percent Complete: 250%"},
        {"x", -2147483647 - 1, "Percent Complete: -2147483648%"},
    };
    for (const Case &c : cases) {
        showProgress(dialog, c.name, c.percent);
        EXPECT_EQ(text(IDC_PROGRESS_PERCENT), c.percentLine) << c.percent;
        EXPECT_EQ(text(IDC_PROGRESS_FILE), c.name) << c.percent;
    }
    // No text at all clears the name line too.
    showProgress(dialog, NULL, 5);
    EXPECT_EQ(text(IDC_PROGRESS_PERCENT), "Percent Complete: 5%");
    EXPECT_EQ(text(IDC_PROGRESS_FILE), "");
}

TEST_F(ProgressDialog, CloseBoxDoesNotDisturbLaterReports)
{
    showProgress(dialog, "velmorant.exe", 20);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    pumpMessages(200);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the Close box was not handled";
    EXPECT_TRUE(IsWindow(dialog));
    showProgress(dialog, "qxuninst.exe", 60);
    EXPECT_EQ(text(IDC_PROGRESS_PERCENT), "Percent Complete: 60%");
    EXPECT_EQ(text(IDC_PROGRESS_FILE), "qxuninst.exe");
    showProgress(dialog, "", 100);
    EXPECT_EQ(text(IDC_PROGRESS_FILE), "");
    EXPECT_EQ(text(IDC_PROGRESS_PERCENT), "Percent Complete: 100%");
}
