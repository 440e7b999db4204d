#include "support/testPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <vector>

namespace {

// A Linux path below the folder an environment variable names, through Wine's Z: drive.
std::string unixFile(const char *variable, const std::string &relative)
{
    const char *root = getenv(variable);
    std::string path = std::string("Z:") + (root != NULL ? root : "") + "/" + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The Unix path of a Windows path on one of Wine's drives; "" when Wine cannot say.
std::string unixPath(const std::string &path)
{
    typedef char *(CDECL * UnixNameCall)(LPCWSTR path);
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (found == NULL || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0)
        return "";
    UnixNameCall unixName;
    memcpy(&unixName, &found, sizeof found);
    char *name = unixName(wide);
    std::string result = name != NULL ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

}  // namespace

std::string buildFile(const std::string &relative)
{
    return unixFile("TEST_BINARY_DIR", relative);
}

std::string sourceFile(const std::string &relative)
{
    return unixFile("TEST_SOURCE_DIR", relative);
}

std::string scratchFolder(const std::string &name)
{
    std::string path = "C:\\velmorant-tests\\" + name;
    removeTree(path);
    CreateDirectoryA("C:\\velmorant-tests", NULL);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

bool fileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string readFile(const std::string &path)
{
    std::string content;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return content;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    fclose(file);
    return content;
}

bool writeFile(const std::string &path, const std::string &content)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL)
        return false;
    bool ok = fwrite(content.data(), 1, content.size(), file) == content.size();
    return fclose(file) == 0 && ok;
}

std::vector<std::string> matchingNames(const std::string &pattern, bool filesOnly)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != "." && name != ".." && !(filesOnly && folder))
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void removeTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string machineRegistryText(const char *key, const char *value)
{
    char text[2048];
    DWORD size = sizeof text;
    DWORD type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, &type, text, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return text;
}

long long machineRegistryNumber(const char *key, const char *value)
{
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_DWORD, NULL, &number, &size) !=
        ERROR_SUCCESS)
        return -1;
    return number;
}

std::string iniText(const char *file, const char *section, const char *key)
{
    char text[2048];
    GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, file);
    return text;
}

std::string windowsFolder()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string systemFolder()
{
    char path[MAX_PATH];
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

std::vector<std::string> pendingRemovals()
{
    std::vector<std::string> paths;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                      0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return paths;
    std::vector<char> data(65536);
    DWORD size = (DWORD)data.size();
    DWORD type = 0;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", NULL, &type,
                         reinterpret_cast<BYTE *>(data.data()), &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ) {
        // Pairs of source and destination; an empty destination means removal.
        size_t at = 0;
        while (at < size && data[at] != '\0') {
            std::string source = &data[at];
            at += source.size() + 1;
            std::string destination = at < size ? &data[at] : "";
            at += destination.size() + 1;
            if (destination.empty())
                paths.push_back(source.rfind("\\??\\", 0) == 0 ? source.substr(4) : source);
        }
    }
    RegCloseKey(key);
    return paths;
}

bool makeUnixLink(const std::string &linkPath, const std::string &target)
{
    size_t cut = linkPath.rfind('\\');
    std::string parent = cut != std::string::npos ? unixPath(linkPath.substr(0, cut)) : "";
    std::string to = unixPath(target);
    if (parent.empty() || to.empty())
        return false;
    // Wine starts a Unix program as it starts a Windows one, but does not wait for its end.
    std::string link = parent + "/" + linkPath.substr(cut + 1);
    std::string command = "/bin/ln -s \"" + to + "\" \"" + link + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (int waited = 0; waited < 10000; waited += 50) {
        DWORD attributes = GetFileAttributesA(linkPath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        Sleep(50);
    }
    return false;
}

// Gives Everyone the right to change a folder, as a folder made below C:\ gives every
// authenticated user on Vista and later. Wine keeps it as the folder's "other" write bit and
// reads it back as an entry for Everyone.
bool allowEveryoneToChange(const std::string &folder)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;0x1301bf;;;WD)",
                                                              SDDL_REVISION_1, &descriptor, NULL))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = NULL;
    bool set = GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) &&
               SetNamedSecurityInfoA(const_cast<char *>(folder.c_str()), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION, NULL, NULL, list,
                                     NULL) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

long long modificationTime(const std::string &path)
{
    struct __stat64 status;
    return _stat64(path.c_str(), &status) == 0 ? (long long)status.st_mtime : -1;
}

void expectFilesInstalled(const std::string &folder, const std::vector<InstalledFile> &files)
{
    for (const InstalledFile &file : files) {
        SCOPED_TRACE(file.name);
        std::string path = folder + "\\" + file.name;
        EXPECT_EQ(modificationTime(path), file.time);
        EXPECT_TRUE(readFile(path) == readFile(file.source));
    }
}
