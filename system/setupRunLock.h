// One run at a time of the product's setup program or uninstaller.
#ifndef VELMORANT_SETUP_RUN_LOCK_H
#define VELMORANT_SETUP_RUN_LOCK_H

#include <windows.h>

// The calls the lock makes: the system's, or a test's where Wine cannot give the answer.
struct RunLockCalls {
    HANDLE(WINAPI *createMutex)(LPSECURITY_ATTRIBUTES security, BOOL owned, LPCSTR name);
    DWORD(WINAPI *lastError)(void);
    // Vista and later; NULL where the system lacks them.
    HANDLE(WINAPI *createBoundary)(LPCWSTR name, ULONG flags);
    BOOL(WINAPI *addSidToBoundary)(HANDLE *boundary, PSID sid);
    HANDLE(WINAPI *createNamespace)(LPSECURITY_ATTRIBUTES security, LPVOID boundary,
                                    LPCWSTR prefix);
    HANDLE(WINAPI *openNamespace)(LPVOID boundary, LPCWSTR prefix);
};

// 1 when neither a setup run nor an uninstall of the product is going on, in any session of
// the machine: this process then holds the lock until it ends (also when killed). 0 when
// another run holds it, and also when the lock cannot be made or opened for any reason but a
// system without the name's namespace: another object under its name, or another account's
// lock, stops the run. On Vista and later the lock lies in a private namespace that only
// administrators may enter, so no other account can hold it or take its name; the older NT
// systems use the global name for every session (NT 4.0 without Terminal Services the plain
// one), the 9x family, with one session, the plain name.
int holdSetupRunLock(const char *productName, int nt);
int holdRunLockWith(const RunLockCalls &calls, const char *productName, int nt);

#endif
