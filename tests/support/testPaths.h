// Where the test programs find the build's files, and small file helpers.
#ifndef VELMORANT_TEST_PATHS_H
#define VELMORANT_TEST_PATHS_H

#include <string>
#include <vector>

// A file of the build tree as a Windows path (through Wine's Z: drive).
std::string buildFile(const std::string &relative);
// A file of the source tree as a Windows path.
std::string sourceFile(const std::string &relative);
// A fresh, empty scratch folder for one test, below the Wine prefix's C: drive.
std::string scratchFolder(const std::string &name);
bool fileExists(const std::string &path);
bool folderExists(const std::string &path);
std::string readFile(const std::string &path);
bool writeFile(const std::string &path, const std::string &content);
// The names a FindFirstFile pattern matches, "." and ".." left out; only files with filesOnly.
std::vector<std::string> matchingNames(const std::string &pattern, bool filesOnly = false);
// Removes a folder and everything below it.
void removeTree(const std::string &path);
// A registry value of HKEY_LOCAL_MACHINE (REG_SZ); "<missing>" when absent.
std::string machineRegistryText(const char *key, const char *value);
// A REG_DWORD value of HKEY_LOCAL_MACHINE; -1 when absent or of another type.
long long machineRegistryNumber(const char *key, const char *value);
// An INI value of a file in the Windows folder; "<missing>" when absent.
std::string iniText(const char *file, const char *section, const char *key);
// The files waiting for removal at the next restart, as the system records them (without
// the "\??\" prefix).
std::vector<std::string> pendingRemovals();
// A file's modification time in seconds since 1970; -1 when it cannot be read.
long long modificationTime(const std::string &path);
// An installed file: its name below the data folder, the file it must equal, its stored time.
struct InstalledFile {
    const char *name;
    std::string source;
    long long time;
};
// Each file is in folder with its source's bytes and its stored time.
void expectFilesInstalled(const std::string &folder, const std::vector<InstalledFile> &files);
// Puts a Unix symbolic link at linkPath that leads to the folder target (both Windows paths).
// Wine shows such a folder as a reparse point, as Windows shows a junction; it cannot make
// junctions itself.
bool makeUnixLink(const std::string &linkPath, const std::string &target);
// Gives Everyone the right to change a folder, as a folder made below C:\ gives every
// authenticated user on Vista and later. Wine keeps it as the folder's "other" write bit and
// reads it back as an entry for Everyone.
bool allowEveryoneToChange(const std::string &folder);
std::string windowsFolder();
std::string systemFolder();

#endif
