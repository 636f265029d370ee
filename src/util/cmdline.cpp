// Finding one switch in the command-line tail and taking its value.
#include "util.h"

#include <stdlib.h>
#include <string.h>

void ParseCommandLine(const char* szACommandLine, char* szValue, int iLength, const char* szToken)
{
    if (iLength < 1)
        return;
    szValue[0] = '\0';

    // Values are cut out by overwriting their end, so work on a private copy:
    // the caller's line stays intact for the next switch.
    size_t iSize = strlen(szACommandLine) + 1;
    char* szCommandLine = (char*)malloc(iSize);
    if (!szCommandLine)
        return;
    memcpy(szCommandLine, szACommandLine, iSize);

    char* szAValue = strstr(szCommandLine, szToken);
    if (szAValue) {
        szAValue += strlen(szToken);
        char* szTermChar;
        if (*szAValue == '(') {
            szTermChar = strchr(szAValue, ')');
            szAValue++;
        } else {
            szTermChar = strchr(szAValue, ' ');
        }
        if (szTermChar)
            *szTermChar = '\0';
        strncpy(szValue, szAValue, iLength);
        szValue[iLength - 1] = '\0';
    }

    free(szCommandLine);
}

void GetSwitch(const char* szCommandLine, const char* szToken, char* szValue)
{
    static const char* const aszDefaults[][2] = {
        {"-I", DEFAULT_INSTALL_NAME}, {"-C", DEFAULT_CAPTION}, {"-S", DEFAULT_SPLASH_FILE}};

    ParseCommandLine(szCommandLine, szValue, OPTION_SIZE, szToken);
    for (const auto& aszDefault : aszDefaults)
        if (!szValue[0] && !strcmp(szToken, aszDefault[0]))
            lstrcpynA(szValue, aszDefault[1], OPTION_SIZE);
}
