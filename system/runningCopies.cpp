// Asks running copies of the product to close before their files are replaced. Messages are
// posted, never sent: a copy that hangs must not hang the setup, which only waits a fixed time.
#include "runningCopies.h"

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "core/windowTitles.h"
#include "platform/pointerParam.h"

void closeRunningCopies(HWND owner, const CopyNames &names, const PauseRoutine &pause)
{
    char notice[TEXT_BUFFER_SIZE];
    if (!buildCloseNotice(notice, sizeof notice, names.productName))
        copyText(notice, sizeof notice, "Any copies of the program currently running must now "
                                        "be shut down. This may take a few seconds.");
    MessageBoxA(owner, notice, "Closing Running Copies", MB_OK | MB_ICONWARNING);
    pause.pause(pause.context, 2000);
    EnumWindows(closeCopyWindow, pointerParam(&names));
    pause.pause(pause.context, 8000);  // time for the copies to exit
}

BOOL CALLBACK closeCopyWindow(HWND window, LPARAM value)
{
    const CopyNames *names = paramPointer<const CopyNames>(value);
    char title[TEXT_BUFFER_SIZE];
    if (GetWindowTextA(window, title, sizeof title) <= 0)
        title[0] = '\0';
    switch (copyWindowRequest(title, names->productName, names->serviceName)) {
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
