// The run lock: the answers Wine cannot give come from a scripted table of its calls; an
// object another program put under the lock's name is real.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "system/setupRunLock.h"

namespace {

// One scripted run: the answer to each call, and what was asked.
struct LockScript {
    DWORD mutexError;       // after CreateMutexA; ERROR_ALREADY_EXISTS with a handle, else none
    bool mutexMade;
    bool namespaces;        // the system has the private namespace calls
    DWORD createError;      // 0: CreatePrivateNamespaceW makes it
    DWORD openError;        // 0: OpenPrivateNamespaceW opens it
    std::vector<std::string> names;  // the mutex names asked for
    DWORD error;
};
LockScript lock;
HANDLE const someHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1234));

const RunLockCalls scriptedCalls = {
    [](LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) WINAPI -> HANDLE {
        lock.names.push_back(name);
        lock.error = lock.mutexError;
        return lock.mutexMade ? someHandle : NULL;
    },
    []() WINAPI -> DWORD { return lock.error; },
    [](LPCWSTR, ULONG) WINAPI -> HANDLE { return someHandle; },
    [](HANDLE *, PSID) WINAPI -> BOOL { return TRUE; },
    [](LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) WINAPI -> HANDLE {
        lock.error = lock.createError;
        return lock.createError == 0 ? someHandle : NULL;
    },
    [](LPVOID, LPCWSTR) WINAPI -> HANDLE {
        lock.error = lock.openError;
        return lock.openError == 0 ? someHandle : NULL;
    },
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
        const char *what;
        int nt;
        LockScript script;
        int held;
        std::vector<std::string> names;
    } cases[] = {
        {"free, before Vista", 1, {0, true, false, 0, 0, {}, 0}, 1, {global}},
        {"another run's", 1, {ERROR_ALREADY_EXISTS, true, false, 0, 0, {}, 0}, 0, {global}},
        {"another account's", 1, {ERROR_ACCESS_DENIED, false, false, 0, 0, {}, 0}, 0, {global}},
        {"an event's name", 1, {ERROR_INVALID_HANDLE, false, false, 0, 0, {}, 0}, 0, {global}},
        {"NT 4.0 without Global", 1, {ERROR_PATH_NOT_FOUND, false, false, 0, 0, {}, 0}, 0,
         {global, plain}},
        {"the 9x family", 0, {0, true, true, 0, 0, {}, 0}, 1, {plain}},
        {"made in the private namespace", 1, {0, true, true, 0, 0, {}, 0}, 1, {inNamespace}},
        {"namespace another run made", 1, {0, true, true, ERROR_ALREADY_EXISTS, 0, {}, 0}, 1,
         {inNamespace}},
        {"namespace not to be opened", 1,
         {0, true, true, ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED, {}, 0}, 0, {}},
        {"namespace refused", 1, {0, true, true, ERROR_ACCESS_DENIED, 0, {}, 0}, 0, {}},
        {"namespaces not implemented", 1, {0, true, true, ERROR_CALL_NOT_IMPLEMENTED, 0, {}, 0}, 1,
         {global}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        lock = c.script;
        RunLockCalls calls = scriptedCalls;
        if (!c.script.namespaces)
            calls.createBoundary = NULL;
        EXPECT_EQ(holdRunLockWith(calls, "Velmorant", c.nt), c.held);
        EXPECT_EQ(lock.names, c.names);
    }
}

// Any program may make an event under the lock's name before the setup program starts: the
// run then counts the lock as held.
TEST(RunLock, AnEventUnderItsNameHoldsIt)
{
    HANDLE planted = CreateEventA(NULL, TRUE, FALSE, "Global\\Product setup or uninstall");
    ASSERT_NE(planted, (HANDLE)NULL);
    EXPECT_EQ(holdSetupRunLock("Product", 1), 0);
    CloseHandle(planted);
    EXPECT_EQ(holdSetupRunLock("Other", 1), 1);
    EXPECT_EQ(holdSetupRunLock("Other", 1), 0);  // the second take in this process
}
