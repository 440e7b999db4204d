// Runs beside the planted "shfolder.dll". "bare": loads the library by its bare name, as a
// careless program would; "choice": computes the default folder as the folder choice does.
// Exit code 1 when the planted DLL ran in this process, 0 when not, 2 or 3 on a usage or
// lookup failure.
#include <stdio.h>
#include <string.h>

#include "ui/dataFolderChoice.h"

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    if (strcmp(argv[1], "bare") == 0) {
        LoadLibraryA("shfolder.dll");
    } else if (strcmp(argv[1], "choice") == 0) {
        FolderChoice choice = {};
        choice.folderName = "Velmorant";
        if (!defaultFromShellFolder(&choice) ||
            strcmp(choice.folder, "C:\\Program Files\\Velmorant") != 0) {
            printf("default folder: \"%s\"\n", choice.folder);
            return 3;
        }
    } else {
        return 2;
    }
    char mark[16] = "";
    GetEnvironmentVariableA("PLANTED_SHFOLDER", mark, sizeof mark);
    printf("%s: planted library %s\n", argv[1], strcmp(mark, "loaded") == 0 ? "ran" : "not loaded");
    return strcmp(mark, "loaded") == 0 ? 1 : 0;
}
