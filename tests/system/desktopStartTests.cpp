// The start through the desktop's shell when there is no shell to ask: a stand-in for the
// call that reaches it gives that answer (Wine starts its desktop process on demand).
#include <gtest/gtest.h>

#include "system/desktopStart.h"

TEST(DesktopStart, WithoutADesktopShellNothingStarts)
{
    CreateInstanceCall noShell = [](REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *object) WINAPI {
        *object = NULL;
        return (HRESULT)REGDB_E_CLASSNOTREG;
    };
    EXPECT_EQ(startFromDesktopWith(noShell, "C:\\windows\\notepad.exe", "C:\\windows", NULL), 0);
}
