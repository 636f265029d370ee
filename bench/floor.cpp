// The floor of start-up: the launcher's dialog template and nothing else.
// It registers the class, creates and shows the dialog, and sets the caption
// at the first paint, as the launcher does; no switches, no registry, no
// picture.
#include <windows.h>

static LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static bool bPainted;
    if (message == WM_PAINT && !bPainted) {
        bPainted = true;
        SetWindowTextA(hwnd, "Floor");
    }
    if (message == WM_COMMAND && wParam == 43) {  // the Cancel button, as the launcher has it
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
    wc.lpszClassName = "SPLASH_SCREEN";
    RegisterClassA(&wc);
    HWND hwnd = CreateDialogParamA(hInstance, "SPLASH_SCREEN", NULL, NULL, 0);
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
