// Reading values below a registry key; the launcher never writes there.
#include "util.h"

#include <stdlib.h>
#include <string.h>

// An expandable string (REG_EXPAND_SZ, as %ProgramFiles%\My Game\game.exe)
// replaced by its expansion when that fits the buffer. The expansion's size,
// its terminator included (too large to fit: the string stays as stored), or
// 0 when it cannot be made.
static DWORD Expand(char* szValue, unsigned int iValueSize)
{
    char* szExpanded = (char*)malloc(iValueSize);
    // The ANSI call may need a byte beyond the size it is given.
    DWORD dwSize = szExpanded ? ExpandEnvironmentStringsA(szValue, szExpanded, iValueSize - 1) : 0;
    if (dwSize && dwSize < iValueSize) {
        dwSize = (DWORD)strlen(szExpanded) + 1;
        memcpy(szValue, szExpanded, dwSize);
    }
    free(szExpanded);
    return dwSize;
}

int GetRegistryValueData(HKEY hTopKey, const char* szSubKey, const char* szValueName, char* szValue,
                         unsigned int iValueSize)
{
    DWORD dwDataSize = 1;
    DWORD dwType = REG_NONE;
    HKEY hKey;

    if (RegOpenKeyExA(hTopKey, szSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return (int)dwDataSize;

    if (RegQueryValueExA(hKey, szValueName, NULL, &dwType, NULL, &dwDataSize) == ERROR_SUCCESS) {
        if (dwDataSize < iValueSize) {
            LONG rc = RegQueryValueExA(hKey, szValueName, NULL, NULL, (BYTE*)szValue, &dwDataSize);
            // A string may be stored without its terminator: the data stays as
            // stored and the byte after it terminates the buffer.
            if (rc == ERROR_SUCCESS && dwDataSize > 0 && szValue[dwDataSize - 1] != '\0')
                szValue[dwDataSize] = '\0';
            if (rc == ERROR_SUCCESS && dwDataSize > 0 && dwType == REG_EXPAND_SZ)
                dwDataSize = Expand(szValue, iValueSize);
        }
    } else {
        dwDataSize = 1;
    }

    RegCloseKey(hKey);
    return (int)dwDataSize;
}

int OpenRegistryKey(HKEY hTopKey, const char* szSubKey)
{
    HKEY hKey;

    if (RegOpenKeyExA(hTopKey, szSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(hKey);
    return 1;
}
