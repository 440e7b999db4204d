// Asks running copies of the product to close before their files are replaced. Messages are
// posted, never sent: a copy that hangs must not hang the setup, which only waits a fixed time.
#include "runningCopies.h"

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "ui/pauseAnimation.h"
#include "core/windowTitles.h"

void closeRunningCopies(HINSTANCE, HWND owner)
{
    char notice[TEXT_BUFFER_SIZE];
    if (!buildCloseNotice(notice, sizeof notice, installerSettings.productName))
        copyText(notice, sizeof notice, "Any copies of the program currently running must now "
                                        "be shut down. This may take a few seconds.");
    MessageBoxA(owner, notice, "Closing Running Copies", MB_OK | MB_ICONWARNING);
    pauseWithAnimation(2000);
    EnumWindows(closeCopyWindow, 0);
    pauseWithAnimation(8000);  // time for the copies to exit
}

BOOL CALLBACK closeCopyWindow(HWND window, LPARAM)
{
    char title[TEXT_BUFFER_SIZE];
    if (GetWindowTextA(window, title, sizeof title) <= 0)
        title[0] = '\0';
    switch (copyWindowRequest(title, installerSettings.productName,
                              installerSettings.serviceName)) {
    case COPY_WINDOW_CLOSE:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case COPY_WINDOW_QUIT:
        PostMessageA(window, WM_QUIT, 0, 0);
        break;
    case COPY_WINDOW_LEAVE:
        break;
    }
    return TRUE;  // every top-level window is visited
}
