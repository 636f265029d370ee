// The launch action for an application that runs from the disc. The
// launcher does not call it: in an object of its own, its imports stay out
// of the launcher.
#include "util.h"

#include "resources/resource.h"
#include "runtime/runtime.h"

int CheckAndLaunchFromCD(const char* szAppKey, const char* szAppName, const char* szInstallName)
{
    char szValue[OPTION_SIZE];
    char szPath[OPTION_SIZE];
    struct ffblk ffblk;
    // The index of the last CD-ROM drive tried, not a drive's type.
    int iDriveType = -1;
    int iFileNotFound = 1;

    szPath[0] = '\0';
    if (OpenRegistryKey(hKeyRoot, szAppKey)) {
        while ((iDriveType = GetCDROMDrive(szValue, OPTION_SIZE, iDriveType)) >= 0) {
            JoinPath(szValue, szAppName);
            iFileNotFound = findfirst(szValue, &ffblk, 0);
            if (!iFileNotFound)
                break;
        }
        if (iFileNotFound)
            return ReportLaunchError(IDS_NO_EXECUTABLE);
        GetRegistryValueData(hKeyRoot, szAppKey, "Path", szPath, OPTION_SIZE);
    } else if (!InstallerPath(szValue, szInstallName)) {
        return 0;
    }
    return Launch(szValue, szPath);
}
