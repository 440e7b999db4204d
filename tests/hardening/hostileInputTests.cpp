// Whole runs of the setup program against hostile surroundings and input: over-long stored
// folders and home folders, over-long and unusable folder names, device names. Each run must
// end with a clear message or a sound refusal: exit code 0 (a crash gives another), no
// registration or stored folder unless the run said it installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";

std::string setupCommand()
{
    return "\"" + buildFile("setup.exe") + "\"";
}

void setAppDefault(const char *exeName, const char *subkey, const char *name, const char *value)
{
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + exeName;
    if (subkey[0] != '\0')
        key += std::string("\\") + subkey;
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                              &handle, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE *)value, (DWORD)strlen(value) + 1);
    RegCloseKey(handle);
}

// Starts a run and accepts the agreement.
void startAndAccept(ProcessRun &run)
{
    ASSERT_TRUE(run.start(setupCommand(), "C:\\"));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
}

// The first window of the run, other than the background and the folder dialog, that shows
// up within timeoutMs; NULL when none did.
HWND nextBox(ProcessRun &run, int timeoutMs = 15000)
{
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        for (const std::string &title : windowTitles(run.processId()))
            if (title != "Install Velmorant" && title != "Choose a Folder")
                return waitForWindow(title.c_str(), 100, run.processId());
        if (!run.running())
            return NULL;
        Sleep(50);
    }
    return NULL;
}

struct Refusal {
    std::string title;
    std::string text;
};

// Types the two fields, presses OK and answers the box that refuses them; the dialog must
// then still be open. An empty title: nothing refused the folder.
Refusal refusalOf(ProcessRun &run, const std::string &parent, const std::string &application,
                  int timeoutMs = 15000)
{
    FolderDialogSeen seen =
        chooseFolderInDialog(run.processId(), parent.c_str(), application.c_str());
    EXPECT_NE(seen.dialog, (HWND)NULL);
    Refusal refusal;
    HWND box = nextBox(run, timeoutMs);
    if (box == NULL)
        return refusal;
    refusal.title = windowText(box);
    refusal.text = messageBoxText(box);
    pressButton(box, IDOK);
    EXPECT_TRUE(waitForWindowGone(box));
    EXPECT_NE(waitForWindow("Choose a Folder", 5000, run.processId()), (HWND)NULL)
        << "the dialog closed after \"" << refusal.title << "\"";
    return refusal;
}

// Cancels the folder dialog and walks the two closing messages: nothing was installed.
void cancelAndEnd(ProcessRun &run)
{
    HWND dialog = waitForWindow("Choose a Folder", 10000, run.processId());
    ASSERT_NE(dialog, (HWND)NULL);
    pressButton(dialog, IDCANCEL);
    answerBox("Shutting Down", IDOK, 10000, run.processId());
    answerBox("Application Not Installed", IDOK, 10000, run.processId());
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "<missing>");
}

// The rest of an accepted run: the warning, then the final question answered No.
void finishInstalled(ProcessRun &run)
{
    answerBox("Close Running Copies First!", IDOK, 30000, run.processId());
    SeenBox done = answerBox("Installation Successful", IDNO, 60000, run.processId());
    EXPECT_FALSE(done.title.empty()) << "the run did not finish";
    EXPECT_EQ(run.wait(), 0);
}

}  // namespace

// A stored folder the dialog could not show whole is not proposed; the default stands.
TEST(Hostile, StoredDataDirOf2000Characters)
{
    std::string stored = "C:\\" + std::string(1997, 'd');
    ASSERT_TRUE(writeFile(windowsFolder() + "\\velmorant.ini",
                          "[Options]\r\ndataDir=" + stored + "\r\n"));
    ProcessRun run;
    startAndAccept(run);
    FolderDialogSeen seen = chooseFolderInDialog(run.processId(), NULL, NULL);
    ASSERT_NE(seen.dialog, (HWND)NULL);
    EXPECT_EQ(seen.parent, "C:\\Program Files");
    EXPECT_EQ(seen.application, "Velmorant");
    finishInstalled(run);
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), "C:\\Program Files\\Velmorant");
}

// Without the special-folder lookup the default comes from the home folder: the override
// really takes the lookup away (a short home folder shows up in the dialog).
TEST(Hostile, HomeFolderDefaultWithoutShellFolder)
{
    setAppDefault("setup.exe", "DllOverrides", "shfolder", "");
    SetEnvironmentVariableA("HOMEDRIVE", "D:");
    SetEnvironmentVariableA("HOMEPATH", "\\Users\\Ann");
    ProcessRun run;
    startAndAccept(run);
    HWND dialog = waitForWindow("Choose a Folder", 30000, run.processId());
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, 24001), "D:\\Users\\Ann");
    EXPECT_EQ(controlText(dialog, 24002), "Velmorant");
    cancelAndEnd(run);
}

