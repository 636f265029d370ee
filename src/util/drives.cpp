// The root of the current drive.
#include "util.h"

#include "runtime/runtime.h"

int GetCurrentDrive(char* szCurrentDrive, int iLength)
{
    if (iLength < 4)
        return 0;
    // A network path has no drive letter, so there is no root to give.
    int iDisk = getdisk();
    if (iDisk < 0)
        return 0;
    wsprintfA(szCurrentDrive, "%c:\\", 'A' + iDisk);
    return 1;
}
