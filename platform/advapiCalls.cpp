#include "advapiCalls.h"

#include <string.h>

namespace {

// Stores the named export in the pointer of its real type; NULL when it is missing.
template <typename Call> void lookUp(HMODULE library, const char *name, Call *call)
{
    FARPROC found = library != NULL ? GetProcAddress(library, name) : NULL;
    memcpy(call, &found, sizeof *call);
}

}  // namespace

const AdvapiCalls &advapiCalls(void)
{
    static AdvapiCalls calls;
    static int looked;
    if (!looked) {
        // Imported by the program for the registry: loaded already, from the system folder.
        HMODULE advapi = GetModuleHandleA("advapi32.dll");
        lookUp(advapi, "OpenProcessToken", &calls.openProcessToken);
        lookUp(advapi, "GetTokenInformation", &calls.getTokenInformation);
        lookUp(advapi, "EqualSid", &calls.equalSid);
        lookUp(advapi, "GetSecurityInfo", &calls.getSecurityInfo);
        lookUp(advapi, "GetAce", &calls.getAce);
        lookUp(advapi, "InitializeSecurityDescriptor", &calls.initializeDescriptor);
        lookUp(advapi, "SetSecurityDescriptorDacl", &calls.setDescriptorDacl);
        lookUp(advapi, "SetSecurityDescriptorControl", &calls.setDescriptorControl);
        lookUp(advapi, "InitializeAcl", &calls.initializeAcl);
        lookUp(advapi, "AddAccessAllowedAce", &calls.addAccessAllowedAce);
        looked = 1;
    }
    return calls;
}
