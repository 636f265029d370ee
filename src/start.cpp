// The launcher: start-up, the splash dialog's window procedure.
#include <windows.h>
#include <string.h>

#include "filebmp.h"
#include "resources/resource.h"
#include "util/util.h"

static const char szAppName[] = SPLASH_SCREEN_NAME;
static const char szAppPathsKey[] = APP_PATHS_KEY;

static HINSTANCE hThisInstance;
static WORD wFirstTime;
static char szAppRegKey[OPTION_SIZE];
static char szInstallName[OPTION_SIZE];
static char szCaption[OPTION_SIZE];
static char szSplashFile[OPTION_SIZE];
static HBITMAP hBitMap;
static HPALETTE hPalette;
static BITMAP bm;
static RECT rBmpRect;

extern "C" __declspec(dllexport) LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Copies szSource into an option string, cutting what does not fit.
static void CopyOption(char* szOption, const char* szSource)
{
    strncpy(szOption, szSource, OPTION_SIZE - 1);
    szOption[OPTION_SIZE - 1] = '\0';
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdLine, int nCmdShow)
{
    char szWindowClassName[OPTION_SIZE];
    char szApp[OPTION_SIZE];
    char szDialog[OPTION_SIZE];
    char pcInstallString[OPTION_SIZE];
    int iIsInstalled;
    WNDCLASSA wndclass;
    MSG msg;
    HWND hMainWindow;

    if (hPrevInstance)
        return 0;

    hThisInstance = hInstance;
    wFirstTime = 1;

    memset(&wndclass, 0, sizeof(wndclass));
    wndclass.style = CS_HREDRAW | CS_VREDRAW;
    wndclass.lpfnWndProc = WndProc;
    wndclass.cbClsExtra = 0;
    wndclass.cbWndExtra = DLGWINDOWEXTRA;
    wndclass.hInstance = hInstance;
    // No resource has this name, and none is to have it: the class gets no
    // icon, and loading AUTORUN here would give the splash one it never had.
    // That group is what the shell shows for the file (autorun-stamp puts a
    // disc's icon there); no code loads it.
    wndclass.hIcon = LoadIconA(hInstance, "TALVIKBIG");
    wndclass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wndclass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wndclass.lpszMenuName = NULL;
    wndclass.lpszClassName = szAppName;
    RegisterClassA(&wndclass);

    GetSwitch(lpszCmdLine, "-P", szWindowClassName);
    if (szWindowClassName[0] && FindWindowA(szWindowClassName, NULL))
        return 0;

    GetSwitch(lpszCmdLine, "-A", szApp);
    GetSwitch(lpszCmdLine, "-I", szInstallName);
    GetSwitch(lpszCmdLine, "-D", szDialog);
    GetSwitch(lpszCmdLine, "-C", szCaption);
    GetSwitch(lpszCmdLine, "-S", szSplashFile);

    CopyOption(szAppRegKey, szAppPathsKey);
    strncat(szAppRegKey, szApp, sizeof(szAppRegKey) - 1 - strlen(szAppRegKey));

    iIsInstalled = IsAppInstalled(szAppRegKey);
    if (szDialog[0] && iIsInstalled)
        return 0;

    hBitMap = LoadFileBitmap(szSplashFile, &hPalette);
    GetObjectA(hBitMap, sizeof(BITMAP), &bm);

    hMainWindow = CreateDialogParamA(hInstance, szAppName, NULL, NULL, 0);
    // Without a window nothing would ever post the quit message: leave, and
    // say so in the exit code.
    if (!hMainWindow) {
        DeleteBitmap(hBitMap, hPalette);
        return 1;
    }
    ShowWindow(hMainWindow, nCmdShow);

    if (!iIsInstalled) {
        LoadStringA(hThisInstance, IDS_INSTALL, pcInstallString, OPTION_SIZE - 1);
        SetWindowTextA(GetDlgItem(hMainWindow, IDC_FIRST_BUTTON), pcInstallString);
    }

    // No IsDialogMessageA: the splash has no dialog keys (Tab does not move
    // between its buttons, Enter and Escape press none); calling it would
    // give it some.
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

// Half the free space, or the screen's edge when the window is the larger.
static int CentredPosition(int iScreen, int iWindow)
{
    int iPos = (iScreen - iWindow) / 2;
    return iPos < 0 ? 0 : iPos;
}

// Centres the picture in the frame's interior, or shows its top-left part
// where it is larger, and fits the frame around what is drawn.
static void LayOutPicture(HWND hwnd)
{
    HWND hFrame = GetDlgItem(hwnd, IDC_PICTURE_FRAME);
    RECT rPictRect, rBorder;

    GetInterior(hFrame, &rPictRect, &rBorder);

    FitPicture(rPictRect.right - rPictRect.left, bm.bmWidth, &rBmpRect.left, &rBmpRect.right);
    FitPicture(rPictRect.bottom - rPictRect.top, bm.bmHeight, &rBmpRect.top, &rBmpRect.bottom);

    ScreenToClient(hwnd, (POINT*)&rPictRect.left);
    MoveWindow(hFrame, rPictRect.left + rBmpRect.left - rBorder.left, rPictRect.top + rBmpRect.top - rBorder.top,
               rBmpRect.right + rBorder.left + rBorder.right, rBmpRect.bottom + rBorder.top + rBorder.bottom, TRUE);
}

// Draws the whole picture into the frame, whatever part needs painting.
static void PaintPicture(HWND hwnd)
{
    HWND hFrame = GetDlgItem(hwnd, IDC_PICTURE_FRAME);
    HDC hDC = GetDC(hFrame);
    HDC hMemDC = CreateCompatibleDC(hDC);

    // The palette is never selected out: the memory DC is deleted, and the
    // frame's DC is a common one, which comes back from the cache with its
    // defaults; the palette outlives both until WM_DESTROY.
    SelectPalette(hDC, hPalette, FALSE);
    RealizePalette(hDC);
    SelectPalette(hMemDC, hPalette, FALSE);
    RealizePalette(hMemDC);
    HGDIOBJ hOldBitmap = SelectObject(hMemDC, hBitMap);
    BitBlt(hDC, 0, 0, rBmpRect.right, rBmpRect.bottom, hMemDC, 0, 0, SRCCOPY);
    SelectObject(hMemDC, hOldBitmap);
    DeleteDC(hMemDC);
    ReleaseDC(hFrame, hDC);
}

extern "C" LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* lpcs = (const CREATESTRUCTA*)lParam;
        wFirstTime = 1;
        MoveWindow(hwnd, CentredPosition(GetSystemMetrics(SM_CXSCREEN), lpcs->cx),
                   CentredPosition(GetSystemMetrics(SM_CYSCREEN), lpcs->cy), lpcs->cx, lpcs->cy, FALSE);
        break;
    }

    // No BeginPaint: the picture goes into the frame through the frame's own
    // DC, and DefWindowProcA below validates the dialog's update region.
    case WM_PAINT:
        if (wFirstTime) {
            wFirstTime = 0;
            LayOutPicture(hwnd);
            SetWindowTextA(hwnd, szCaption);
        }
        PaintPicture(hwnd);
        break;

    // The whole wParam, not its low word: only a click (BN_CLICKED, 0 in the
    // high word) acts; any other notification from a button goes on to
    // DefWindowProcA.
    case WM_COMMAND:
        if (wParam == IDC_FIRST_BUTTON) {
            CheckAndLaunch(szAppRegKey, szInstallName);
            DestroyWindow(hwnd);
            return 0;
        }
        if (wParam == IDC_CANCEL_BUTTON) {
            DestroyWindow(hwnd);
            return 0;
        }
        break;

    case WM_DESTROY:
        DeleteBitmap(hBitMap, hPalette);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
