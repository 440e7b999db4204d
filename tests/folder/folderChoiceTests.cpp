// The data folder choice under Wine: the routine runs on a thread of its own, as on the setup's
// one window thread, while the test drives its dialog and message boxes like a user.
#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <commctrl.h>
#include <sddl.h>
#include <shlobj.h>
#include <stdlib.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/expectedTexts.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"
#include "platform/folderSecurity.h"
#include "platform/pointerParam.h"
#include "ui/dataFolderChoice.h"

namespace {

const int parentField = 24001;
const int applicationField = 24002;
const int browseButton = 24003;


// The security description the last folder was made with, in the system's text form
// ("none" without one), and the protected one it should be.
std::string madeWith;
const char protectedList[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// Wine makes a folder's list from its mode whatever it was made with: the description is
// read here, on its way to the system.
BOOL WINAPI recordingMakeFolder(LPCSTR path, LPSECURITY_ATTRIBUTES attributes)
{
    madeWith = "none";
    char *text = NULL;
    if (attributes != NULL && attributes->lpSecurityDescriptor != NULL &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(attributes->lpSecurityDescriptor,
                                                             SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text,
                                                             NULL)) {
        madeWith = text;
        LocalFree(text);
    }
    return CreateDirectoryA(path, attributes);
}

// The choice every test hands the routine and its dialog: the shipping names, on the NT
// family and version 6, as Wine reports itself.
FolderChoice folderChoice = {NULL, NULL, "Velmorant", "velmorant.ini", "", 1, 6,
                             recordingMakeFolder, NULL};

// A routine running on its own window thread; its result is read once it has returned.
struct UiThread {
    std::thread thread;
    std::atomic<bool> done{false};
    std::atomic<long long> result{-99};
    std::atomic<HWND> owner{NULL};

    void start(std::function<long long()> routine)
    {
        thread = std::thread([this, routine] {
            result = routine();
            done = true;
        });
    }
    bool finished(int timeoutMs = 10000)
    {
        for (int waited = 0; !done && waited < timeoutMs; waited += 20)
            Sleep(20);
        return done;
    }
    ~UiThread()
    {
        // A routine stuck in a dialog after a failed check: the process ends with it.
        if (thread.joinable()) {
            if (finished(2000))
                thread.join();
            else
                thread.detach();
        }
    }
};

// chooseDataFolder with an owner window of its own, as the background window would be.
void startChooser(UiThread &ui, int alwaysAsk, HINSTANCE instance = GetModuleHandleA(NULL))
{
    ui.start([&ui, alwaysAsk, instance]() -> long long {
        HWND owner = CreateWindowExA(0, "STATIC", "Folder Test Owner", WS_POPUP, 0, 0, 10, 10,
                                     NULL, NULL, NULL, NULL);
        ui.owner = owner;
        folderChoice.instance = instance;
        folderChoice.owner = owner;
        int chosen = chooseDataFolder(&folderChoice, alwaysAsk);
        DestroyWindow(owner);
        return chosen;
    });
}

// The dialog alone, on the folder now in the choice.
void startDialog(UiThread &ui)
{
    ui.start([]() -> long long {
        return DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(24000), NULL,
                               folderDialogProc, pointerParam(&folderChoice));
    });
}

HWND waitForDialog(int timeoutMs = 10000)
{
    return waitForWindow("Choose a Folder", timeoutMs, GetCurrentProcessId());
}

// The style read off a message box: its buttons and its icon.
unsigned boxStyle(HWND box)
{
    bool ok = GetDlgItem(box, IDOK) != NULL;
    bool yes = GetDlgItem(box, IDYES) != NULL;
    bool no = GetDlgItem(box, IDNO) != NULL;
    bool cancel = GetDlgItem(box, IDCANCEL) != NULL;
    unsigned style;
    if (ok && !yes && !no && !cancel)
        style = MB_OK;
    else if (yes && no && !ok && !cancel)
        style = MB_YESNO;
    else
        style = 0x0F;  // some other set of buttons
    HWND icon = GetDlgItem(box, 1088);
    LRESULT shown = icon != NULL ? SendMessageA(icon, STM_GETICON, 0, 0) : 0;
    if (shown == reinterpret_cast<LRESULT>(LoadIconA(NULL, IDI_WARNING)))
        style |= MB_ICONWARNING;
    else if (shown != 0)
        style |= 0xF0;  // some other icon
    return style;
}

struct Box {
    HWND window = NULL;
    std::string text;
    HWND owner = NULL;
    unsigned style = 0xFFFF;
};

Box seeBox(const char *title, int timeoutMs = 10000)
{
    Box box;
    box.window = waitForWindow(title, timeoutMs, GetCurrentProcessId());
    EXPECT_NE(box.window, (HWND)NULL) << "no box titled \"" << title << "\"";
    if (box.window == NULL)
        return box;
    box.text = messageBoxText(box.window);
    box.owner = GetWindow(box.window, GW_OWNER);
    box.style = boxStyle(box.window);
    return box;
}

void answer(const Box &box, int button)
{
    if (box.window == NULL)
        return;
    pressButton(box.window, button);
    EXPECT_TRUE(waitForWindowGone(box.window));
}

void setIni(const char *value)
{
    WritePrivateProfileStringA("Options", "dataDir", value, "velmorant.ini");
}

std::string iniValue()
{
    return iniText("velmorant.ini", "Options", "dataDir");
}

std::string currentFolder()
{
    char path[1024] = "";
    _getcwd(path, sizeof path);
    return path;
}

// Types the two fields and presses OK on a dialog already open.
void fillAndOk(HWND dialog, const char *parent, const char *application)
{
    setControlText(dialog, parentField, parent);
    setControlText(dialog, applicationField, application);
    pressButton(dialog, IDOK);
}

// The dialog stays open: nothing ended it within a moment.
void expectStillOpen(UiThread &ui, HWND dialog)
{
    Sleep(300);
    EXPECT_FALSE(ui.done);
    EXPECT_TRUE(IsWindow(dialog));
}

std::string repeated(char c, size_t count)
{
    return std::string(count, c);
}

}  // namespace

