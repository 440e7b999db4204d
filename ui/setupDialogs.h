// The agreement dialog and the progress dialog.
#ifndef VELMORANT_SETUP_DIALOGS_H
#define VELMORANT_SETUP_DIALOGS_H

#include <windows.h>

// The end-user agreement shown read-only in the agreement dialog.
extern const char agreementText[];

INT_PTR CALLBACK agreementDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The extraction's progress routine: the percentage line and the file-name line.
void showProgress(HWND dialog, const char *name, int percent);

#endif
