// The removal of an old service against Wine's real Service Control Manager, with a service
// program of our own that can take its time to stop. The printed lines are captured exactly.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "support/testPaths.h"
#include "system/serviceRemoval.h"
#include "ui/pauseAnimation.h"

namespace {

const char serviceName[] = "VelmorantOldService";

// Installs the test service with the given stop delay ("forever" for none) and, when asked,
// starts it and waits until it runs.
bool installService(const char *stopDelay, bool start)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL)
        return false;
    std::string command = "\"" + buildFile("tests/system/testService.exe") + "\" " + stopDelay;
    SC_HANDLE service = CreateServiceA(manager, serviceName, "Velmorant old service",
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), NULL, NULL, NULL, NULL, NULL);
    bool ok = service != NULL;
    if (ok && start) {
        ok = StartServiceA(service, 0, NULL) != 0;
        SERVICE_STATUS status = {};
        for (int i = 0; ok && i < 200; i++) {
            if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_RUNNING)
                break;
            Sleep(50);
        }
        ok = ok && status.dwCurrentState == SERVICE_RUNNING;
    }
    if (service != NULL)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return ok;
}

// Whether the manager still knows the service as one that is not on its way out.
bool serviceInstalled()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (manager == NULL)
        return false;
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    bool installed = false;
    if (service != NULL) {
        // Marked for deletion already: a second deletion says so.
        installed = DeleteService(service) || GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return installed;
}

struct Removal {
    int result;
    std::string printed;
    DWORD milliseconds;
};

// Runs the removal with standard output going to a file, byte for byte.
Removal removeCapturingOutput()
{
    std::string path = scratchFolder("service") + "\\printed.txt";
    fflush(stdout);
    int saved = _dup(1);
    FILE *capture = fopen(path.c_str(), "wb");
    Removal removal = {99, "", 0};
    if (capture == NULL || saved < 0) {
        ADD_FAILURE() << "cannot capture standard output";
        return removal;
    }
    _dup2(_fileno(capture), 1);
    DWORD start = GetTickCount();
    PauseAnimation noWindow = {NULL, NULL, 0};
    removal.result = removeOldService(serviceName, animatedPause(&noWindow));
    removal.milliseconds = GetTickCount() - start;
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    fclose(capture);
    removal.printed = readFile(path);
    return removal;
}

// A service that stops within the first second prints no dot; every further second of
// stopping adds one. The stop delays sit half a second away from the one-second polls.
TEST(ServiceRemoval, RunningServiceIsStoppedAndRemoved)
{
    struct Case {
        const char *stopDelay;
        const char *printed;
    };
    const Case cases[] = {
        {"0",
         "Stopping VelmorantOldService.\nVelmorantOldService stopped.\n"
         "VelmorantOldService removed.\n"},
        {"1500",
         "Stopping VelmorantOldService..\nVelmorantOldService stopped.\n"
         "VelmorantOldService removed.\n"},
        {"2500",
         "Stopping VelmorantOldService...\nVelmorantOldService stopped.\n"
         "VelmorantOldService removed.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stopDelay);
        ASSERT_TRUE(installService(c.stopDelay, true));
        Removal removal = removeCapturingOutput();
        EXPECT_EQ(removal.result, 0);
        EXPECT_EQ(removal.printed, c.printed);
        EXPECT_FALSE(serviceInstalled());
    }
}

TEST(ServiceRemoval, StoppedServiceIsRemovedWithoutStopping)
{
    ASSERT_TRUE(installService("0", false));
    Removal removal = removeCapturingOutput();
    EXPECT_EQ(removal.result, 0);
    EXPECT_EQ(removal.printed, "VelmorantOldService removed.\n");
    EXPECT_LT(removal.milliseconds, 1000u) << "waited for a service that was not running";
    EXPECT_FALSE(serviceInstalled());
}

TEST(ServiceRemoval, NoServiceIsNothingToRemove)
{
    ASSERT_FALSE(serviceInstalled());
    Removal removal = removeCapturingOutput();
    EXPECT_EQ(removal.result, 0);
    EXPECT_EQ(removal.printed, "OpenService failed\n");
}

// An earlier removal marked the service for deletion while something still holds it open:
// it cannot be deleted again, and the setup must hear of it.
TEST(ServiceRemoval, ServiceAlreadyMarkedForDeletionIsAFailure)
{
    ASSERT_TRUE(installService("0", false));
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, (SC_HANDLE)NULL);
    SC_HANDLE holder = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    ASSERT_NE(holder, (SC_HANDLE)NULL);
    ASSERT_TRUE(DeleteService(holder));
    Removal removal = removeCapturingOutput();
    CloseServiceHandle(holder);
    CloseServiceHandle(manager);
    EXPECT_EQ(removal.result, -1);
    EXPECT_EQ(removal.printed, "DeleteService failed\n");
}

// A service stuck in stopping is given a minute of polls, then deleted all the same.
TEST(ServiceRemoval, ServiceThatNeverStopsIsStillRemoved)
{
    ASSERT_TRUE(installService("forever", true));
    Removal removal = removeCapturingOutput();
    EXPECT_EQ(removal.result, 0);
    EXPECT_EQ(removal.printed, "Stopping VelmorantOldService." + std::string(60, '.') +
                                   "\nVelmorantOldService failed to stop.\n"
                                   "VelmorantOldService removed.\n");
    EXPECT_GE(removal.milliseconds, 61000u);
    EXPECT_FALSE(serviceInstalled());
}

}  // namespace
