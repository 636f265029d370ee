// A directory search that counts only the kinds of entry the caller asks for.
#include "runtime.h"

#include <string.h>

int findfirst(const char* path, struct ffblk* ffblk, int attrib)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(path, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return -1;

    const DWORD dwSkipped = (FA_HIDDEN | FA_SYSTEM | FA_DIREC) & ~(DWORD)attrib;
    int iResult = -1;
    do {
        if (!(fd.dwFileAttributes & dwSkipped)) {
            ffblk->ff_attrib = fd.dwFileAttributes;
            ffblk->ff_fsize = fd.nFileSizeLow;
            strcpy(ffblk->ff_name, fd.cFileName);
            iResult = 0;
            break;
        }
    } while (FindNextFileA(hFind, &fd));

    FindClose(hFind);
    return iResult;
}
