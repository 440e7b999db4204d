// dllSearchProbe [restricted] NAME: loads NAME by its bare name, after restricting the DLL
// search as the setup program does when "restricted" is given. Exit status 1 when it loaded.
#include <windows.h>

#include <string.h>

#include "platform/dllSearch.h"

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "restricted") == 0)
        restrictDllSearch();
    HMODULE module = LoadLibraryA(argv[argc - 1]);
    return module != NULL ? 1 : 0;
}