// A home folder of 2000 characters gives no cut path but the root of drive C:.
TEST(Hostile, HomePathOf2000CharactersWithoutShellFolder)
{
    setAppDefault("setup.exe", "DllOverrides", "shfolder", "");
    SetEnvironmentVariableA("HOMEDRIVE", "D:");
    SetEnvironmentVariableA("HOMEPATH", ("\\" + std::string(1999, 'h')).c_str());
    ProcessRun run;
    startAndAccept(run);
    HWND dialog = waitForWindow("Choose a Folder", 30000, run.processId());
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, 24001), "C:");
    EXPECT_EQ(controlText(dialog, 24002), "Velmorant");
    cancelAndEnd(run);
}

// Fields of 259 characters each (the most they hold) compose a folder that cannot be made;
// fields set past their limit are not read cut short: OK does nothing.
TEST(Hostile, FolderFieldsOf259Characters)
{
    ProcessRun run;
    startAndAccept(run);
    Refusal full = refusalOf(run, "C:\\" + std::string(256, 'p'), std::string(259, 'a'));
    EXPECT_EQ(full.title, "Can't Create Directory");
    EXPECT_EQ(full.text, cannotCreateText);

    Refusal over = refusalOf(run, "C:\\velmorant-tests", std::string(300, 'a'), 3000);
    EXPECT_EQ(over.title, "") << over.text;
    EXPECT_FALSE(folderExists("C:\\velmorant-tests\\" + std::string(259, 'a')));
    cancelAndEnd(run);
}

// Names Windows refuses cannot be made; device names, which open the device wherever they
// point, are refused as names that are no folder. The dialog stays open for another try.
TEST(Hostile, RefusedCharactersAndDeviceNames)
{
    CreateDirectoryA("C:\\velmorant-tests", NULL);
    ProcessRun run;
    startAndAccept(run);
    struct Case {
        const char *name;
        const char *title;
        const char *text;
    } cases[] = {
        {"Vel<mor", "Can't Create Directory", cannotCreateText},
        {"Vel>mor", "Can't Create Directory", cannotCreateText},
        {"Vel|mor", "Can't Create Directory", cannotCreateText},
        {"Vel?mor", "Can't Create Directory", cannotCreateText},
        {"Vel*mor", "Can't Create Directory", cannotCreateText},
        {"CON", "Please Enter a Folder Name", fileText},
        {"NUL", "Please Enter a Folder Name", fileText},
        {"con", "Please Enter a Folder Name", fileText},
        {"COM1", "Please Enter a Folder Name", fileText},
        {"NUL.txt", "Please Enter a Folder Name", fileText},
        {"LPT1\\Velmorant", "Please Enter a Folder Name", fileText},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Refusal refusal = refusalOf(run, "C:\\velmorant-tests", c.name);
        EXPECT_EQ(refusal.title, c.title);
        EXPECT_EQ(refusal.text, c.text);
    }
    cancelAndEnd(run);
}

// A folder that can be made, but whose program and uninstaller paths would not fit the
// shell's 260-byte paths, is refused with a message before anything is unpacked.
TEST(Hostile, ShortcutPathsPast260Bytes)
{
    // 3 + 200 + 1 + 44 = 248 characters: the longest folder Windows creates; its program
    // path is 262 characters long.
    std::string parent = "C:\\" + std::string(200, 'p');
    ASSERT_TRUE(CreateDirectoryA(parent.c_str(), NULL));
    std::string application(44, 'a');
    ProcessRun run;
    startAndAccept(run);
    FolderDialogSeen seen = chooseFolderInDialog(run.processId(), parent.c_str(),
                                                 application.c_str());
    ASSERT_NE(seen.dialog, (HWND)NULL);
    SeenBox box = answerBox("Velmorant Installation Failed", IDOK, 30000, run.processId());
    EXPECT_EQ(box.text, tooLongText);
    EXPECT_EQ(run.wait(), 0);
    std::string folder = parent + "\\" + application;
    EXPECT_FALSE(fileExists(folder + "\\velmorant.exe"));
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    const char *appData = getenv("APPDATA");
    ASSERT_NE(appData, (const char *)NULL);
    EXPECT_FALSE(folderExists(std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\Velmorant"));
}