// The template as compiled into the shipping program's resources.
TEST(EnterFolder, EntersAndCreatesOnlyWhenAsked)
{
    std::string base = scratchFolder("enter");
    struct Case {
        std::string path;
        int create;
        int result;
        bool existsAfter;
    } cases[] = {
        {base, 0, 0, true},
        {base + "\\missing", 0, -1, false},
        {base + "\\made", 1, 0, true},
        {base + "\\made", 0, 0, true},
        {base + "\\no\\parent", 1, -1, false},
    };
    for (const Case &c : cases) {
        SetCurrentDirectoryA("C:\\");
        EXPECT_EQ(enterFolder(c.path.c_str(), c.create, 1), c.result) << c.path;
        EXPECT_EQ(folderExists(c.path), c.existsAfter) << c.path;
        EXPECT_EQ(currentFolder(), c.result == 0 ? c.path : std::string("C:\\")) << c.path;
    }
}

// The security description a made folder is created with, as the system writes it out: Wine
// keeps no list but the one it makes from the folder's mode, so it is read here rather than
// from the folder. Protected from the parent's entries; full control for Administrators and
// SYSTEM, read and run for Users, each passed on to files and folders.
TEST(EnterFolder, MadeFolderGetsTheProtectedList)
{
    static ProtectedFolderSecurity security;
    ASSERT_TRUE(buildFolderSecurity(&security, createdFolderAccess));
    char *text = NULL;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        &security.descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, NULL));
    EXPECT_STREQ(text, protectedList);
    LocalFree(text);
    // Made with it, the folder is there and not open to others; the judgement holds it.
    std::string made = scratchFolder("protected") + "\\made";
    ASSERT_TRUE(volumeKeepsAccessLists(made.c_str()));
    madeWith = "";
    EXPECT_EQ(makeDataFolder(made.c_str(), 1, recordingMakeFolder), 0);
    EXPECT_EQ(madeWith, protectedList);
    EXPECT_TRUE(folderExists(made));
    HANDLE held = NULL;
    EXPECT_EQ(judgeDataFolder(made.c_str(), 6, &held), FOLDER_TRUSTED);
    ASSERT_NE(held, (HANDLE)NULL);
    CloseHandle(held);
}

