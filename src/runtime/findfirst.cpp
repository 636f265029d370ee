// A directory search that counts only the kinds of entry the caller asks for.
#include "runtime.h"

#include <string.h>

// A name without wildcards can match only the entry it names, whose
// attributes come without a directory search, at a small part of its cost
// (not its size: GetFileAttributesExA, which gives both, is missing from
// Windows 95). A name that ends in a separator or a drive names no entry of
// a directory.
static bool NamesOneEntry(const char* path, const char** pszName)
{
    const char* szName = path;
    for (const char* p = path; *p; p++) {
        if (*p == '*' || *p == '?')
            return false;
        if (*p == '\\' || *p == '/' || *p == ':')
            szName = p + 1;
    }
    *pszName = szName;
    return *szName != 0;
}

static void Take(struct ffblk* ffblk, DWORD dwAttrib, DWORD dwSize, const char* szName)
{
    ffblk->ff_attrib = dwAttrib;
    ffblk->ff_fsize = dwSize;
    lstrcpynA(ffblk->ff_name, szName, sizeof ffblk->ff_name);
}

int findfirst(const char* path, struct ffblk* ffblk, int attrib)
{
    const DWORD dwSkipped = (FA_HIDDEN | FA_SYSTEM | FA_DIREC) & ~(DWORD)attrib;
    const char* szName;

    if (NamesOneEntry(path, &szName)) {
        if (strlen(szName) >= sizeof ffblk->ff_name)
            return -1;
        DWORD dwAttrib = GetFileAttributesA(path);
        if (dwAttrib == INVALID_FILE_ATTRIBUTES || (dwAttrib & dwSkipped))
            return -1;
        Take(ffblk, dwAttrib, INVALID_FILE_SIZE, szName);
        return 0;
    }

    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(path, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return -1;

    int iResult = -1;
    do {
        if (!(fd.dwFileAttributes & dwSkipped)) {
            Take(ffblk, fd.dwFileAttributes, fd.nFileSizeLow, fd.cFileName);
            iResult = 0;
            break;
        }
    } while (FindNextFileA(hFind, &fd));

    FindClose(hFind);
    return iResult;
}
