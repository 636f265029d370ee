// A walk over the CD-ROM drives. Only the launch action from the disc uses
// it, and the launcher does not call that: in an object of its own, the
// drive list's imports stay out of the launcher.
#include "util.h"

#include <stdlib.h>
#include <string.h>

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
