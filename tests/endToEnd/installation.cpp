#include "installation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sys/stat.h>
#include <sys/utime.h>

#include <functional>

#include "support/folderDialogDriver.h"
#include "support/shellLinks.h"
#include "support/testPaths.h"
#include "support/windowDriver.h"

const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant";
const char closeCopiesTitle[] = "Close Running Copies First!";
const char doneTitle[] = "Installation Successful";
const char failedTitle[] = "Velmorant Installation Failed";
const char defaultFolder[] = "C:\\Program Files\\Velmorant";

std::string quoted(const std::string &path)
{
    return "\"" + path + "\"";
}

void startAndAccept(ProcessRun &run, const char *program)
{
    ASSERT_TRUE(run.start(quoted(buildFile(program)))) << "error " << run.startError;
    walk(run.processId(), {{"END USER LICENSE AGREEMENT", IDOK, NULL}}, 30000);
}

void installWithDefaults(const char *program)
{
    ProcessRun run;
    startAndAccept(run, program);
    chooseFolderInDialog(run.processId(), NULL, NULL);
    walk(run.processId(), {{closeCopiesTitle, IDOK, NULL}, {doneTitle, IDNO, NULL}});
    EXPECT_EQ(run.wait(), 0);
}

void expectInstalledIn(const std::string &folder)
{
    expectFilesInstalled(folder, {
        {"velmorant.exe", buildFile("product/velmorant.exe"), 1087915477},
        {"velmorant.exe.manifest", sourceFile("product/velmorant.exe.manifest"), 1081208669},
        {"qxuninst.exe", buildFile("uninstall/qxuninst.exe"), 1091219033},
    });
    std::string group = programsFolder() + "\\Velmorant";
    struct Link {
        const char *file;
        const char *target;
    } links[] = {{"Velmorant.lnk", "velmorant.exe"}, {"Uninstall.lnk", "qxuninst.exe"}};
    for (const Link &link : links) {
        SCOPED_TRACE(link.file);
        ShellLinkSeen seen = readShellLink(group + "\\" + link.file);
        ASSERT_TRUE(seen.loaded);
        EXPECT_EQ(seen.target, folder + "\\" + link.target);
        EXPECT_EQ(seen.workingDirectory, folder);
        EXPECT_EQ(seen.arguments, "");
        EXPECT_EQ(seen.showCommand, 1u);
    }
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "Velmorant");
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayVersion"), VELMORANT_VERSION);
    EXPECT_EQ(machineRegistryText(uninstallKey, "UninstallString"), "\"" + folder + "\\qxuninst.exe\"");
    EXPECT_EQ(iniText("velmorant.ini", "Options", "dataDir"), folder);
}

void expectNothingRegistered()
{
    EXPECT_EQ(machineRegistryText(uninstallKey, "DisplayName"), "<missing>");
    EXPECT_FALSE(folderExists(programsFolder() + "\\Velmorant"));
}

std::vector<std::string> installationState(const std::string &folder)
{
    std::vector<std::string> state;
    for (const std::string &name : matchingNames(folder + "\\*", true)) {
        std::string path = folder + "\\" + name;
        long long time = modificationTime(path);  // before the read moves the access time
        std::string content = readFile(path);
        state.push_back(name + " " + std::to_string(time) + " " + std::to_string(content.size()) +
                        " " + std::to_string(std::hash<std::string>()(content)));
    }
    for (const char *link : {"Velmorant.lnk", "Uninstall.lnk"})
        state.push_back(std::string(link) + " -> " +
                        readShellLink(programsFolder() + "\\Velmorant\\" + link).target);
    state.push_back("key " + machineRegistryText(uninstallKey, "DisplayName") + " " +
                    machineRegistryText(uninstallKey, "UninstallString"));
    state.push_back("ini " + iniText("velmorant.ini", "Options", "dataDir"));
    return state;
}

void stampFiles(const std::string &folder, long long time)
{
    for (const std::string &name : matchingNames(folder + "\\*", true)) {
        struct __utimbuf64 times = {time, time};
        EXPECT_EQ(_utime64((folder + "\\" + name).c_str(), &times), 0) << name;
    }
}
