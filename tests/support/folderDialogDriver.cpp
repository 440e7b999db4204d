#include "support/folderDialogDriver.h"

#include "support/windowDriver.h"

namespace {
const int parentFieldId = 24001;
const int applicationFieldId = 24002;
}  // namespace

FolderDialogSeen chooseFolderInDialog(DWORD processId, const char *parent,
                                      const char *application, int timeoutMs)
{
    FolderDialogSeen seen;
    seen.dialog = waitForWindow("Choose a Folder", timeoutMs, processId);
    if (seen.dialog == NULL)
        return seen;
    seen.parent = controlText(seen.dialog, parentFieldId);
    seen.application = controlText(seen.dialog, applicationFieldId);
    if (parent != NULL)
        setControlText(seen.dialog, parentFieldId, parent);
    if (application != NULL)
        setControlText(seen.dialog, applicationFieldId, application);
    pressButton(seen.dialog, IDOK);
    return seen;
}
