// Starting a program as a new process, without waiting for it.
#include "util.h"

#include <stdlib.h>
#include <string.h>

int InvokeExecutable(const char* exe, const char* currentDir)
{
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;

    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);

    // The platform may write into the command line it is given.
    size_t iSize = strlen(exe) + 1;
    char* exeName = (char*)malloc(iSize);
    if (!exeName)
        return 0;
    memcpy(exeName, exe, iSize);

    const char* dirName = *currentDir ? currentDir : NULL;
    int retCode = CreateProcessA(NULL, exeName, NULL, NULL, FALSE, 0, NULL, dirName, &si, &pi);
    if (retCode) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    free(exeName);
    return retCode;
}
