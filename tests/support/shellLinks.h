// Reading back the shortcuts a run made, through the shell's own link object.
#ifndef VELMORANT_TEST_SHELL_LINKS_H
#define VELMORANT_TEST_SHELL_LINKS_H

#include <string>

struct ShellLinkSeen {
    bool loaded = false;
    std::string target;
    std::string workingDirectory;
    std::string arguments;
    std::string description;
    std::string iconPath;
    int iconIndex = -1;
    // From the file's header: Wine's GetShowCmd after a load does not give what was saved.
    unsigned showCommand = 0;
};

ShellLinkSeen readShellLink(const std::string &path);
// The user's Start-menu Programs folder and Startup folder.
std::string programsFolder();
std::string startupFolder();

#endif