TEST(DefaultFolder, FromTheShellsProgramFiles)
{
    folderChoice.folder[0] = '\0';
    EXPECT_EQ(defaultFromShellFolder(&folderChoice), 1);
    EXPECT_STREQ(folderChoice.folder, "C:\\Program Files\\Velmorant");
}

TEST(DefaultFolder, FallbackFromTheEnvironment)
{
    RemoveDirectoryA("C:\\Program Files\\Velmorant");
    ASSERT_FALSE(folderExists("C:\\Program Files\\Velmorant"));
    std::string longHome = "\\" + repeated('h', 300);
    std::string overlongHome = "\\" + repeated('h', 2000);
    std::string overlongDrive = repeated('d', 2000);
    struct Case {
        const char *homeDrive;  // NULL: unset
        const char *homePath;
        const char *folder;
    } cases[] = {
        {"D:", "\\Users\\Ann", "D:\\Users\\Ann\\Velmorant"},
        {NULL, "E:\\Home", "E:\\Home\\Velmorant"},
        {NULL, NULL, "C:\\Velmorant"},
        // Homes the dialog could not show whole fall back to the drive's root.
        {"D:", longHome.c_str(), "C:\\Velmorant"},
        {"D:", overlongHome.c_str(), "C:\\Velmorant"},
        {overlongDrive.c_str(), "\\x", "C:\\Velmorant"},
    };
    SetCurrentDirectoryA("C:\\");
    for (const Case &c : cases) {
        _putenv((std::string("HOMEDRIVE=") + (c.homeDrive ? c.homeDrive : "")).c_str());
        _putenv((std::string("HOMEPATH=") + (c.homePath ? c.homePath : "")).c_str());
        ASSERT_EQ(getenv("HOMEDRIVE") == NULL, c.homeDrive == NULL);
        folderChoice.folder[0] = '\0';
        defaultFromEnvironment(&folderChoice);
        EXPECT_STREQ(folderChoice.folder, c.folder);
        EXPECT_EQ(currentFolder(), "C:\\");  // nothing entered
    }
    // An existing Program Files folder of the product is taken first, and entered.
    ASSERT_TRUE(CreateDirectoryA("C:\\Program Files\\Velmorant", NULL));
    _putenv("HOMEDRIVE=D:");
    _putenv("HOMEPATH=\\Users\\Ann");
    defaultFromEnvironment(&folderChoice);
    EXPECT_STREQ(folderChoice.folder, "C:\\Program Files\\Velmorant");
    EXPECT_EQ(currentFolder(), "C:\\Program Files\\Velmorant");
}

TEST(FolderDialog, ShowsTheFolderSplitWithOkFocused)
{
    struct Case {
        const char *folder;
        const char *parent;
        const char *application;
    } cases[] = {
        {"D:\\Data", "D:", "Data"},
        {"C:\\Program Files\\Velmorant", "C:\\Program Files", "Velmorant"},
        {"Velmorant", "Velmorant", ""},
    };
    for (const Case &c : cases) {
        snprintf(folderChoice.folder, sizeof folderChoice.folder, "%s", c.folder);
        UiThread ui;
        startDialog(ui);
        HWND dialog = waitForDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        EXPECT_EQ(controlText(dialog, parentField), c.parent);
        EXPECT_EQ(controlText(dialog, applicationField), c.application);
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &thread);
        EXPECT_EQ(thread.hwndFocus, GetDlgItem(dialog, IDOK));
        // The user cannot type more than OK reads back.
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, parentField), EM_GETLIMITTEXT, 0, 0), 259);
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, applicationField), EM_GETLIMITTEXT, 0, 0), 259);
        pressButton(dialog, IDCANCEL);
        ASSERT_TRUE(ui.finished());
        EXPECT_EQ(ui.result, 0);
    }
}

