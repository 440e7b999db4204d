// The setup run: one thread walking a fixed list of steps. Windows get their messages only
// while a modal dialog or message box runs; there is no message loop of our own.
#include "setupSequence.h"

#include <direct.h>
#include <process.h>
#include <stdlib.h>
#include <string.h>

#include "payload/extraction.h"
#include "core/resourceIds.h"
#include "system/runningCopies.h"
#include "system/serviceRemoval.h"
#include "core/shortcutPaths.h"
#include "system/shortcuts.h"
#include "ui/backgroundWindow.h"
#include "ui/dataFolderChoice.h"
#include "ui/pauseAnimation.h"
#include "ui/setupDialogs.h"
#include "core/boundedText.h"
#include "core/setupDecisions.h"
#include "core/setupMessages.h"

HINSTANCE setupInstance;
char programPath[TEXT_BUFFER_SIZE];
char uninstallerPath[TEXT_BUFFER_SIZE];

namespace {

const InstallerSettings &settings = installerSettings;

// Shows one of the sequence's messages, owned by the background window. The title's %s and
// the text's conversions are filled from the arguments; a text that would not fit its
// buffer is shown as its unfilled wording rather than cut.
int showMessage(SetupMessage which, ...)
{
    const SetupMessageText &message = setupMessages[which];
    char title[TEXT_BUFFER_SIZE];
    char text[TEXT_BUFFER_SIZE];
    if (!formatText(title, sizeof title, message.title, settings.productName))
        copyText(title, sizeof title, message.title);
    va_list arguments;
    va_start(arguments, which);
    if (!formatTextList(text, sizeof text, message.text, arguments))
        copyText(text, sizeof text, message.text);
    va_end(arguments);
    return MessageBoxA(backgroundWindow, text, title, message.style);
}

// GetVersionExA failing counts as not NT: nothing unfilled is read.
int isNtPlatform(void)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    if (!GetVersionExA(&version))
        return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The data folder and free-space loop: 1 with a folder that has room (or whose space cannot
// be read), 0 when the user gave up the choice.
int chooseFolderWithRoom(void)
{
    for (;;) {
        if (!chooseDataFolder(setupInstance, backgroundWindow, 1)) {
            showMessage(MESSAGE_NOT_INSTALLED);
            return 0;
        }
        _chdir(dataFolder);
        char root[TEXT_BUFFER_SIZE];
        buildDriveRoot(root, sizeof root, dataFolder, _getdrive());
        DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
        if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                               &totalClusters))
            return 1;
        if (driveHasRoom((uint32_t)settings.requiredMegabytes, sectorsPerCluster, bytesPerSector,
                         freeClusters))
            return 1;
        showMessage(MESSAGE_NO_SPACE, settings.requiredMegabytes, root,
                    (int)freeMegabytes(sectorsPerCluster, bytesPerSector, freeClusters));
    }
}

void registerUninstaller(void)
{
    char keyPath[TEXT_BUFFER_SIZE];
    HKEY key;
    DWORD disposition;
    char noClass[] = "";
    if (!buildUninstallKeyPath(keyPath, sizeof keyPath, settings.productName) ||
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &key, &disposition) != ERROR_SUCCESS) {
        OutputDebugStringA("Couldn't open the registry key.\r\n");
        return;
    }
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE *)settings.productName,
                   (DWORD)strlen(settings.productName) + 1);
    RegSetValueExA(key, "DisplayVersion", 0, REG_SZ, (const BYTE *)VELMORANT_VERSION,
                   sizeof VELMORANT_VERSION);
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE *)uninstallerPath,
                   (DWORD)strlen(uninstallerPath) + 1);
    RegCloseKey(key);
}

void addStartupEntry(int nt)
{
    int serviceConfigured = settings.serviceFileName[0] != '\0';
    if (serviceConfigured && nt)
        return;
    if (!serviceConfigured &&
        MessageBoxA(backgroundWindow, settings.startupPrompt, "Add To Startup Group", MB_YESNO) !=
            IDYES)
        return;
    const char *name = settings.startupShortcutName[0] != '\0' ? settings.startupShortcutName
                                                                : settings.productName;
    const char *arguments = settings.startupArguments[0] != '\0' ? settings.startupArguments : NULL;
    createShortcut(NULL, name, programPath, dataFolder, arguments);
    char command[TEXT_BUFFER_SIZE];
    if (buildStartupCommand(command, sizeof command, programPath, settings.startupArguments))
        WinExec(command, SW_SHOW);
}

