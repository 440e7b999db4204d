// Keeps DLLs planted beside the setup program (say, in a downloads folder) from being loaded.
#ifndef VELMORANT_DLL_SEARCH_H
#define VELMORANT_DLL_SEARCH_H

// Restricts the process's DLL search to the system directory where the system can,
// else takes the program's folder's neighbours out of the search. Returns which was done.
enum DllSearchRestriction {
    DLL_SEARCH_SYSTEM_ONLY = 1,   // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
    DLL_SEARCH_NO_CURRENT = 2,    // SetDllDirectoryA("")
    DLL_SEARCH_UNRESTRICTED = 0,  // neither exists (old systems)
};
int restrictDllSearch(void);

#endif
