// The floor of start-up: the launcher's dialog template and nothing else.
// It registers the class, creates and shows the dialog, and sets the caption
// at the first paint, as the launcher does; no switches, no registry, no
// picture. Built with FLOOR_PICTURE it also makes splash.bmp its device
// bitmap before the dialog, as the launcher must, in the fewest calls (the
// bench writes the file, so it is taken as sound): what any launcher of a
// picture pays.
#include <windows.h>
#include "resources/resource.h"

#ifdef FLOOR_PICTURE
static void LoadPicture()
{
    HANDLE hFile = CreateFileA("splash.bmp", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD dwSize = GetFileSize(hFile, NULL), dwRead = 0;
    BYTE* pData = (BYTE*)GlobalAlloc(GMEM_FIXED, dwSize);
    if (pData && ReadFile(hFile, pData, dwSize, &dwRead, NULL) && dwRead == dwSize) {
        const BITMAPFILEHEADER* pFile = (const BITMAPFILEHEADER*)pData;
        const BITMAPINFO* pInfo = (const BITMAPINFO*)(pFile + 1);
        struct {
            WORD wVersion, wCount;
            PALETTEENTRY entries[256];
        } palette = {0x300, 256, {}};
        for (int i = 0; i < 256; i++)
            palette.entries[i] = {pInfo->bmiColors[i].rgbRed, pInfo->bmiColors[i].rgbGreen, pInfo->bmiColors[i].rgbBlue,
                                  0};
        HPALETTE hPalette = CreatePalette((const LOGPALETTE*)&palette);
        HDC hDC = GetDC(NULL);
        HPALETTE hOld = SelectPalette(hDC, hPalette, FALSE);
        RealizePalette(hDC);
        CreateDIBitmap(hDC, &pInfo->bmiHeader, CBM_INIT, pData + pFile->bfOffBits, pInfo, DIB_RGB_COLORS);
        SelectPalette(hDC, hOld, FALSE);
        ReleaseDC(NULL, hDC);
    }
    GlobalFree(pData);
    CloseHandle(hFile);
}
#endif

static LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static bool bPainted;
    if (message == WM_PAINT && !bPainted) {
        bPainted = true;
        SetWindowTextA(hwnd, "Floor");
    }
    if (message == WM_COMMAND && wParam == IDC_CANCEL_BUTTON) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = FloorProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = SPLASH_SCREEN_NAME;
    RegisterClassA(&wc);
#ifdef FLOOR_PICTURE
    LoadPicture();
#endif
    HWND hwnd = CreateDialogParamA(hInstance, SPLASH_SCREEN_NAME, NULL, NULL, 0);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, nCmdShow);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
