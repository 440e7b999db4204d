// The security calls of advapi32, looked up at run time: Windows 95 does not export them all,
// and a program that imported one would not start there. Each pointer is NULL where the
// system lacks the call (every one on the 9x family, the newer ones on NT 4.0).
#ifndef VELMORANT_ADVAPI_CALLS_H
#define VELMORANT_ADVAPI_CALLS_H

#include <windows.h>

#include <accctrl.h>

struct AdvapiCalls {
    BOOL(WINAPI *openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
    BOOL(WINAPI *getTokenInformation)(HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID data,
                                      DWORD size, PDWORD used);
    BOOL(WINAPI *equalSid)(PSID a, PSID b);
    // NT 4.0 and later: an open object's owner and list, in one descriptor to LocalFree.
    DWORD(WINAPI *getSecurityInfo)(HANDLE object, SE_OBJECT_TYPE type, SECURITY_INFORMATION what,
                                   PSID *owner, PSID *group, PACL *list, PACL *auditList,
                                   PSECURITY_DESCRIPTOR *descriptor);
    BOOL(WINAPI *getAce)(PACL list, DWORD index, LPVOID *entry);
    BOOL(WINAPI *initializeDescriptor)(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
    BOOL(WINAPI *setDescriptorDacl)(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL list,
                                    BOOL defaulted);
    // Windows 2000 and later: protects a list from the parent's inheritable entries.
    BOOL(WINAPI *setDescriptorControl)(PSECURITY_DESCRIPTOR descriptor,
                                       SECURITY_DESCRIPTOR_CONTROL mask,
                                       SECURITY_DESCRIPTOR_CONTROL bits);
    BOOL(WINAPI *initializeAcl)(PACL list, DWORD size, DWORD revision);
    BOOL(WINAPI *addAccessAllowedAce)(PACL list, DWORD revision, DWORD rights, PSID account);
};

// The calls, looked up once.
const AdvapiCalls &advapiCalls(void);

#endif