TEST(FolderDialog, OkComposesAndCreates)
{
    std::string base = scratchFolder("compose");
    SetCurrentDirectoryA("C:\\velmorant-tests");
    RemoveDirectoryA("C:\\RootFolderVelmorant");
    struct Case {
        std::string parent;
        const char *application;
        std::string folder;
    } cases[] = {
        {"C:/velmorant-tests/compose/", "Velmorant", base + "\\Velmorant"},
        // Now existing, and named for the product: taken without a question.
        {base, "Velmorant", base + "\\Velmorant"},
        {base, "MyVelmorant", base + "\\MyVelmorant"},
        // An empty parent is the root of the current drive.
        {"", "RootFolderVelmorant", "\\RootFolderVelmorant"},
    };
    for (const Case &c : cases) {
        folderChoice.folder[0] = '\0';
        UiThread ui;
        startDialog(ui);
        HWND dialog = waitForDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        fillAndOk(dialog, c.parent.c_str(), c.application);
        ASSERT_TRUE(ui.finished(5000)) << "dialog still open for " << c.folder;
        EXPECT_EQ(ui.result, 1);
        EXPECT_EQ(std::string(folderChoice.folder), c.folder);
        EXPECT_TRUE(folderExists(c.folder)) << c.folder;
    }
    EXPECT_TRUE(folderExists("C:\\RootFolderVelmorant"));
    RemoveDirectoryA("C:\\RootFolderVelmorant");
}

