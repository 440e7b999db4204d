// The desktop's shell is reached through its automation objects: the shell windows list finds
// the desktop's window, whose browser gives its view, whose background object gives the shell
// application, which starts programs in the desktop's (the signed-in user's) process.
#include "desktopStart.h"

#include <windows.h>

#include <exdisp.h>
#include <objbase.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <string.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"

namespace {

// The service that answers with the top-level browser of a shell window.
const GUID topLevelBrowserService = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

typedef BSTR(WINAPI *AllocStringCall)(const OLECHAR *text);
typedef void(WINAPI *FreeStringCall)(BSTR text);

// The automation strings, from oleaut32 in the system folder: looked up, as the setup program
// imports nothing of that library.
struct AutomationStrings {
    HMODULE library;
    AllocStringCall alloc;
    FreeStringCall free;
};

int loadAutomationStrings(AutomationStrings *strings)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    strings->library = NULL;
    if (length == 0 || length >= sizeof path || !appendText(path, sizeof path, "\\oleaut32.dll"))
        return 0;
    strings->library = LoadLibraryA(path);
    if (strings->library == NULL)
        return 0;
    FARPROC alloc = GetProcAddress(strings->library, "SysAllocString");
    FARPROC free = GetProcAddress(strings->library, "SysFreeString");
    memcpy(&strings->alloc, &alloc, sizeof strings->alloc);
    memcpy(&strings->free, &free, sizeof strings->free);
    return alloc != NULL && free != NULL;
}

// A text argument of the shell's start; vt stays VT_EMPTY when it could not be made.
void textArgument(VARIANT *argument, const AutomationStrings &strings, const WCHAR *text)
{
    memset(argument, 0, sizeof *argument);
    argument->bstrVal = strings.alloc(text);
    if (argument->bstrVal != NULL)
        argument->vt = VT_BSTR;
}

// The shell application of the desktop, or NULL. Every interface on the way is released.
IShellDispatch2 *desktopShell(CreateInstanceCall createInstance)
{
    IShellWindows *windows = NULL;
    IDispatch *desktop = NULL;
    IServiceProvider *provider = NULL;
    IShellBrowser *browser = NULL;
    IShellView *view = NULL;
    IDispatch *background = NULL;
    IShellFolderViewDual *folderView = NULL;
    IDispatch *application = NULL;
    IShellDispatch2 *shell = NULL;
    VARIANT location;
    VARIANT root;
    memset(&location, 0, sizeof location);
    memset(&root, 0, sizeof root);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    LONG window = 0;
    // Each step only when the one before gave its interface.
    if (createInstance(CLSID_ShellWindows, NULL, CLSCTX_ALL, IID_IShellWindows,
                       reinterpret_cast<void **>(&windows)) == S_OK &&
        windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              &desktop) == S_OK && desktop != NULL &&
        desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void **>(&provider)) == S_OK &&
        provider->QueryService(topLevelBrowserService, IID_IShellBrowser,
                               reinterpret_cast<void **>(&browser)) == S_OK &&
        browser->QueryActiveShellView(&view) == S_OK && view != NULL &&
        view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                            reinterpret_cast<void **>(&background)) == S_OK &&
        background->QueryInterface(IID_IShellFolderViewDual,
                                   reinterpret_cast<void **>(&folderView)) == S_OK &&
        folderView->get_Application(&application) == S_OK && application != NULL)
        application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void **>(&shell));
    IUnknown *held[] = {application, folderView, background, view, browser, provider, desktop, windows};
    for (IUnknown *one : held)
        if (one != NULL)
            one->Release();
    return shell;
}

}  // namespace

int startFromDesktop(const char *program, const char *folder, const char *arguments)
{
    return startFromDesktopWith(CoCreateInstance, program, folder, arguments);
}

int startFromDesktopWith(CreateInstanceCall createInstance, const char *program,
                         const char *folder, const char *arguments)
{
    WCHAR wideProgram[TEXT_BUFFER_SIZE];
    WCHAR wideFolder[TEXT_BUFFER_SIZE];
    WCHAR wideArguments[TEXT_BUFFER_SIZE];
    AutomationStrings strings = {NULL, NULL, NULL};
    int started = 0;
    if (MultiByteToWideChar(CP_ACP, 0, program, -1, wideProgram, TEXT_BUFFER_SIZE) == 0 ||
        MultiByteToWideChar(CP_ACP, 0, folder, -1, wideFolder, TEXT_BUFFER_SIZE) == 0 ||
        MultiByteToWideChar(CP_ACP, 0, arguments != NULL ? arguments : "", -1, wideArguments,
                            TEXT_BUFFER_SIZE) == 0 ||
        !loadAutomationStrings(&strings)) {
        if (strings.library != NULL)
            FreeLibrary(strings.library);
        return 0;
    }
    CoInitialize(NULL);
    IShellDispatch2 *shell = desktopShell(createInstance);
    if (shell != NULL) {
        BSTR file = strings.alloc(wideProgram);
        VARIANT parameters, directory, operation, show;
        textArgument(&parameters, strings, wideArguments);
        textArgument(&directory, strings, wideFolder);
        textArgument(&operation, strings, L"");  // the program's own verb: open
        memset(&show, 0, sizeof show);
        show.vt = VT_I4;
        show.lVal = SW_SHOWNORMAL;
        if (file != NULL && parameters.vt == VT_BSTR && directory.vt == VT_BSTR &&
            operation.vt == VT_BSTR)
            started = shell->ShellExecute(file, parameters, directory, operation, show) == S_OK;
        strings.free(file);
        VARIANT *texts[] = {&parameters, &directory, &operation};
        for (VARIANT *text : texts)
            if (text->vt == VT_BSTR)
                strings.free(text->bstrVal);
        shell->Release();
    }
    CoUninitialize();
    FreeLibrary(strings.library);
    return started;
}
