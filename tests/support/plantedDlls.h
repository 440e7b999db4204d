// DLLs planted where a program may look for them: copies of the test DLL
// (tests/programs/plantedDll.cpp), each leaving a mark named after itself in
// C:\velmorant-tests\marks when it is loaded.
//
// Wine normally takes its builtin copy of a system DLL whatever lies beside the program. A
// per-program override "native,builtin" makes it look for a native copy first, along the
// search path, as Windows does for a DLL that is not a known system DLL.
#ifndef VELMORANT_TEST_PLANTED_DLLS_H
#define VELMORANT_TEST_PLANTED_DLLS_H

#include <string>
#include <vector>

// The system names a whole run may load late by their bare names, but version.dll: Wine's own
// user32.dll imports it, so with native copies preferred the loader takes a planted one while
// the process starts, before any code of the program runs (on Windows user32 is a known system
// DLL without that import).
extern const std::vector<std::string> wholeRunDllNames;

// Makes Wine prefer native copies of the DLLs for programs of that file name.
void preferNativeCopies(const std::string &exeName, const std::vector<std::string> &dlls);
// Puts a copy of the test DLL into folder under each name; false when one could not be made.
bool plantDlls(const std::string &folder, const std::vector<std::string> &dlls);
// Removes the marks left so far.
void clearPlantMarks();
// The DLLs of the list whose planted copy was loaded since the marks were cleared.
std::vector<std::string> loadedPlants(const std::vector<std::string> &dlls);

#endif