TEST(FolderDialog, ExistingFoldersAndFiles)
{
    std::string base = scratchFolder("existing");
    ASSERT_TRUE(CreateDirectoryA((base + "\\velmorant").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((base + "\\Data").c_str(), NULL));
    ASSERT_TRUE(writeFile(base + "\\notes.txt", "notes"));
    strcpy(folderChoice.folder, "D:\\Data");
    UiThread ui;
    startDialog(ui);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);

    // A file is no folder.
    fillAndOk(dialog, base.c_str(), "notes.txt");
    Box file = seeBox("Please Enter a Folder Name");
    EXPECT_EQ(file.text, fileText);
    EXPECT_EQ(file.style, (unsigned)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(file.owner, dialog);
    answer(file, IDOK);
    expectStillOpen(ui, dialog);

    // Nothing there and no parent to make it in.
    fillAndOk(dialog, (base + "\\missing").c_str(), "Velmorant");
    Box create = seeBox("Can't Create Directory");
    EXPECT_EQ(create.text, cannotCreateText);
    EXPECT_EQ(create.style, (unsigned)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(create.owner, dialog);
    answer(create, IDOK);
    expectStillOpen(ui, dialog);
    EXPECT_FALSE(folderExists(base + "\\missing"));

    // An existing folder not named for the product: No keeps the dialog open.
    fillAndOk(dialog, base.c_str(), "Data");
    Box question = seeBox("Write Data to Existing Folder?");
    EXPECT_EQ(question.text, existingFolderText);
    EXPECT_EQ(question.style, (unsigned)MB_YESNO);
    EXPECT_EQ(question.owner, dialog);
    answer(question, IDNO);
    expectStillOpen(ui, dialog);

    // The same with an empty Application Folder field: the parent itself, found as a folder
    // although the composed path ends in a separator.
    fillAndOk(dialog, base.c_str(), "");
    Box parentQuestion = seeBox("Write Data to Existing Folder?");
    EXPECT_EQ(parentQuestion.text, existingFolderText);
    answer(parentQuestion, IDNO);
    expectStillOpen(ui, dialog);

    // Named for the product in any case: no question.
    fillAndOk(dialog, base.c_str(), "velmorant");
    ASSERT_TRUE(ui.finished(5000)) << "a question was asked for " << base << "\\velmorant";
    EXPECT_EQ(ui.result, 1);
    EXPECT_EQ(std::string(folderChoice.folder), base + "\\velmorant");

    // Yes takes the folder that is not named for the product.
    UiThread again;
    startDialog(again);
    dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    fillAndOk(dialog, base.c_str(), "Data");
    answer(seeBox("Write Data to Existing Folder?"), IDYES);
    ASSERT_TRUE(again.finished());
    EXPECT_EQ(again.result, 1);
    EXPECT_EQ(std::string(folderChoice.folder), base + "\\Data");
}

// A data folder that is a link, and one below a folder every user may change, bring one
// question before anything is made; an existing folder not named for the product there gets
// one question that says both. Wine shows a Unix link to a folder as a reparse point, and
// keeps an Everyone write entry as the "other" write bit.
TEST(FolderDialog, LinkedFolderAndOpenParentAreQuestioned)
{
    std::string base = scratchFolder("judged");
    ASSERT_TRUE(CreateDirectoryA((base + "\\target").c_str(), NULL));
    ASSERT_TRUE(makeUnixLink(base + "\\Velmorant", base + "\\target"));
    std::string shared = base + "\\shared";
    ASSERT_TRUE(CreateDirectoryA(shared.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((shared + "\\Data").c_str(), NULL));
    ASSERT_TRUE(allowEveryoneToChange(shared));
    struct Case {
        std::string parent;
        const char *application;
        const char *text;
    } cases[] = {
        {base, "Velmorant", openToOthersText},
        {shared, "Velmorant", openToOthersText},
        {shared, "Data", existingAndOpenText},
    };
    UiThread ui;
    startDialog(ui);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    for (const Case &c : cases) {
        fillAndOk(dialog, c.parent.c_str(), c.application);
        Box question = seeBox("Folder Open to Other Users");
        EXPECT_EQ(question.text, c.text) << c.parent << "\\" << c.application;
        EXPECT_EQ(question.style, (unsigned)MB_YESNO);
        EXPECT_EQ(question.owner, dialog);
        answer(question, IDNO);
        EXPECT_EQ(waitForWindow("Write Data to Existing Folder?", 300, GetCurrentProcessId()),
                  (HWND)NULL);
        expectStillOpen(ui, dialog);
    }
    EXPECT_FALSE(folderExists(shared + "\\Velmorant")) << "made before the answer";
    // Yes makes it, and holds it.
    fillAndOk(dialog, shared.c_str(), "Velmorant");
    answer(seeBox("Folder Open to Other Users"), IDYES);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 1);
    EXPECT_TRUE(folderExists(shared + "\\Velmorant"));
    EXPECT_NE(folderChoice.heldFolder, (HANDLE)NULL);
}

// A field set past its limit (only a program can do that) is not read cut short.
TEST(FolderDialog, OverlongFieldIsNotCut)
{
    std::string base = scratchFolder("overlong");
    snprintf(folderChoice.folder, sizeof folderChoice.folder, "%s\\Velmorant", base.c_str());
    UiThread ui;
    startDialog(ui);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    std::string longParent = base + "\\" + repeated('p', 300);
    fillAndOk(dialog, longParent.c_str(), "Velmorant");
    expectStillOpen(ui, dialog);
    EXPECT_TRUE(windowTitles(GetCurrentProcessId()) == std::vector<std::string>{"Choose a Folder"});
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "\\*p*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a folder was made from the cut field";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    fillAndOk(dialog, base.c_str(), "Velmorant");
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 1);
}

TEST(FolderDialog, BrowseSetsTheParentOnly)
{
    std::string base = scratchFolder("browse");
    snprintf(folderChoice.folder, sizeof folderChoice.folder, "C:\\Program Files\\Velmorant");
    UiThread ui;
    startDialog(ui);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    setControlText(dialog, applicationField, "MyVelmorant");

    // Finds the folder browser: the window the dialog owns.
    auto waitForBrowser = [&]() -> HWND {
        for (int waited = 0; waited < 10000; waited += 50) {
            HWND found = NULL;
            for (HWND w = GetTopWindow(NULL); w != NULL; w = GetWindow(w, GW_HWNDNEXT))
                if (GetWindow(w, GW_OWNER) == dialog && IsWindowVisible(w))
                    found = w;
            if (found != NULL)
                return found;
            Sleep(50);
        }
        return NULL;
    };
    auto hasText = [](HWND window, const char *wanted) {
        for (HWND c = GetWindow(window, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
            if (windowText(c) == wanted)
                return true;
        return false;
    };

    pressButton(dialog, browseButton);
    HWND browser = waitForBrowser();
    ASSERT_NE(browser, (HWND)NULL);
    EXPECT_TRUE(hasText(browser, "Select a Folder"));
    // The browser sets its own first selection once its tree is filled: select until the
    // tree shows ours.
    HWND tree = FindWindowExA(browser, NULL, "SysTreeView32", NULL);
    ASSERT_NE(tree, (HWND)NULL);
    auto selectedName = [tree]() -> std::string {
        char name[MAX_PATH] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = name;
        item.cchTextMax = sizeof name;
        if (item.hItem != NULL)
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return name;
    };
    for (int tries = 0; tries < 50 && selectedName() != "browse"; ++tries) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(base.c_str()));
        Sleep(100);
    }
    ASSERT_EQ(selectedName(), "browse");
    pressButton(browser, IDOK);
    ASSERT_TRUE(waitForWindowGone(browser));
    EXPECT_EQ(controlText(dialog, parentField), base);
    EXPECT_EQ(controlText(dialog, applicationField), "MyVelmorant");
    EXPECT_FALSE(ui.done);

    // Cancelled browsing changes nothing.
    setControlText(dialog, parentField, "C:\\Elsewhere");
    pressButton(dialog, browseButton);
    browser = waitForBrowser();
    ASSERT_NE(browser, (HWND)NULL);
    pressButton(browser, IDCANCEL);
    ASSERT_TRUE(waitForWindowGone(browser));
    EXPECT_EQ(controlText(dialog, parentField), "C:\\Elsewhere");
    EXPECT_FALSE(ui.done);
    pressButton(dialog, IDCANCEL);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 0);
}

