// A DLL planted where a program should not look for DLLs, copied under the
// name of one that the program or a system DLL loads by name. Once loaded it
// writes the loading program's command line to "<its own path>.run" and
// refuses to stay, so that the program goes on with the platform's own.
#include <windows.h>

#include <stdio.h>

BOOL WINAPI DllMain(HINSTANCE hinstDll, DWORD dwReason, LPVOID)
{
    char self[MAX_PATH], record[MAX_PATH + 8];
    if (dwReason == DLL_PROCESS_ATTACH && GetModuleFileNameA(hinstDll, self, sizeof self)) {
        snprintf(record, sizeof record, "%s.run", self);
        if (FILE* f = fopen(record, "wb")) {
            fputs(GetCommandLineA(), f);
            fclose(f);
        }
    }
    return FALSE;
}
