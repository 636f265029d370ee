// Two desktop services: text to the clipboard, and the platform family.
#include "util.h"

#include <string.h>

int CopyStringToClipboard(const char* pString, HWND hwnd)
{
    // The text's whole length: a 16-bit count would silently cut long texts.
    size_t wLength = strlen(pString);
    HGLOBAL hGlobalMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, wLength + 1);
    if (!hGlobalMemory)
        return 0;
    char* lpGlobalMemory = (char*)GlobalLock(hGlobalMemory);
    if (!lpGlobalMemory) {
        GlobalFree(hGlobalMemory);
        return 0;
    }
    memcpy(lpGlobalMemory, pString, wLength + 1);
    GlobalUnlock(hGlobalMemory);

    if (!OpenClipboard(hwnd)) {
        GlobalFree(hGlobalMemory);
        return 0;
    }
    EmptyClipboard();
    // On success the block belongs to the clipboard; otherwise it is still ours.
    if (!SetClipboardData(CF_TEXT, hGlobalMemory)) {
        CloseClipboard();
        GlobalFree(hGlobalMemory);
        return 0;
    }
    CloseClipboard();
    return 1;
}

int IsPlatformWindows95()
{
    OSVERSIONINFOA versionInfo;

    memset(&versionInfo, 0, sizeof(versionInfo));
    versionInfo.dwOSVersionInfoSize = sizeof(versionInfo);
    GetVersionExA(&versionInfo);
    return versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
