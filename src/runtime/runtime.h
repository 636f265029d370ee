// Runtime services of our own where the compiler's runtime does otherwise
// or has none.
#ifndef AUTORUN_RUNTIME_H
#define AUTORUN_RUNTIME_H

#include <windows.h>

// The command-line tail after the program's own name: leading blanks and
// tabs skipped; a name in double quotes runs to the closing quote, any other
// name to the next blank; a tab or the end of the line also ends it; the
// closing quote and all blanks and tabs after the name are skipped.
const char* SkipProgramName(const char* szCommandLine);

// Attributes of findfirst's mask: entries with any other of these bits are
// skipped; read-only and archived files always count.
#define FA_HIDDEN 0x02
#define FA_SYSTEM 0x04
#define FA_DIREC  0x10

// The entry that findfirst found. Its name is as the directory holds it
// after a wildcard search, and as the path gave it otherwise; its size is
// known after a wildcard search only, INVALID_FILE_SIZE otherwise.
struct ffblk {
    DWORD ff_attrib;
    DWORD ff_fsize;
    char ff_name[MAX_PATH];
};

// Searches for `path` (wildcards allowed) and fills `ffblk` with the first
// entry whose hidden, system and directory bits are all in `attrib`: with 0,
// only ordinary files count. 0 when found, -1 when not.
int findfirst(const char* path, struct ffblk* ffblk, int attrib);

// The drive of the current directory, 0 for A; -1 when the current directory
// has no drive letter (a network path).
int getdisk();

#endif
