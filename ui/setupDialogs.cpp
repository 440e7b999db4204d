// The agreement dialog (modal, template 111) and the progress dialog (modeless, template 109).
// Neither template is visible by itself: each procedure shows its dialog when it starts.
#include "setupDialogs.h"

#include "core/resourceIds.h"
#include "core/boundedText.h"
#include "core/installerSettings.h"

namespace {

// The percentage line of the progress dialog; valid until the next report.
char progressText[TEXT_BUFFER_SIZE];

}  // namespace

INT_PTR CALLBACK agreementDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_AGREEMENT_TEXT, agreementText);
        ShowWindow(dialog, SW_SHOW);
        // TRUE: the dialog manager focuses the first tab stop, "I Accept".
        return TRUE;
    }
    if (message == WM_COMMAND) {
        // Id 2 also arrives for Escape and for the caption's Close box.
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return FALSE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowWindow(dialog, SW_SHOW);
        return TRUE;
    }
    // The Close box only hides the dialog; the extraction goes on writing to it.
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, 0);
    return FALSE;
}

void showProgress(HWND dialog, const char *name, int percent)
{
    // Any int fits the buffer; the percentage is shown as given, unclamped.
    formatText(progressText, sizeof progressText, "Percent Complete: %d%%", percent);
    SetDlgItemTextA(dialog, IDC_PROGRESS_PERCENT, progressText);
    SetDlgItemTextA(dialog, IDC_PROGRESS_FILE, name != NULL ? name : "");
}
