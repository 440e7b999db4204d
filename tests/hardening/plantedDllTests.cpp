// A DLL of a common name placed beside the program (as in a downloads folder) is not loaded
// once the search is restricted; without the restriction it is, which shows the test works.
#include <gtest/gtest.h>

#include <string>

#include "support/processRun.h"
#include "support/testPaths.h"

namespace {

// Copies the probe and a planted DLL of the given name into one folder, runs the probe and
// tells whether the DLL left its mark.
bool plantedDllLoaded(const std::string &dllName, bool restricted)
{
    std::string folder = scratchFolder("downloads");
    RemoveDirectoryA("C:\\velmorant-tests\\marks");
    DeleteFileA(("C:\\velmorant-tests\\marks\\" + dllName + ".loaded").c_str());
    EXPECT_TRUE(CopyFileA(buildFile("tests/hardening/dllSearchProbe.exe").c_str(),
                          (folder + "\\probe.exe").c_str(), FALSE));
    EXPECT_TRUE(CopyFileA(buildFile("tests/hardening/planted.dll").c_str(),
                          (folder + "\\" + dllName).c_str(), FALSE));
    ProcessRun run;
    std::string command = "\"" + folder + "\\probe.exe\" " + (restricted ? "restricted " : "") + dllName;
    EXPECT_TRUE(run.start(command, "C:\\"));
    long code = run.wait();
    bool marked = fileExists("C:\\velmorant-tests\\marks\\" + dllName + ".loaded");
    EXPECT_EQ(code == 1, marked) << "the probe's report and the mark disagree";
    return marked;
}

}  // namespace

TEST(PlantedDll, LoadedWithoutTheRestrictionNotWithIt)
{
    // A name no system DLL has: found only beside the program.
    EXPECT_TRUE(plantedDllLoaded("velmorant-planted.dll", false));
    EXPECT_FALSE(plantedDllLoaded("velmorant-planted.dll", true));
}