TEST(FolderChoice, CancelGivesShuttingDown)
{
    UiThread ui;
    startChooser(ui, 1);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, parentField), "C:\\Program Files");
    EXPECT_EQ(controlText(dialog, applicationField), "Velmorant");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), ui.owner.load());
    pressButton(dialog, IDCANCEL);
    Box box = seeBox("Shutting Down");
    EXPECT_EQ(box.text, shuttingDownText);
    EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(box.owner, ui.owner.load());
    answer(box, IDOK);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 0);
    EXPECT_EQ(iniValue(), "<missing>");
    EXPECT_FALSE(fileExists(windowsFolder() + "\\velmorant.ini"));
    EXPECT_FALSE(folderExists("C:\\Program Files\\Velmorant"));
}

// A dialog that cannot be made is no accepted folder.
TEST(FolderChoice, DialogThatCannotBeShownIsCancel)
{
    UiThread ui;
    startChooser(ui, 1, GetModuleHandleA("kernel32.dll"));  // holds no folder dialog
    Box box = seeBox("Shutting Down");
    EXPECT_EQ(box.text, shuttingDownText);
    answer(box, IDOK);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 0);
    EXPECT_EQ(iniValue(), "<missing>");
}

TEST(FolderChoice, AcceptedFolderIsEntered)
{
    std::string base = scratchFolder("accepted");
    UiThread ui;
    startChooser(ui, 1);
    FolderDialogSeen seen = chooseFolderInDialog(GetCurrentProcessId(), (base + "/").c_str(),
                                                 "Velmorant");
    ASSERT_NE(seen.dialog, (HWND)NULL);
    EXPECT_EQ(seen.parent, "C:\\Program Files");
    EXPECT_EQ(seen.application, "Velmorant");
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 1);
    std::string folder = base + "\\Velmorant";
    EXPECT_EQ(std::string(folderChoice.folder), folder);
    EXPECT_TRUE(folderExists(folder));
    EXPECT_EQ(madeWith, protectedList);
    EXPECT_NE(folderChoice.heldFolder, (HANDLE)NULL);
    EXPECT_EQ(currentFolder(), folder);
}

