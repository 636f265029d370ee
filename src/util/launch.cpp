// The launch action of the splash dialog's first button, and what it shares
// with the two further actions (fromcd.cpp, uninstall.cpp).
#include "util.h"

#include "resources/resource.h"

#include <string.h>

void JoinPath(char* szValue, const char* szName)
{
    strncat(szValue, szName, OPTION_SIZE - 1 - strlen(szValue));
}

bool WasRead(int iSize)
{
    return iSize > 1 && iSize < OPTION_SIZE;
}

int InstallerPath(char* szValue, const char* szInstallName)
{
    if (!GetCurrentDrive(szValue, OPTION_SIZE))
        return ReportLaunchError(IDS_NO_CURRENT_DRIVE);
    JoinPath(szValue, szInstallName);
    return 1;
}

int Launch(const char* szValue, const char* szPath)
{
    if (InvokeExecutable(szValue, szPath))
        return 1;
    // A user who declined the elevation prompt has chosen: no box for that.
    if (GetLastError() == ERROR_CANCELLED)
        return 0;
    return ReportLaunchError(IDS_CANNOT_INVOKE);
}

int IsAppInstalled(const char* szAppRegKey)
{
    char szValue[OPTION_SIZE];
    return GetRegistryValueData(hKeyRoot, szAppRegKey, NULL, szValue, sizeof(szValue)) != 1;
}

int CheckAndLaunch(const char* szAppKey, const char* szInstallName)
{
    char szValue[OPTION_SIZE];
    char szPath[OPTION_SIZE];

    szPath[0] = '\0';
    int iSize = GetRegistryValueData(hKeyRoot, szAppKey, NULL, szValue, OPTION_SIZE);
    if (iSize != 1) {
        // Installed, but a command that was not read must not be started.
        if (!WasRead(iSize))
            return ReportLaunchError(IDS_CANNOT_INVOKE);
        GetRegistryValueData(hKeyRoot, szAppKey, "Path", szPath, OPTION_SIZE);
    } else if (!InstallerPath(szValue, szInstallName)) {
        return 0;
    }
    return Launch(szValue, szPath);
}
