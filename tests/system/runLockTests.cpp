// The run lock, with a scripted table of its calls for the answers Wine cannot give (an event
// under its name is staged for real in the whole runs).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "system/setupRunLock.h"

namespace {

// The error each call answers with (0: it succeeds; a mutex also with ERROR_ALREADY_EXISTS),
// and the mutex names asked for.
DWORD mutexError, createError, openError, error;
std::vector<std::string> names;
HANDLE const someHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234));

HANDLE answer(DWORD given, bool madeDespite)
{
    error = given;
    return given == 0 || madeDespite ? someHandle : NULL;
}

const RunLockCalls scriptedCalls = {
    [](LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) WINAPI {
        names.push_back(name);
        return answer(mutexError, mutexError == ERROR_ALREADY_EXISTS);
    },
    []() WINAPI { return error; },
    [](LPCWSTR, ULONG) WINAPI { return someHandle; },
    [](HANDLE *, PSID) WINAPI { return TRUE; },
    [](LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) WINAPI { return answer(createError, false); },
    [](LPVOID, LPCWSTR) WINAPI { return answer(openError, false); },
};

}  // namespace

// Only a missing namespace of names moves on to the next name; every other failure is a lock
// another run (or another account) holds.
TEST(RunLock, AnyFailureButAMissingNamespaceIsHeld)
{
    const std::string global = "Global\\Velmorant setup or uninstall";
    const std::string plain = "Velmorant setup or uninstall";
    const std::string inNamespace = "Velmorant setup\\Velmorant setup or uninstall";
    struct Case {
        int nt;
        bool namespaces;
        DWORD mutexError, createError, openError;
        int held;
        std::vector<std::string> names;
    } cases[] = {
        {1, false, 0, 0, 0, 1, {global}},
        {1, false, ERROR_ALREADY_EXISTS, 0, 0, 0, {global}},
        {1, false, ERROR_ACCESS_DENIED, 0, 0, 0, {global}},  // another account's
        {1, false, ERROR_INVALID_HANDLE, 0, 0, 0, {global}},  // an event's name
        {1, false, ERROR_PATH_NOT_FOUND, 0, 0, 0, {global, plain}},  // NT 4.0, no "Global"
        {0, true, 0, 0, 0, 1, {plain}},
        {1, true, 0, 0, 0, 1, {inNamespace}},
        {1, true, 0, ERROR_ALREADY_EXISTS, 0, 1, {inNamespace}},  // another run made it
        {1, true, 0, ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED, 0, {}},
        {1, true, 0, ERROR_ACCESS_DENIED, 0, 0, {}},  // not an administrator
        {1, true, 0, ERROR_CALL_NOT_IMPLEMENTED, 0, 1, {global}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        mutexError = c.mutexError, createError = c.createError, openError = c.openError;
        names.clear();
        RunLockCalls calls = scriptedCalls;
        if (!c.namespaces)
            calls.createBoundary = NULL;
        EXPECT_EQ(holdRunLockWith(calls, "Velmorant", c.nt), c.held);
        EXPECT_EQ(names, c.names);
    }
}