TEST(FolderChoice, StoredFolderWinsAndIsMadeOnlyAfterOk)
{
    scratchFolder("stored");
    setIni("C:/velmorant-tests//stored\\Velmorant");
    UiThread ui;
    startChooser(ui, 1);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, parentField), "C:\\velmorant-tests\\stored");
    EXPECT_EQ(controlText(dialog, applicationField), "Velmorant");
    EXPECT_FALSE(folderExists("C:\\velmorant-tests\\stored\\Velmorant"));
    pressButton(dialog, IDOK);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 1);
    EXPECT_TRUE(folderExists("C:\\velmorant-tests\\stored\\Velmorant"));
    EXPECT_EQ(currentFolder(), "C:\\velmorant-tests\\stored\\Velmorant");
    EXPECT_EQ(std::string(folderChoice.folder), "C:\\velmorant-tests\\stored\\Velmorant");
}

// A stored folder the dialog could not show whole is passed over for the default.
TEST(FolderChoice, OverlongStoredFolderIsNotUsed)
{
    std::string lengths[] = {"C:\\" + repeated('s', 257), "C:\\" + repeated('s', 300),
                             "C:\\" + repeated('s', 1500)};
    for (const std::string &stored : lengths) {
        setIni(stored.c_str());
        ASSERT_EQ(iniValue(), stored);
        UiThread ui;
        startChooser(ui, 1);
        HWND dialog = waitForDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        EXPECT_EQ(controlText(dialog, parentField), "C:\\Program Files") << stored.size();
        EXPECT_EQ(controlText(dialog, applicationField), "Velmorant") << stored.size();
        pressButton(dialog, IDCANCEL);
        answer(seeBox("Shutting Down"), IDOK);
        ASSERT_TRUE(ui.finished());
        EXPECT_EQ(iniValue(), stored);  // not rewritten
    }
    // The longest the fields hold is used.
    std::string longest = "C:\\" + repeated('s', 256);
    setIni(longest.c_str());
    UiThread ui;
    startChooser(ui, 1);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, parentField), "C:");
    EXPECT_EQ(controlText(dialog, applicationField), repeated('s', 256));
    pressButton(dialog, IDCANCEL);
    answer(seeBox("Shutting Down"), IDOK);
    ASSERT_TRUE(ui.finished());
}

