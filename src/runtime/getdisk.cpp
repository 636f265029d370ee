// The drive of the current directory.
#include "runtime.h"

#include <stdlib.h>

int getdisk()
{
    // Only the first two characters matter, but a short buffer would get
    // nothing at all: ask for the length first.
    DWORD dwSize = GetCurrentDirectoryA(0, NULL);
    char* szDir = dwSize ? (char*)malloc(dwSize) : NULL;
    int iDisk = -1;

    DWORD dwLength = szDir ? GetCurrentDirectoryA(dwSize, szDir) : 0;
    if (dwLength >= 2 && dwLength < dwSize && szDir[1] == ':') {
        char c = szDir[0];
        if (c >= 'a' && c <= 'z')
            iDisk = c - 'a';
        else if (c >= 'A' && c <= 'Z')
            iDisk = c - 'A';
    }
    free(szDir);
    return iDisk;
}
