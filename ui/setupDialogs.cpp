// PLACEHOLDER dialog procedures and agreement text until the dialogs are built; replaced by
// the windows work.
#include "setupDialogs.h"

#include "../resources/resourceIds.h"

const char agreementText[] = "PLACEHOLDER agreement text.\r\r\n";

INT_PTR CALLBACK agreementDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_AGREEMENT_TEXT, agreementText);
        ShowWindow(dialog, SW_SHOW);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
        return LOWORD(wParam) == IDOK;
    }
    return FALSE;
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowWindow(dialog, SW_SHOW);
        return TRUE;
    }
    return FALSE;
}

void showProgress(HWND dialog, const char *name, int)
{
    SetDlgItemTextA(dialog, IDC_PROGRESS_FILE, name);
}
