// The example product's whole run: its setup program, built from examples/quillmere, installs
// and its uninstaller removes it, each showing and leaving the example's names and texts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/resourceIds.h"
#include "support/folderDialogDriver.h"
#include "support/processRun.h"
#include "support/shellLinks.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

const char product[] = "Quillmere Atlas";
const char folder[] = "C:\\Program Files\\Quillmere";
const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmere Atlas";

// The text of a box, which names the example and never the shipping product.
void expectNamesTheExample(const SeenBox &box)
{
    EXPECT_NE(box.text.find(product), std::string::npos) << box.title << ": " << box.text;
    EXPECT_EQ(box.text.find("Velmorant"), std::string::npos) << box.title << ": " << box.text;
}

// The licence file as the agreement dialog shows it: every line ended by CR CR LF.
std::string shownLicence()
{
    std::string shown;
    for (char c : readFile(sourceFile("examples/quillmere/licence.txt")))
        shown += c == '\n' ? std::string("\r\r\n") : std::string(1, c);
    return shown;
}

}  // namespace

TEST(Example, InstallsAndUninstallsAsItsOwnProduct)
{
    ProcessRun setup;
    ASSERT_TRUE(setup.start("\"" + buildFile("tests/example/setupExample.exe") + "\""));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, setup.processId());
    ASSERT_NE(agreement, (HWND)NULL);
    EXPECT_NE(waitForWindow("Install Quillmere Atlas", 5000, setup.processId()), (HWND)NULL);
    EXPECT_TRUE(controlText(agreement, IDC_AGREEMENT_TEXT) == shownLicence())
        << controlText(agreement, IDC_AGREEMENT_TEXT);
    pressButton(agreement, IDOK);
    FolderDialogSeen proposed = chooseFolderInDialog(setup.processId(), NULL, NULL);
    EXPECT_EQ(proposed.parent + "\\" + proposed.application, folder);
    expectNamesTheExample(answerBox("Close Running Copies First!", IDOK, 30000, setup.processId()));
    SeenBox startup = answerBox("Add To Startup Group", IDYES, 60000, setup.processId());
    EXPECT_EQ(startup.text, "Open Quillmere Atlas in the tray whenever Windows starts?");
    expectNamesTheExample(answerBox("Installation Successful", IDNO, 60000, setup.processId()));
    ASSERT_EQ(setup.wait(), 0);

    // The files in their nested folders, with the times the product file gives.
    expectFilesInstalled(folder, {
        {"atlas.exe", buildFile("tests/sequence/recorder.exe"), 1614834367},
        {"nqlopsv.exe", buildFile("tests/sequence/recorder.exe"), 1614834367},
        {"maps\\readme.txt", sourceFile("examples/quillmere/files/maps/readme.txt"), 1614834367},
        {"maps\\europe\\alps.txt", sourceFile("examples/quillmere/files/maps/europe/alps.txt"), 1262304000},
        {"docs\\guide\\start.txt", sourceFile("examples/quillmere/files/docs/guide/start.txt"), 1614834367},
        {"qxuninst.exe", buildFile("tests/example/setupExampleUninstaller/qxuninst.exe"), 1614834367},
    });
    // The registration, the shortcuts and the INI value under the example's names.
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), product);
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayVersion"), EXAMPLE_VERSION);
    EXPECT_EQ(machineRegistryText(uninstallKey, "UninstallString"),
              "\"" + std::string(folder) + "\\qxuninst.exe\"");
    EXPECT_EQ(iniText("quillmere.ini", "Options", "dataDir"), folder);
    std::string group = programsFolder() + "\\Quillmere";
    EXPECT_EQ(readShellLink(group + "\\Quillmere Atlas.lnk").target, std::string(folder) + "\\atlas.exe");
    std::string uninstallLink = readShellLink(group + "\\Uninstall.lnk").target;
    EXPECT_EQ(uninstallLink, std::string(folder) + "\\qxuninst.exe");
    ShellLinkSeen tray = readShellLink(startupFolder() + "\\Quillmere Tray.lnk");
    EXPECT_EQ(tray.target, std::string(folder) + "\\atlas.exe");
    EXPECT_EQ(tray.arguments, "-tray");
    // The startup entry started the program, through the desktop's shell as the run is
    // elevated, and the companion step ran nqlopsv.exe. The shell's start is not waited for.
    const char started[] = "atlas.exe|\"C:\\Program Files\\Quillmere\\atlas.exe\" -tray|";
    std::string calls = readFile("C:\\velmorant-tests\\calls.log");
    for (int waited = 0; waited < 10000 && calls.find(started) == std::string::npos; waited += 100) {
        Sleep(100);
        calls = readFile("C:\\velmorant-tests\\calls.log");
    }
    EXPECT_NE(calls.find(started), std::string::npos) << calls;
    EXPECT_NE(calls.find("nqlopsv.exe|\"C:\\Program Files\\Quillmere\\nqlopsv.exe\" -install -sid=0|"),
              std::string::npos) << calls;

    ProcessRun uninstall;
    ASSERT_TRUE(uninstall.start("\"" + uninstallLink + "\"", folder));
    expectNamesTheExample(answerBox("Uninstall Quillmere Atlas", IDYES, 30000, uninstall.processId()));
    expectNamesTheExample(answerBox("Closing Running Copies", IDOK, 30000, uninstall.processId()));
    expectNamesTheExample(answerBox("Uninstall Complete", IDOK, 60000, uninstall.processId()));
    EXPECT_EQ(uninstall.wait(), 0);
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_FALSE(folderExists(group));
    EXPECT_FALSE(fileExists(startupFolder() + "\\Quillmere Tray.lnk"));
    // The uninstaller's helper removes the uninstaller and the emptied folders after it ends.
    for (int waited = 0; waited < 20000 && folderExists(folder); waited += 100)
        Sleep(100);
    EXPECT_FALSE(folderExists(folder));
}
