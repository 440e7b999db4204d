// The setup program's own run leaves shortcuts that start the installed program.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <stdlib.h>

#include <string>

#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

TEST(WholeRun, ShortcutsStartTheInstalledProgram)
{
    ProcessRun run;
    ASSERT_TRUE(run.start("\"" + buildFile("setup.exe") + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    ASSERT_NE(chooseFolderInDialog(run.processId(), NULL, NULL).dialog, (HWND)NULL);
    answerBox("Close Running Copies First!", IDOK, 30000, run.processId());
    answerBox("Installation Successful", IDNO, 60000, run.processId());
    ASSERT_EQ(run.wait(), 0);

    const char *appData = getenv("APPDATA");
    ASSERT_NE(appData, (const char *)NULL);
    std::string group = std::string(appData) + "\\Microsoft\\Windows\\Start Menu\\Programs\\Velmorant";
    EXPECT_TRUE(fileExists(group + "\\Uninstall.lnk"));
    std::string programLink = group + "\\Velmorant.lnk";
    ASSERT_TRUE(fileExists(programLink));

    // Started the way the shell starts a link: its target, in its working folder. (Wine's
    // ShellExecute finds no association for .lnk files in the test prefix.)
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    ASSERT_GE(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void **>(&link)),
              0);
    IPersistFile *file = NULL;
    ASSERT_GE(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)), 0);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, programLink.c_str(), -1, wide, MAX_PATH);
    ASSERT_GE(file->Load(wide, STGM_READ), 0);
    char target[MAX_PATH] = "", folder[MAX_PATH] = "";
    link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, sizeof folder);
    file->Release();
    link->Release();
    CoUninitialize();
    EXPECT_STREQ(target, "C:\\Program Files\\Velmorant\\velmorant.exe");
    EXPECT_STREQ(folder, "C:\\Program Files\\Velmorant");
    ASSERT_TRUE(fileExists(target));
    ProcessRun started;
    ASSERT_TRUE(started.start(std::string("\"") + target + "\"", folder));
    HWND program = waitForWindow("Velmorant - C:\\Program Files\\Velmorant", 30000, started.processId());
    ASSERT_NE(program, (HWND)NULL);
    PostMessageA(program, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitForWindowGone(program));
    EXPECT_EQ(started.wait(), 0);
}
