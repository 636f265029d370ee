// The launch actions: what the splash dialog's first button does, and the
// two further actions of the module.
#include "util.h"

#include "resources/resource.h"
#include "runtime/runtime.h"

#include <string.h>

static const HKEY hKeyRoot = HKEY_LOCAL_MACHINE;

// Appends szName to the drive root in szValue, cutting what does not fit.
static void JoinPath(char* szValue, const char* szName)
{
    strncat(szValue, szName, OPTION_SIZE - 1 - strlen(szValue));
}

// Whether GetRegistryValueData's result means that data was read into the
// buffer: 1 is no value, 0 a value without data, OPTION_SIZE or more one too large.
static bool WasRead(int iSize)
{
    return iSize > 1 && iSize < OPTION_SIZE;
}

// The installer's path at the root of the current drive, into szValue.
static int InstallerPath(char* szValue, const char* szInstallName)
{
    if (!GetCurrentDrive(szValue, OPTION_SIZE))
        return ReportError(IDS_NO_CURRENT_DRIVE);
    JoinPath(szValue, szInstallName);
    return 1;
}

// Starts the command szValue in szPath, reporting a failure. A user who
// declined the elevation prompt has chosen: no box for that.
static int Launch(const char* szValue, const char* szPath)
{
    if (InvokeExecutable(szValue, szPath))
        return 1;
    if (GetLastError() == ERROR_CANCELLED)
        return 0;
    return ReportError(IDS_CANNOT_INVOKE);
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
            return ReportError(IDS_CANNOT_INVOKE);
        GetRegistryValueData(hKeyRoot, szAppKey, "Path", szPath, OPTION_SIZE);
    } else if (!InstallerPath(szValue, szInstallName)) {
        return 0;
    }
    return Launch(szValue, szPath);
}

int CheckAndLaunchFromCD(const char* szAppKey, const char* szAppName, const char* szInstallName)
{
    char szValue[OPTION_SIZE];
    char szPath[OPTION_SIZE];
    struct ffblk ffblk;
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
            return ReportError(IDS_NO_EXECUTABLE);
        GetRegistryValueData(hKeyRoot, szAppKey, "Path", szPath, OPTION_SIZE);
    } else if (!InstallerPath(szValue, szInstallName)) {
        return 0;
    }
    return Launch(szValue, szPath);
}

int RunUninstall(const char* szAppKey)
{
    char szValue[OPTION_SIZE];

    // A command too large to be read is as good as none.
    if (!WasRead(GetRegistryValueData(hKeyRoot, szAppKey, "UninstallString", szValue, OPTION_SIZE)))
        return ReportError(IDS_NO_UNINSTALL);

    UINT wExeCode = WinExec(szValue, SW_SHOWNORMAL);
    if (wExeCode > 31)
        return 1;
    return ReportWinExecError(wExeCode, szValue);
}
