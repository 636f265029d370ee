// The shell utilities: registry reads, the command-line scanner and the
// launch actions, shared by the launcher and its tests.
#ifndef AUTORUN_UTIL_H
#define AUTORUN_UTIL_H

#include <windows.h>

// Size in bytes of a value's data; exactly 1 when the key or the value does
// not exist (an empty string value gives 1 as well).
int GetRegistryValueData(HKEY hTopKey, const char* szSubKey, const char* szValueName,
                         char* szValue, unsigned int iValueSize);
// 1 when szSubKey below hTopKey can be opened for reading, else 0.
int OpenRegistryKey(HKEY hTopKey, const char* szSubKey);

// The value of the switch szToken in szACommandLine, or the empty string.
void ParseCommandLine(const char* szACommandLine, char* szValue, int iLength,
                      const char* szToken);

// What the splash dialog's first button does.
int CheckAndLaunch(const char* szAppKey, const char* szInstallName);

#endif
