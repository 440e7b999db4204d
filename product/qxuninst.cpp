// PLACEHOLDER uninstaller until the real one is built: it says what it is and removes nothing.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(NULL,
                "This is the Velmorant uninstaller of a development build. It does not remove "
                "anything yet: delete the Velmorant folder and its Start-menu group by hand.",
                "Velmorant Uninstall", MB_OK | MB_ICONINFORMATION);
    return 0;
}
