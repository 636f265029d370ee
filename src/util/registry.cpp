// Reading values below a registry key; the launcher never writes there.
#include "util.h"

int GetRegistryValueData(HKEY hTopKey, const char* szSubKey, const char* szValueName, char* szValue,
                         unsigned int iValueSize)
{
    DWORD dwDataSize = 1;
    HKEY hKey;

    if (RegOpenKeyExA(hTopKey, szSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return (int)dwDataSize;

    if (RegQueryValueExA(hKey, szValueName, NULL, NULL, NULL, &dwDataSize) == ERROR_SUCCESS) {
        if (dwDataSize < iValueSize) {
            LONG rc = RegQueryValueExA(hKey, szValueName, NULL, NULL, (BYTE*)szValue, &dwDataSize);
            // A string may be stored without its terminator: the data stays as
            // stored and the byte after it terminates the buffer.
            if (rc == ERROR_SUCCESS && dwDataSize > 0 && szValue[dwDataSize - 1] != '\0')
                szValue[dwDataSize] = '\0';
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
