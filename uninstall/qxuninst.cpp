// qxuninst: takes Velmorant off the machine. It runs from the data folder, where the setup
// program put it, and removes what the setup program made there and elsewhere, by the
// same names: the payload's files, the shortcuts, the uninstall entry. Files the user added,
// the INI value with the chosen folder, and shared files in the system directory stay.
#include <windows.h>

#include <string.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "platform/dllSearch.h"
#include "platform/platformInfo.h"
#include "system/runningCopies.h"
#include "system/serviceRemoval.h"
#include "system/uninstallerLeftovers.h"
#include "system/setupRunLock.h"
#include "ui/pauseAnimation.h"
#include "uninstallSelf.h"
#include "uninstallSteps.h"
#include "core/uninstallTexts.h"

// The uninstaller's own settings record and the names of the payload it removes.
extern const InstallerSettings installerSettings;
extern const PayloadNameList payloadNameList;

namespace {

char messageTitle[TEXT_BUFFER_SIZE];
char messageText[2 * REPORT_SIZE];
char restartItems[2 * TEXT_BUFFER_SIZE];

// The waits have no window to animate: they only wait.
PauseAnimation plainPause = {NULL, NULL, 0};

void removeService(void)
{
    if (installerSettings.serviceFileName[0] == '\0' || !isNtPlatform())
        return;
    if (removeOldService(installerSettings.serviceName, animatedPause(&plainPause)) != 0) {
        char item[TEXT_BUFFER_SIZE];
        if (!formatText(item, sizeof item, "the service %s", installerSettings.serviceName))
            copyText(item, sizeof item, "the service");
        // Its program may still be running and hold its file; that is reported where it fails.
        reportFailureReason(item, "it could not be stopped and deleted");
        return;
    }
    pauseWithAnimation(&plainPause, SERVICE_PAUSE_MILLISECONDS);  // the service's process lets go of its file
}

// The uninstaller's own file goes last, through a helper; a read-only one is left and reported.
// 0 when it could only be left for the next restart. The helper's copy and its folder are no
// concern of the user's and go unmentioned.
int removeSelf(void)
{
    DWORD attributes = GetFileAttributesA(uninstallerSelfPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reportFailure(uninstallerSelfPath, ERROR_ACCESS_DENIED, 1);
        return 1;
    }
    char left[TEXT_BUFFER_SIZE];
    char line[TEXT_BUFFER_SIZE];
    char leftFolder[TEXT_BUFFER_SIZE];
    if (handOverSelfRemoval(left, sizeof left))
        return 1;
    if (formatText(line, sizeof line, "\r\n%s", left))
        appendText(restartItems, sizeof restartItems, line);
    // The data folder, emptied of the rest, waits for it as well (never a root).
    if (!folderHoldsOtherFiles() && isRemovableFolder(uninstallFolder, ansiLeadBytes()) &&
        copyText(leftFolder, sizeof leftFolder, uninstallFolder) &&
        formatText(line, sizeof line, "\r\n%s", leftFolder))
        appendText(restartItems, sizeof restartItems, line);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    // Before any window: drawing loads DLLs by their bare names, which this program's folder
    // (the data folder, or the helper's temporary one) must not answer.
    restrictDllSearch();
    // Out of the data folder at once (a shortcut starts the program there): as the current
    // folder it would keep the data folder from being removed.
    char systemFolder[MAX_PATH];
    UINT systemLength = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    if (systemLength > 0 && systemLength < sizeof systemFolder)
        SetCurrentDirectoryA(systemFolder);
    if (arguments != NULL && isFinishRequest(arguments))
        return finishSelfRemoval(arguments, installerSettings.productName);
    // The setup program and the uninstaller never work on the installation at once.
    if (!holdSetupRunLock(installerSettings.productName, isNtPlatform())) {
        if (!buildAlreadyRunningText(messageText, sizeof messageText, installerSettings.productName))
            copyText(messageText, sizeof messageText, "Setup or uninstall is already running.");
        MessageBoxA(NULL, messageText, UNINSTALL_RUNNING_TITLE, MB_OK | MB_ICONWARNING);
        return UNINSTALL_ALREADY_RUNNING;
    }

    DWORD length = GetModuleFileNameA(NULL, uninstallerSelfPath, sizeof uninstallerSelfPath);
    if (length == 0 || length >= sizeof uninstallerSelfPath ||
        !installationFolderOfPath(uninstallFolder, sizeof uninstallFolder, uninstallerSelfPath,
                                  ansiLeadBytes()))
        return UNINSTALL_NOT_FOUND;
    // The helper is copied from this file as it runs, whatever is put at its name meanwhile.
    holdOwnFile(uninstallerSelfPath);

    const char *product = installerSettings.productName;
    if (!buildConfirmTitle(messageTitle, sizeof messageTitle, product))
        copyText(messageTitle, sizeof messageTitle, "Uninstall");
    if (!installationFound(installerSettings)) {
        if (!buildNotFoundText(messageText, sizeof messageText, product, uninstallFolder))
            copyText(messageText, sizeof messageText, "No installation was found here.");
        MessageBoxA(NULL, messageText, UNINSTALL_NOT_FOUND_TITLE, MB_OK | MB_ICONWARNING);
        return UNINSTALL_NOT_FOUND;
    }
    if (!buildConfirmText(messageText, sizeof messageText, product, uninstallFolder))
        copyText(messageText, sizeof messageText, "Remove the program from your computer?");
    if (MessageBoxA(NULL, messageText, messageTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return UNINSTALL_DECLINED;
    removeEarlierUninstallerHelpers();

    // Only the installation's own programs are asked to close, never a window that merely
    // carries the product's name.
    char programPath[TEXT_BUFFER_SIZE];
    char servicePath[TEXT_BUFFER_SIZE] = "";
    if (!buildInstalledFilePath(programPath, sizeof programPath, uninstallFolder,
                                installerSettings.programFileName, ansiLeadBytes()))
        programPath[0] = '\0';
    if (installerSettings.serviceFileName[0] != '\0' &&
        !buildInstalledFilePath(servicePath, sizeof servicePath, uninstallFolder,
                                installerSettings.serviceFileName, ansiLeadBytes()))
        servicePath[0] = '\0';
    InstalledCopies copies = {{installerSettings.productName, installerSettings.serviceName},
                              programPath, servicePath};
    closeInstalledCopies(NULL, copies, animatedPause(&plainPause));
    removeService();
    int folderStillOurs = removeInstalledFiles(payloadNameList);
    removeShortcuts(installerSettings);
    removeRegistration(installerSettings.productName);
    // With failures the report says why the folder stays; otherwise only the user's files keep it.
    const char *kept = failureCount == 0 && folderHoldsOtherFiles() ? uninstallFolder : "";
    // A data folder that now leads elsewhere holds no file of this run's to remove.
    int selfRemoved = folderStillOurs ? removeSelf() : 0;
    if (!buildFinalText(messageText, sizeof messageText, product, failureReport, droppedFailures,
                        kept, restartItems))
        copyText(messageText, sizeof messageText,
                 failureCount > 0 ? "Some files could not be removed." : "The program has been removed.");
    if (failureCount > 0) {
        if (!buildIncompleteTitle(messageTitle, sizeof messageTitle, product))
            copyText(messageTitle, sizeof messageTitle, "Not Completely Removed");
        MessageBoxA(NULL, messageText, messageTitle, MB_OK | MB_ICONWARNING);
        return UNINSTALL_INCOMPLETE;
    }
    MessageBoxA(NULL, messageText, UNINSTALL_COMPLETE_TITLE, MB_OK | MB_ICONINFORMATION);
    return selfRemoved ? UNINSTALL_REMOVED : UNINSTALL_INCOMPLETE;
}
