// Telling whether an operation left handles open. GetProcessHandleCount
// gives 0 under Wine, so the open handles are counted by asking for the
// information of every handle value in the range a small process uses.
#ifndef AUTORUN_TESTS_HANDLES_H
#define AUTORUN_TESTS_HANDLES_H

#include <windows.h>

// The number of this process's open handles.
inline int OpenHandleCount()
{
    int n = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        if (GetHandleInformation((HANDLE)value, &flags))
            n++;
    return n;
}

#endif
