// A stand-in for the product's programs in test builds of the setup program: it appends how it
// was started to C:\velmorant-tests\calls.log and exits with RECORDER_EXIT_CODE (default 0).
//   one line per start: <own file name>|<command line, line feed shown as \n>|<current folder>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(NULL, self, sizeof self);
    const char *name = strrchr(self, '\\') != NULL ? strrchr(self, '\\') + 1 : self;
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);

    CreateDirectoryA("C:\\velmorant-tests", NULL);
    FILE *log = fopen("C:\\velmorant-tests\\calls.log", "ab");
    if (log != NULL) {
        fprintf(log, "%s|", name);
        for (const char *c = GetCommandLineA(); *c != '\0'; ++c) {
            if (*c == '\n')
                fputs("\\n", log);
            else
                fputc(*c, log);
        }
        fprintf(log, "|%s\n", folder);
        fclose(log);
    }
    const char *code = getenv("RECORDER_EXIT_CODE");
    return code != NULL ? atoi(code) : 0;
}