// Runs <data folder>\<fileName> with its quoted path as first argument and waits for it.
// -1 when it could not be started (or its command would not fit).
intptr_t runFromDataFolder(const char *fileName, const char *argument1, const char *argument2)
{
    char path[TEXT_BUFFER_SIZE];
    char quoted[TEXT_BUFFER_SIZE];
    if (!buildFolderFilePath(path, sizeof path, dataFolder, fileName) ||
        !buildQuotedPath(quoted, sizeof quoted, path))
        return -1;
    return _spawnl(_P_WAIT, path, quoted, argument1, argument2, (const char *)NULL);
}

}  // namespace

int runSetup(HINSTANCE instance)
{
    setupInstance = instance;
    formatText(paintedTitle, sizeof paintedTitle, BACKGROUND_TITLE_FORMAT, settings.productName);
    int nt = isNtPlatform();
    titleFont = createTitleFont();
    if (!registerBackgroundClass(setupInstance))
        return 0;

    char caption[TEXT_BUFFER_SIZE];
    formatText(caption, sizeof caption, BACKGROUND_TITLE_FORMAT, settings.productName);
    backgroundWindow = createBackgroundWindow(setupInstance, caption);

    // -1 means the dialog never appeared: the user has not accepted anything.
    INT_PTR accepted = DialogBoxParamA(setupInstance, MAKEINTRESOURCEA(IDD_AGREEMENT),
                                       backgroundWindow, agreementDialogProc, 0);
    if (accepted == 0 || accepted == -1) {
        showMessage(MESSAGE_NOT_INSTALLED);
        exit(0);
    }

    if (!chooseFolderWithRoom())
        return 0;
    // The program and uninstaller paths are needed only after the extraction, but a folder
    // whose paths cannot be named in full is refused now, before anything is written. The
    // shortcuts hand them to the shell, which takes no path of MAX_PATH bytes or more: a
    // longer one would leave shortcuts to a cut path.
    if (!buildFolderFilePath(programPath, sizeof programPath, dataFolder,
                             settings.programFileName) ||
        !buildFolderFilePath(uninstallerPath, sizeof uninstallerPath, dataFolder,
                             UNINSTALLER_FILE_NAME) ||
        strlen(programPath) >= SHELL_PATH_SIZE || strlen(uninstallerPath) >= SHELL_PATH_SIZE) {
        showMessage(MESSAGE_PATH_TOO_LONG);
        return 0;
    }

    if (settings.warnRunningCopies)
        showMessage(MESSAGE_CLOSE_COPIES, settings.productName, settings.productName);
    else
        closeRunningCopies(setupInstance, backgroundWindow);

    int serviceConfigured = settings.serviceFileName[0] != '\0';
    if (serviceConfigured && nt) {
        showMessage(MESSAGE_OLD_SERVICE);
        if (removeOldService() != 0) {
            showMessage(MESSAGE_SERVICE_NOT_REMOVED);
            return 0;
        }
        pauseWithAnimation(SERVICE_PAUSE_MILLISECONDS);
    }

    HWND progress = CreateDialogParamA(setupInstance, MAKEINTRESOURCEA(IDD_PROGRESS),
                                       backgroundWindow, progressDialogProc, 0);
    int result = extractPayload(progress, showProgress);
    if (result != EXTRACT_SUCCESS) {
        static const SetupMessage failures[] = {MESSAGE_FAILED_CREATE, MESSAGE_FAILED_WRITE,
                                                MESSAGE_FAILED_MEMORY};
        showMessage(result >= 1 && result <= 3 ? failures[result - 1] : MESSAGE_FAILED_CREATE);
        removePayloadFiles(NULL, NULL);
        return 0;
    }
    DestroyWindow(progress);

    createShortcut(settings.folderName, settings.productName, programPath, dataFolder, NULL);
    createShortcut(settings.folderName, UNINSTALL_SHORTCUT_NAME, uninstallerPath, dataFolder,
                   NULL);
    registerUninstaller();
    if (settings.addStartupEntry)
        addStartupEntry(nt);
    WritePrivateProfileStringA(INI_SECTION, INI_DATA_DIR_KEY, dataFolder, settings.iniFileName);
    if (settings.runCompanionInstall)
        runFromDataFolder(COMPANION_FILE_NAME, "-install", "-sid=0");
    if (serviceConfigured && nt) {
        showMessage(MESSAGE_NEW_SERVICE);
        if (runFromDataFolder(settings.serviceFileName, "-install-service", NULL) != 0)
            showMessage(MESSAGE_SERVICE_FAILED);
    }

    int answer = showMessage(MESSAGE_DONE, settings.productName, settings.productName);
    DestroyWindow(backgroundWindow);
    DeleteObject(titleFont);
    if (answer == IDYES) {
        char command[TEXT_BUFFER_SIZE];
        if (buildQuotedPath(command, sizeof command, programPath))
            WinExec(command, SW_SHOW);
    }
    return 0;
}
