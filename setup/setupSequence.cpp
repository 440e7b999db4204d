// The setup run: one thread walking a fixed list of steps. Windows get their messages only
// while a modal dialog or message box runs; there is no message loop of our own. Every
// outside effect goes through the run's table of calls.
#include "setupSequence.h"

#include <string.h>

#include "core/boundedText.h"
#include "core/setupDecisions.h"
#include "core/setupMessages.h"
#include "core/shortcutPaths.h"
#include "platform/platformInfo.h"

namespace {

// Shows one of the sequence's messages, owned by the background window, with note appended.
// The title's %s and the text's conversions are filled from the arguments; a text that would
// not fit its buffer is shown as its unfilled wording rather than cut.
int showMessageList(const SetupRun &run, SetupMessage which, const char *note, va_list arguments)
{
    const SetupMessageText &message = setupMessages[which];
    char title[TEXT_BUFFER_SIZE];
    char text[2 * TEXT_BUFFER_SIZE];
    if (!formatText(title, sizeof title, message.title, run.settings->productName))
        copyText(title, sizeof title, message.title);
    if (!formatTextList(text, sizeof text, message.text, arguments))
        copyText(text, sizeof text, message.text);
    appendText(text, sizeof text, note);
    return run.calls->messageBox(run.backgroundWindow, text, title, message.style);
}

int showMessage(const SetupRun &run, SetupMessage which, ...)
{
    va_list arguments;
    va_start(arguments, which);
    int answer = showMessageList(run, which, "", arguments);
    va_end(arguments);
    return answer;
}

// The message that ends a run after the folder choice without installing: it also says when
// the INI value names the chosen folder still.
void showEnd(const SetupRun &run, SetupMessage which, ...)
{
    va_list arguments;
    va_start(arguments, which);
    showMessageList(run, which, run.notRestoredNote, arguments);
    va_end(arguments);
}

PauseRoutine pauseOf(SetupRun &run)
{
    PauseRoutine routine = {[](void *context, int32_t milliseconds) {
                                SetupRun *owner = static_cast<SetupRun *>(context);
                                owner->calls->pause(&owner->animation, milliseconds);
                            },
                            &run};
    return routine;
}

// The data folder and free-space loop: 1 with a folder that has room (or whose space cannot
// be read), 0 when the user gave up the choice.
int chooseFolderWithRoom(SetupRun &run)
{
    const SetupCalls &calls = *run.calls;
    const InstallerSettings &settings = *run.settings;
    const char *dataFolder = run.folderChoice.folder;
    for (;;) {
        if (!calls.chooseDataFolder(&run.folderChoice, 1))
            return 0;
        // Written at once: the dialog proposes it again when the drive lacks room. Written or
        // not, the value is set back once the choice is made; only a value written here that
        // differs from the earlier one needs it.
        if (calls.writeProfileString(INI_SECTION, INI_DATA_DIR_KEY, dataFolder, settings.iniFileName))
            run.dataFolderWritten = strcmp(dataFolder, run.earlierDataFolder) != 0;
        calls.changeDirectory(dataFolder);
        char root[TEXT_BUFFER_SIZE];
        buildDriveRoot(root, sizeof root, dataFolder, calls.currentDrive(), ansiLeadBytes());
        DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
        if (!calls.diskFreeSpace(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                 &totalClusters))
            return 1;
        if (driveHasRoom((uint32_t)settings.requiredMegabytes, sectorsPerCluster, bytesPerSector,
                         freeClusters))
            return 1;
        showMessage(run, MESSAGE_NO_SPACE, settings.requiredMegabytes, root,
                    (int)freeMegabytes(sectorsPerCluster, bytesPerSector, freeClusters));
    }
}

// An installed program reads the INI value: once the choice is made, the value it held goes
// back, so that a run that ends without installing, even a killed one, leaves it as it was.
// The completed install writes the chosen folder. Without an earlier value the choice stays,
// to be proposed by the next run. A value that cannot be set back is named when the run ends
// without installing; an install writes the chosen folder over it.
void restoreEarlierDataFolder(SetupRun &run)
{
    const char *earlier = run.earlierDataFolder;
    if (run.dataFolderWritten && earlier[0] != '\0' &&
        !run.calls->writeProfileString(INI_SECTION, INI_DATA_DIR_KEY, earlier,
                                       run.settings->iniFileName) &&
        !buildNotRestoredNote(run.notRestoredNote, sizeof run.notRestoredNote, earlier,
                              run.calls->lastError()))
        copyText(run.notRestoredNote, sizeof run.notRestoredNote,
                 "\r\n\r\nThe note of the folder that the program reads could not be set back.");
}

// Where the shortcuts go: the desktop user's own Programs or Startup folder when another
// account (an administrator's, over the user's shoulder) runs the setup, else NULL: this
// account's own, as for the user who runs it.
const char *shortcutFolder(const SetupRun &run, int startup)
{
    const char *folder = startup ? run.user.startupFolder : run.user.programsFolder;
    return run.user.desktopUser == DESKTOP_OTHER && folder[0] != '\0' ? folder : NULL;
}

// Notes a record outside the folder that could not be written, for the message before the
// final question; error 0 means it was written.
void noteWrite(SetupRun &run, InstallRecord record, uint32_t error)
{
    if (error != 0)
        appendNotDoneLine(run.notDone, sizeof run.notDone, record, error);
}

uint32_t setTextValue(const SetupCalls &calls, HKEY key, const char *name, const char *text)
{
    return (uint32_t)calls.setValue(key, name, 0, REG_SZ, (const BYTE *)text,
                                    (DWORD)strlen(text) + 1);
}

uint32_t setNumberValue(const SetupCalls &calls, HKEY key, const char *name, DWORD number)
{
    return (uint32_t)calls.setValue(key, name, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

// The values of the uninstall entry, as registerUninstaller writes them.
const char *const entryValues[] = {"DisplayName",     "DisplayVersion", "UninstallString",
                                   "DisplayIcon",     "InstallLocation", "EstimatedSize",
                                   "NoModify",        "NoRepair"};

// The key is the program's own: what another program left in it (a flag that hides the entry
// from the list, another program's commands or publisher) goes before the entry is written.
// A name too long to read stays. 0, or the first error of a deletion.
uint32_t removeForeignValues(const SetupCalls &calls, HKEY key)
{
    uint32_t failed = 0;
    char name[TEXT_BUFFER_SIZE];
    for (DWORD index = 0;;) {
        DWORD length = sizeof name;
        LONG found = calls.enumValue(key, index, name, &length, NULL, NULL, NULL, NULL);
        if (found != ERROR_SUCCESS && found != ERROR_MORE_DATA)
            return failed;
        int ours = found != ERROR_SUCCESS;
        for (const char *value : entryValues)
            ours = ours || strcmp(name, value) == 0;  // another case: deleted, then written
        LONG deleted = ours ? ERROR_SUCCESS : calls.deleteValue(key, name);
        if (deleted != ERROR_SUCCESS && failed == 0)
            failed = (uint32_t)deleted;
        // A deleted value's place goes to the next one.
        if (ours || deleted != ERROR_SUCCESS)
            ++index;
    }
}

// The entry of the list of installed programs. The command is quoted: a launcher that hands
// it to the system as a command line would otherwise try "C:\Program.exe" first for a folder
// with a blank. The icon is the quoted program with its index, so a comma in the folder's
// name is not taken for the one before the index. 0 when the key and every value were
// written, else the first error.
uint32_t registerUninstaller(const SetupRun &run)
{
    const SetupCalls &calls = *run.calls;
    const char *productName = run.settings->productName;
    char keyPath[TEXT_BUFFER_SIZE];
    char command[TEXT_BUFFER_SIZE];
    char icon[TEXT_BUFFER_SIZE];
    HKEY key;
    DWORD disposition;
    char noClass[] = "";
    if (!buildUninstallKeyPath(keyPath, sizeof keyPath, productName) ||
        !buildQuotedPath(command, sizeof command, run.uninstallerPath) ||
        !formatText(icon, sizeof icon, "\"%s\",0", run.programPath))
        return ERROR_FILENAME_EXCED_RANGE;
    LONG opened = calls.createKey(HKEY_LOCAL_MACHINE, keyPath, 0, noClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &key, &disposition);
    if (opened != ERROR_SUCCESS) {
        OutputDebugStringA("Couldn't open the registry key.\r\n");
        return (uint32_t)opened;
    }
    uint32_t removed = removeForeignValues(calls, key);
    uint32_t results[] = {
        removed,
        setTextValue(calls, key, "DisplayName", productName),
        setTextValue(calls, key, "DisplayVersion", VELMORANT_VERSION),
        setTextValue(calls, key, "UninstallString", command),
        setTextValue(calls, key, "DisplayIcon", icon),
        setTextValue(calls, key, "InstallLocation", run.folderChoice.folder),
        setNumberValue(calls, key, "EstimatedSize", (DWORD)run.payload->installedKilobytes),
        // The uninstaller is the only maintenance there is: no Modify or Repair button.
        setNumberValue(calls, key, "NoModify", 1),
        setNumberValue(calls, key, "NoRepair", 1),
        // Where the uninstaller finds the shortcuts that are not in its own account's folders.
        shortcutFolder(run, 0) != NULL
            ? setTextValue(calls, key, SHORTCUT_FOLDER_VALUE, shortcutFolder(run, 0))
            : 0,
        shortcutFolder(run, 1) != NULL && run.settings->addStartupEntry
            ? setTextValue(calls, key, STARTUP_FOLDER_VALUE, shortcutFolder(run, 1))
            : 0,
    };
    calls.closeKey(key);
    for (uint32_t result : results)
        if (result != ERROR_SUCCESS)
            return result;
    return 0;
}

// Starts the installed program for the user: directly (with command) only where that gives it
// no more rights than the signed-in user has, else through the desktop's shell. 0 when
// nothing was started.
int startForUser(const SetupRun &run, const char *command, const char *arguments)
{
    if (startMethod(run.nt, run.user.elevated, run.user.desktopUser) == START_DIRECTLY) {
        run.calls->startProgram(command, SW_SHOW);
        return 1;
    }
    return run.calls->startFromDesktop(run.programPath, run.folderChoice.folder, arguments);
}

void addStartupEntry(SetupRun &run)
{
    const SetupCalls &calls = *run.calls;
    const InstallerSettings &settings = *run.settings;
    int serviceConfigured = settings.serviceFileName[0] != '\0';
    if (serviceConfigured && run.nt)
        return;
    if (!serviceConfigured && calls.messageBox(run.backgroundWindow, settings.startupPrompt,
                                               "Add To Startup Group", MB_YESNO) != IDYES)
        return;
    const char *name = settings.startupShortcutName[0] != '\0' ? settings.startupShortcutName
                                                                : settings.productName;
    const char *arguments = settings.startupArguments[0] != '\0' ? settings.startupArguments : NULL;
    noteWrite(run, RECORD_STARTUP_ENTRY,
              calls.createShortcut(shortcutFolder(run, 1), NULL, name, run.programPath,
                                   run.folderChoice.folder, arguments));
    // Started once now; the final question offers it again when the shell could not.
    char command[TEXT_BUFFER_SIZE];
    if (buildStartupCommand(command, sizeof command, run.programPath, settings.startupArguments))
        startForUser(run, command, arguments);
}

// Runs <data folder>\<fileName> with its quoted path as first argument and waits for it.
// -1 when it could not be started (or its command would not fit).
intptr_t runFromDataFolder(const SetupRun &run, const char *fileName, const char *argument1,
                           const char *argument2)
{
    char path[TEXT_BUFFER_SIZE];
    char quoted[TEXT_BUFFER_SIZE];
    if (!buildFolderFilePath(path, sizeof path, run.folderChoice.folder, fileName) ||
        !buildQuotedPath(quoted, sizeof quoted, path))
        return -1;
    return run.calls->runAndWait(path, quoted, argument1, argument2);
}

// The final Yes: never with more rights than the signed-in user has. When only the desktop's
// shell may start the product and it cannot, the user learns where the program is.
void startProduct(const SetupRun &run)
{
    char command[TEXT_BUFFER_SIZE];
    if (buildQuotedPath(command, sizeof command, run.programPath) &&
        !startForUser(run, command, NULL))
        showMessage(run, MESSAGE_START_YOURSELF, run.settings->productName, run.programPath);
}

// The steps after the background window; an early end returns at once, leaving the window
// and the font to the end of the process.
void runSteps(SetupRun &run)
{
    const SetupCalls &calls = *run.calls;
    const InstallerSettings &settings = *run.settings;
    const char *dataFolder = run.folderChoice.folder;

    // -1 means the dialog never appeared: the user has not accepted anything.
    INT_PTR accepted = calls.runAgreement(run.instance, run.backgroundWindow);
    if (accepted == 0 || accepted == -1) {
        showMessage(run, MESSAGE_NOT_INSTALLED);
        return;
    }
    // Nothing is written before the agreement is accepted.
    calls.removeEarlierUninstallerHelpers();
    calls.readSignedInUser(&run.user);

    // A value that would not fit whole is not one a program of ours wrote: none to restore.
    DWORD length = calls.readProfileString(INI_SECTION, INI_DATA_DIR_KEY, "", run.earlierDataFolder,
                                           sizeof run.earlierDataFolder, settings.iniFileName);
    if (length + 1 >= sizeof run.earlierDataFolder)
        run.earlierDataFolder[0] = '\0';
    int chosen = chooseFolderWithRoom(run);
    restoreEarlierDataFolder(run);
    if (!chosen) {
        showEnd(run, MESSAGE_NOT_INSTALLED);
        return;
    }
    // The program and uninstaller paths are needed only after the extraction, but a folder
    // whose paths cannot be named in full is refused now, before anything is written. The
    // shortcuts hand them to the shell, which takes no path of MAX_PATH bytes or more: a
    // longer one would leave shortcuts to a cut path.
    if (!buildFolderFilePath(run.programPath, sizeof run.programPath, dataFolder,
                             settings.programFileName) ||
        !buildFolderFilePath(run.uninstallerPath, sizeof run.uninstallerPath, dataFolder,
                             UNINSTALLER_FILE_NAME) ||
        strlen(run.programPath) >= SHELL_PATH_SIZE ||
        strlen(run.uninstallerPath) >= SHELL_PATH_SIZE) {
        showEnd(run, MESSAGE_PATH_TOO_LONG);
        return;
    }

    if (settings.warnRunningCopies) {
        showMessage(run, MESSAGE_CLOSE_COPIES, settings.productName, settings.productName);
    } else {
        CopyNames copies = {settings.productName, settings.serviceName};
        calls.closeRunningCopies(run.backgroundWindow, copies, pauseOf(run));
    }

    int serviceConfigured = settings.serviceFileName[0] != '\0';
    if (serviceConfigured && run.nt) {
        showMessage(run, MESSAGE_OLD_SERVICE);
        if (calls.removeOldService(settings.serviceName, pauseOf(run)) != 0) {
            showEnd(run, MESSAGE_SERVICE_NOT_REMOVED);
            return;
        }
        calls.pause(&run.animation, SERVICE_PAUSE_MILLISECONDS);
    }

    HWND progress = calls.createProgressDialog(run.instance, run.backgroundWindow);
    char unrestored[TEXT_BUFFER_SIZE] = "";
    int result = calls.extract(*run.payload, progress, calls.progress, unrestored,
                               sizeof unrestored);
    if (result == EXTRACT_NOT_RESTORED) {
        // The one failure after which the earlier installation is not whole: the file is named.
        showEnd(run, MESSAGE_NOT_RESTORED, unrestored);
        return;
    }
    // Said once: the stopped run's journal that named them is gone now.
    if (unrestored[0] != '\0')
        showMessage(run, MESSAGE_EARLIER_LOST, unrestored);
    if (result != EXTRACT_SUCCESS) {
        static const SetupMessage failures[] = {MESSAGE_FAILED_CREATE, MESSAGE_FAILED_WRITE,
                                                MESSAGE_FAILED_MEMORY};
        // The extraction has put every earlier file back and left nothing of its own.
        showEnd(run, result >= 1 && result <= 3 ? failures[result - 1] : MESSAGE_FAILED_CREATE);
        return;
    }
    calls.destroyWindow(progress);

    noteWrite(run, RECORD_PROGRAM_SHORTCUT,
              calls.createShortcut(shortcutFolder(run, 0), settings.folderName,
                                   settings.productName, run.programPath, dataFolder, NULL));
    noteWrite(run, RECORD_UNINSTALL_SHORTCUT,
              calls.createShortcut(shortcutFolder(run, 0), settings.folderName,
                                   UNINSTALL_SHORTCUT_NAME, run.uninstallerPath, dataFolder, NULL));
    noteWrite(run, RECORD_UNINSTALL_ENTRY, registerUninstaller(run));
    // Before anything of the installation is started: the program reads the folder from it.
    if (!calls.writeProfileString(INI_SECTION, INI_DATA_DIR_KEY, dataFolder, settings.iniFileName))
        noteWrite(run, RECORD_DATA_FOLDER_VALUE, calls.lastError());
    if (settings.addStartupEntry)
        addStartupEntry(run);
    if (settings.runCompanionInstall)
        runFromDataFolder(run, COMPANION_FILE_NAME, "-install", "-sid=0");
    if (serviceConfigured && run.nt) {
        showMessage(run, MESSAGE_NEW_SERVICE);
        if (runFromDataFolder(run, settings.serviceFileName, "-install-service", NULL) != 0)
            showMessage(run, MESSAGE_SERVICE_FAILED);
    }

    // The files stay installed; the user learns what is missing before being told it is done.
    if (run.notDone[0] != '\0')
        showMessage(run, MESSAGE_NOT_ALL_DONE, settings.productName, run.notDone);
    int answer = showMessage(run, MESSAGE_DONE, settings.productName, settings.productName);
    calls.destroyWindow(run.backgroundWindow);
    run.backgroundWindow = NULL;  // a message after it has no owner
    calls.deleteObject(run.picture.font);
    if (answer == IDYES)
        startProduct(run);
}

}  // namespace

int runSetup(SetupRun *run, HINSTANCE instance, const InstallerSettings &settings,
             const PayloadTable &payload, const SetupCalls &calls)
{
    memset(run, 0, sizeof *run);
    run->instance = instance;
    run->settings = &settings;
    run->payload = &payload;
    run->calls = &calls;
    run->nt = calls.isNtPlatform();
    run->majorVersion = calls.majorVersion();
    // Before the background window: a second run, a user who may not install, or a damaged
    // setup file ends with its message and writes nothing.
    if (!calls.holdRunLock(settings.productName, run->nt)) {
        showMessage(*run, MESSAGE_ALREADY_RUNNING, settings.productName);
        return 0;
    }
    if (refusesUser(run->nt, run->majorVersion, calls.runByAdministrator())) {
        showMessage(*run, MESSAGE_ADMINISTRATOR_NEEDED, settings.productName);
        return 0;
    }
    if (!calls.payloadIntact(payload)) {
        showMessage(*run, MESSAGE_DAMAGED);
        return 0;
    }
    formatText(run->paintedTitle, sizeof run->paintedTitle, BACKGROUND_TITLE_FORMAT,
               settings.productName);
    run->picture.font = createTitleFont();
    run->picture.title = run->paintedTitle;
    run->folderChoice.instance = instance;
    run->folderChoice.folderName = settings.folderName;
    run->folderChoice.iniFileName = settings.iniFileName;
    run->folderChoice.nt = run->nt;
    run->folderChoice.majorVersion = run->majorVersion;
    run->folderChoice.makeFolder = calls.makeFolder;
    if (registerBackgroundClass(instance)) {
        // The caption is the painted title.
        run->backgroundWindow = createBackgroundWindow(instance, run->paintedTitle, &run->picture);
        run->folderChoice.owner = run->backgroundWindow;
        run->animation.window = run->backgroundWindow;
        run->animation.font = run->picture.font;
        runSteps(*run);
    }
    // The data folder stays held from its judgement to here.
    if (run->folderChoice.heldFolder != NULL)
        calls.closeHandle(run->folderChoice.heldFolder);
    return 0;
}
