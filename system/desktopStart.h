// Starting a program through the shell of the signed-in user's desktop.
#ifndef VELMORANT_DESKTOP_START_H
#define VELMORANT_DESKTOP_START_H

#include <windows.h>

// Asks the desktop's shell to start program in folder with arguments (NULL: none), as a double
// click on its shortcut would: it then runs in the signed-in user's account with that user's
// rights, even when this program runs elevated or in an administrator's account. 1 when the shell took the request;
// 0 when there is no desktop shell to ask (none running, or a system without the interfaces)
// or it refused, and nothing was started.
int startFromDesktop(const char *program, const char *folder, const char *arguments);
// The same, reaching the shell's window list with createInstance (CoCreateInstance; a test's
// stand-in gives the answers of a system without a desktop shell).
typedef HRESULT(WINAPI *CreateInstanceCall)(REFCLSID kind, LPUNKNOWN outer, DWORD context,
                                            REFIID interfaceId, LPVOID *object);
int startFromDesktopWith(CreateInstanceCall createInstance, const char *program,
                         const char *folder, const char *arguments);

#endif
