// What whole runs of the setup program leave behind, read from outside: shared by the
// end-to-end scenarios.
#ifndef VELMORANT_TEST_INSTALLATION_H
#define VELMORANT_TEST_INSTALLATION_H

#include <string>
#include <vector>

#include "support/processRun.h"

extern const char uninstallKey[];
extern const char closeCopiesTitle[];
extern const char doneTitle[];
extern const char failedTitle[];
extern const char defaultFolder[];

std::string quoted(const std::string &path);
// Starts setup.exe (or a test build) and accepts the agreement.
void startAndAccept(ProcessRun &run, const char *program = "setup.exe");
// A whole install with the default answers into the proposed folder, answered No at the end.
void installWithDefaults(const char *program = "setup.exe");
// What a successful run into folder leaves: the files with their stored times, both links,
// the uninstall key and the INI value.
void expectInstalledIn(const std::string &folder);
void expectNothingRegistered();
// An installation as the user and the product see it: every file of folder with its time,
// size and a digest of its bytes (temporary names of a run included), the shortcuts' targets,
// the uninstall key's values and the INI value. Equal states: the same installation.
std::vector<std::string> installationState(const std::string &folder);
// Gives every file of folder this modification time: a file a later run replaced, even by
// the same bytes, then shows in installationState.
void stampFiles(const std::string &folder, long long time);

#endif
