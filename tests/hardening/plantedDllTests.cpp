// DLLs placed beside a program (as in a downloads folder) are not loaded once the search is
// restricted; without the restriction they are, which shows the tests can fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/plantedDlls.h"
#include "support/processRun.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

namespace {

// The system names a program may load late by their bare names.
const std::vector<std::string> systemNames = {"shfolder.dll", "version.dll", "uxtheme.dll",
                                              "dwmapi.dll", "cryptbase.dll"};

bool marked(const std::string &dllName)
{
    return !loadedPlants({dllName}).empty();
}

// A downloads folder holding the program exeFile (a file of the build tree) as exeName and
// planted DLLs of the given names.
std::string downloadsWith(const std::string &exeFile, const std::string &exeName,
                          const std::vector<std::string> &dlls)
{
    clearPlantMarks();
    std::string folder = scratchFolder("downloads");
    EXPECT_TRUE(CopyFileA(buildFile(exeFile).c_str(), (folder + "\\" + exeName).c_str(), FALSE));
    EXPECT_TRUE(plantDlls(folder, dlls));
    return folder;
}

// Runs the probe, which loads dllName by its bare name; tells whether the planted DLL left
// its mark.
bool probeLoads(const std::string &dllName, bool restricted)
{
    std::string folder = downloadsWith("tests/hardening/dllSearchProbe.exe", "probe.exe", {dllName});
    ProcessRun run;
    std::string command = "\"" + folder + "\\probe.exe\" " + (restricted ? "restricted " : "") + dllName;
    EXPECT_TRUE(run.start(command, "C:\\"));
    long code = run.wait();
    EXPECT_TRUE(code == 0 || code == 1) << code;
    return marked(dllName);
}

// A whole run of a setup program copied into the downloads folder beside the planted DLLs,
// answered as a user would; returns the DLLs that left their mark.
std::vector<std::string> wholeRunLoads(const std::string &exeFile)
{
    std::string folder = downloadsWith(exeFile, "setup.exe", wholeRunDllNames);
    ProcessRun run;
    EXPECT_TRUE(run.start("\"" + folder + "\\setup.exe\"", folder.c_str()));
    HWND agreement = waitForWindow("END USER LICENSE AGREEMENT", 30000, run.processId());
    EXPECT_NE(agreement, (HWND)NULL);
    pressButton(agreement, IDOK);
    answerBox("Choose a Folder", IDOK, 30000, run.processId());
    answerBox("Close Running Copies First!", IDOK, 30000, run.processId());
    SeenBox done = answerBox("Installation Successful", IDNO, 60000, run.processId());
    EXPECT_FALSE(done.title.empty()) << "the run did not reach its end";
    EXPECT_EQ(run.wait(), 0);
    return loadedPlants(wholeRunDllNames);
}

}  // namespace

TEST(PlantedDll, UnusualNameLoadedWithoutTheRestrictionNotWithIt)
{
    // A name no system DLL has: found only beside the program.
    EXPECT_TRUE(probeLoads("velmorant-planted.dll", false));
    EXPECT_FALSE(probeLoads("velmorant-planted.dll", true));
}

// With native copies preferred, a bare-name load takes the planted system names too, unless
// the search is restricted.
TEST(PlantedDll, SystemNamesLoadedWithoutTheRestrictionNotWithIt)
{
    preferNativeCopies("probe.exe", systemNames);
    for (const std::string &dll : systemNames) {
        SCOPED_TRACE(dll);
        EXPECT_TRUE(probeLoads(dll, false));
        EXPECT_FALSE(probeLoads(dll, true));
    }
}

// The setup program itself, run from a folder full of planted system DLLs: none is loaded.
TEST(PlantedDll, WholeRunLoadsNone)
{
    preferNativeCopies("setup.exe", wholeRunDllNames);
    EXPECT_EQ(wholeRunLoads("setup.exe"), std::vector<std::string>());
}

// The same run without the restriction: what it loads shows that the run above could fail.
TEST(PlantedDll, WholeRunWithoutTheRestrictionLoadsSome)
{
    preferNativeCopies("setup.exe", wholeRunDllNames);
    std::vector<std::string> loaded = wholeRunLoads("tests/hardening/setupUnprotected.exe");
    EXPECT_FALSE(loaded.empty());
    ::testing::Test::RecordProperty("loaded", ::testing::PrintToString(loaded));
    printf("unprotected run loaded: %s\n", ::testing::PrintToString(loaded).c_str());
}
