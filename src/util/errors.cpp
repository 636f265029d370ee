// The error box of the launch actions.
#include "util.h"

#include "resources/resource.h"

static char messageBuffer[129];
static char titleBuffer[129];

static void ShowError(const char* szText, const char* szCaption)
{
    // The splash dialog is topmost: a box without owner would open beneath
    // it, unseen. System-modal makes the box topmost as well.
    MessageBoxA(NULL, szText, szCaption, MB_OK | MB_SYSTEMMODAL);
}

int ReportLaunchError(UINT uMessageId)
{
    LoadStringA(GetModuleHandleA(NULL), IDS_ERROR, titleBuffer, 128);
    LoadStringA(GetModuleHandleA(NULL), uMessageId, messageBuffer, 128);
    ShowError(messageBuffer, titleBuffer);
    return 0;
}

int ReportWinExecError(UINT wExeCode, char* szText)
{
    LoadStringA(GetModuleHandleA(NULL), IDS_ERROR, titleBuffer, 128);
    LoadStringA(GetModuleHandleA(NULL), IDS_WINEXEC_FAILED, messageBuffer, 128);
    wsprintfA(szText, messageBuffer, wExeCode);
    ShowError(szText, titleBuffer);
    return 0;
}
