// A program for the launch tests, copied under the names a test needs
// (setup.exe, game.exe). It writes its command line, its current directory
// and the show state it was given (-1 for none) to "<its own path>.run", one
// per line, and exits. Given "/start LINE", it starts LINE as the launcher
// does instead, and exits with 0 when it did. Given "/platform", its exit
// code says whether it runs on the Windows 95 family.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "util/util.h"

int main()
{
    if (const char* start = strstr(GetCommandLineA(), " /start "))
        return InvokeExecutable(start + 8, "") ? 0 : 1;
    if (strstr(GetCommandLineA(), " /platform"))
        return IsPlatformWindows95();
    char self[MAX_PATH], dir[MAX_PATH], record[MAX_PATH + 8], partial[MAX_PATH + 16];
    GetModuleFileNameA(NULL, self, sizeof self);
    GetCurrentDirectoryA(sizeof dir, dir);
    snprintf(record, sizeof record, "%s.run", self);
    snprintf(partial, sizeof partial, "%s.partial", record);

    // Written aside and renamed, so that a reader never sees half a record.
    FILE* f = fopen(partial, "wb");
    if (!f)
        return 1;
    STARTUPINFOA si;
    GetStartupInfoA(&si);
    fprintf(f, "%s\n%s\n%d\n", GetCommandLineA(), dir, si.dwFlags & STARTF_USESHOWWINDOW ? si.wShowWindow : -1);
    fclose(f);
    return MoveFileExA(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
