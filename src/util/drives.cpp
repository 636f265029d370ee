// The root of the current drive, and a walk over the CD-ROM drives.
#include "util.h"

#include "runtime/runtime.h"

#include <stdlib.h>
#include <string.h>

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

int GetCDROMDrive(char* szCDROMDrive, int iLength, int iLastDriveType)
{
    int retVal = -1;

    DWORD iStringSize = GetLogicalDriveStringsA(0, NULL);
    if (!iStringSize)
        return -1;
    char* sLogicalDriveStrings = (char*)calloc(iStringSize + 1, 1);
    if (!sLogicalDriveStrings)
        return -1;
    // The list may have grown since its size was asked: take it only whole.
    DWORD iFilled = GetLogicalDriveStringsA(iStringSize, sLogicalDriveStrings);
    if (iFilled && iFilled <= iStringSize) {
        int iCounter = 0;
        for (char* szDrive = sLogicalDriveStrings; *szDrive; szDrive += strlen(szDrive) + 1, iCounter++) {
            if (GetDriveTypeA(szDrive) == DRIVE_CDROM && iCounter > iLastDriveType) {
                if (iLength > 0) {
                    strncpy(szCDROMDrive, szDrive, iLength);
                    szCDROMDrive[iLength - 1] = '\0';
                }
                retVal = iCounter;
                break;
            }
        }
    }

    free(sLogicalDriveStrings);
    return retVal;
}
