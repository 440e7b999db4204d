// Answers the "Choose a Folder" dialog the way a user would.
#ifndef VELMORANT_TEST_FOLDER_DIALOG_DRIVER_H
#define VELMORANT_TEST_FOLDER_DIALOG_DRIVER_H

#include <windows.h>

#include <string>

// What the dialog showed when it was found.
struct FolderDialogSeen {
    HWND dialog = NULL;       // NULL: no dialog appeared
    std::string parent;       // the Parent Folder field as opened
    std::string application;  // the Application Folder field as opened
};

// Waits for the dialog of process processId (0: any process), records its two fields, types
// parent and application into them and presses OK. A NULL text leaves its field as it is.
// It does not wait for the dialog to close: OK may be answered by a question or a message.
FolderDialogSeen chooseFolderInDialog(DWORD processId, const char *parent,
                                      const char *application, int timeoutMs = 30000);

#endif
