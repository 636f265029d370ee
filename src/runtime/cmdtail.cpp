// The command-line tail that the process start-up hands to WinMain.
#include "runtime.h"

static bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

const char* SkipProgramName(const char* p)
{
    while (IsBlankOrTab(*p))
        p++;

    if (*p == '"') {
        p++;
        while (*p && *p != '"' && *p != '\t')
            p++;
        if (*p == '"')
            p++;
    } else {
        while (*p && !IsBlankOrTab(*p))
            p++;
    }

    while (IsBlankOrTab(*p))
        p++;
    return p;
}
