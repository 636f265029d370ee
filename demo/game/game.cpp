// The demo disc's application: one window of its own class, which the
// launcher's -P switch names, with its own icon. Escape or closing the
// window ends it.
#include <windows.h>

static const char szClassName[] = "TalvikDemoGame";

static LRESULT CALLBACK GameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        RECT rClient;
        HDC hDC = BeginPaint(hwnd, &ps);
        GetClientRect(hwnd, &rClient);
        SetBkMode(hDC, TRANSPARENT);
        SetTextColor(hDC, RGB(255, 196, 64));
        DrawTextA(hDC, "Talvik Demo Game is running.\n\nPress Escape to leave.", -1, &rClient,
                  DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = GameProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, "GAME");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(40, 52, 120));
    wc.lpszClassName = szClassName;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(szClassName, "Talvik Demo Game", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                              240, NULL, NULL, hInstance, NULL);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, nCmdShow);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
