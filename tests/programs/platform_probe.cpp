// Exits with IsPlatformWindows95()'s answer. Beside it, "<its own path>.ver"
// records what GetVersion() says, as "<high bit set> <major> <minor>", so that
// a test can see which Windows version the program was shown.
#include "util/util.h"

#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH], record[MAX_PATH + 8];
    GetModuleFileNameA(NULL, self, sizeof self);
    snprintf(record, sizeof record, "%s.ver", self);
    DWORD version = GetVersion();
    FILE* f = fopen(record, "wb");
    if (f) {
        fprintf(f, "%d %u %u\n", (version & 0x80000000u) ? 1 : 0, (unsigned)LOBYTE(version),
                (unsigned)HIBYTE(LOWORD(version)));
        fclose(f);
    }
    return IsPlatformWindows95();
}
