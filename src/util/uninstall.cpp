// The uninstall action. The launcher does not call it: in an object of its
// own, WinExec stays out of the launcher's imports.
#include "util.h"

#include "resources/resource.h"

int RunUninstall(const char* szAppKey)
{
    char szValue[OPTION_SIZE];

    // A command too large to be read is as good as none.
    if (!WasRead(GetRegistryValueData(hKeyRoot, szAppKey, "UninstallString", szValue, OPTION_SIZE)))
        return ReportLaunchError(IDS_NO_UNINSTALL);

    UINT wExeCode = WinExec(szValue, SW_SHOWNORMAL);
    if (wExeCode > 31)
        return 1;
    return ReportWinExecError(wExeCode, szValue);
}