// The Windows directory in any letter case and with a separator at its end.
TEST(FolderChoice, WindowsDirectoryIsRefusedInAnyForm)
{
    ASSERT_EQ(windowsFolder(), "C:\\windows");
    UiThread ui;
    startChooser(ui, 1);
    const char *forms[][2] = {{"C:", "windows"}, {"c:", "WINDOWS\\"}};
    for (const auto &form : forms) {
        HWND dialog = waitForDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        fillAndOk(dialog, form[0], form[1]);
        answer(seeBox("Write Data to Existing Folder?"), IDYES);
        Box refused = seeBox("Can't Install to Windows Directory");
        EXPECT_EQ(refused.text, windowsDirectoryText);
        EXPECT_EQ(refused.style, (unsigned)(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(refused.owner, ui.owner.load());
        answer(refused, IDOK);
    }
    // The dialog opens again on the refused folder; no other message came between.
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(waitForWindow("Couldn't Access Directory", 0, GetCurrentProcessId()), (HWND)NULL);
    EXPECT_EQ(controlText(dialog, parentField), "c:\\WINDOWS");
    EXPECT_EQ(controlText(dialog, applicationField), "");
    pressButton(dialog, IDCANCEL);
    answer(seeBox("Shutting Down"), IDOK);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 0);
}

// Relative and root-relative folders come back in full, from the current directory.
TEST(FolderChoice, RelativeFoldersAreMadeAbsolute)
{
    std::string base = scratchFolder("relative");
    RemoveDirectoryA("C:\\RootRelativeVelmorant");
    struct {
        const char *parent;
        const char *application;
        std::string folder;
    } cases[] = {
        {".", "Velmorant", base + "\\Velmorant"},
        {"", "RootRelativeVelmorant", "C:\\RootRelativeVelmorant"},
    };
    for (const auto &c : cases) {
        SetCurrentDirectoryA(base.c_str());
        UiThread ui;
        startChooser(ui, 1);
        chooseFolderInDialog(GetCurrentProcessId(), c.parent, c.application);
        ASSERT_TRUE(ui.finished());
        EXPECT_EQ(ui.result, 1);
        EXPECT_EQ(std::string(folderChoice.folder), c.folder);
        EXPECT_EQ(currentFolder(), c.folder);
    }
    RemoveDirectoryA("C:\\RootRelativeVelmorant");
}

// A folder that exists but cannot be entered: the build prepares "noaccess\Velmorant" without
// any permissions, which Wine's server (running without root's override) respects. Its list
// cannot be read either, which brings the question first.
TEST(FolderChoice, FolderThatCannotBeEnteredIsChosenAgain)
{
    std::string parent = buildFile("tests/folder/noaccess");
    ASSERT_TRUE(folderExists(parent + "\\Velmorant"));
    UiThread ui;
    startChooser(ui, 1);
    FolderDialogSeen seen = chooseFolderInDialog(GetCurrentProcessId(), parent.c_str(),
                                                 "Velmorant");
    ASSERT_NE(seen.dialog, (HWND)NULL);
    answer(seeBox("Folder Open to Other Users"), IDYES);
    Box box = seeBox("Couldn't Access Directory");
    EXPECT_EQ(box.text, noAccessText);
    EXPECT_EQ(box.style, (unsigned)(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(box.owner, ui.owner.load());
    answer(box, IDOK);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(controlText(dialog, parentField), parent);
    pressButton(dialog, IDCANCEL);
    answer(seeBox("Shutting Down"), IDOK);
    ASSERT_TRUE(ui.finished());
    EXPECT_EQ(ui.result, 0);
    EXPECT_EQ(iniValue(), "<missing>");
}

TEST(FolderChoice, WithoutAlwaysAskAnExistingFolderIsTakenAtOnce)
{
    std::string base = scratchFolder("atonce");
    setIni((base + "\\Velmorant").c_str());
    ASSERT_TRUE(CreateDirectoryA((base + "\\Velmorant").c_str(), NULL));
    UiThread ui;
    startChooser(ui, 0);
    ASSERT_TRUE(ui.finished(5000)) << "a dialog was shown for an existing folder";
    EXPECT_EQ(ui.result, 1);
    EXPECT_EQ(currentFolder(), base + "\\Velmorant");

    // A missing one is not made before the user has seen it.
    setIni((base + "\\Later").c_str());
    UiThread later;
    startChooser(later, 0);
    HWND dialog = waitForDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_FALSE(folderExists(base + "\\Later"));
    pressButton(dialog, IDCANCEL);
    answer(seeBox("Shutting Down"), IDOK);
    ASSERT_TRUE(later.finished());
    EXPECT_EQ(later.result, 0);
    EXPECT_FALSE(folderExists(base + "\\Later"));
}

// A "shfolder.dll" beside a program: the probe beside such a DLL shows that a bare-name load
// takes it, and that the folder choice does not.
TEST(PlantedLibrary, IsNotLoaded)
{
    // Wine prefers its own copy of the library unless told otherwise; Windows takes the one
    // in the program's folder. This makes Wine behave like Windows for the probe.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER,
                              "Software\\Wine\\AppDefaults\\plantedProbe.exe\\DllOverrides", 0,
                              NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, "shfolder", 0, REG_SZ, reinterpret_cast<const BYTE *>("native,builtin"),
                   15);
    RegCloseKey(key);
    std::string probe = "\"" + buildFile("tests/folder/planted/plantedProbe.exe") + "\"";
    ASSERT_TRUE(fileExists(buildFile("tests/folder/planted/shfolder.dll")));
    struct Case {
        const char *mode;
        long result;  // 1: the planted DLL ran
    } cases[] = {{"bare", 1}, {"choice", 0}};
    for (const Case &c : cases) {
        ProcessRun run;
        ASSERT_TRUE(run.start(probe + " " + c.mode));
        EXPECT_EQ(run.wait(20000), c.result) << c.mode;
    }
}
