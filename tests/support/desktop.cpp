#include "support/desktop.h"

#include <gtest/gtest.h>

void PumpMessages(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::string WindowText(HWND hwnd)
{
    WCHAR text[1100];
    int n = InternalGetWindowText(hwnd, text, 1100);
    char ansi[2200];
    int m = WideCharToMultiByte(CP_ACP, 0, text, n, ansi, sizeof ansi, NULL, NULL);
    return std::string(ansi, m);
}

RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), (POINT*)&r, 2);
    return r;
}

void ClickAt(POINT pt)
{
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        // Normalised coordinates, rounded up so that they map back onto pt.
        i.mi.dx = (pt.x * 65536 + cx - 1) / cx;
        i.mi.dy = (pt.y * 65536 + cy - 1) / cy;
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(30);
    SendInput(2, &in[1], sizeof(INPUT));
}

void ClickWindow(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

static LRESULT HitTest(HWND hwnd, int x, int y)
{
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000,
                        &result);
    return (LRESULT)result;
}

POINT CloseBoxPoint(HWND hwnd)
{
    RECT window;
    POINT client = {0, 0};
    GetWindowRect(hwnd, &window);
    ClientToScreen(hwnd, &client);
    // The middle row of the caption, which lies between the window's top and
    // its client area.
    int y = (window.top + client.y) / 2;
    int right = -1;
    for (int x = window.right - 1; x > window.left; x--) {
        bool close = HitTest(hwnd, x, y) == HTCLOSE;
        if (close && right < 0)
            right = x;
        if (!close && right >= 0)
            return {(x + 1 + right) / 2, y};
    }
    return {-1, -1};
}

static BOOL CALLBACK AddBox(HWND hwnd, LPARAM lParam)
{
    auto* found = (std::pair<DWORD, std::vector<Box>>*)lParam;
    char cls[16] = "";
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == found->first && !strcmp(cls, "#32770") && IsWindowVisible(hwnd))
        found->second.push_back({hwnd, WindowText(hwnd), WindowText(GetDlgItem(hwnd, 0xFFFF))});
    return TRUE;
}

std::vector<Box> FindBoxes(DWORD pid)
{
    std::pair<DWORD, std::vector<Box>> found(pid, {});
    EnumWindows(AddBox, (LPARAM)&found);
    return found.second;
}

bool ClickOk(const Box& box)
{
    HWND ok = GetDlgItem(box.hwnd, IDOK);
    RECT r;
    GetWindowRect(ok, &r);
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_EQ(ok, WindowFromPoint(centre)) << "the box's OK button is covered";
    ClickAt(centre);
    return WaitUntil([&] { return !IsWindow(box.hwnd); }, 5000);
}

bool AnswerBoxes(DWORD pid, std::vector<Box>* boxes)
{
    bool answered = true;
    for (const Box& box : FindBoxes(pid)) {
        boxes->push_back(box);
        if (!ClickOk(box)) {
            PostMessageA(box.hwnd, WM_CLOSE, 0, 0);
            answered = false;
        }
    }
    return answered;
}

ActionRun RunAnsweringBoxes(const std::function<int()>& action, DWORD ms)
{
    struct Job {
        const std::function<int()>* action;
        int result;
    } job = {&action, -1};
    auto run = [](LPVOID p) WINAPI -> DWORD {
        Job* j = (Job*)p;
        j->result = (*j->action)();
        return 0;
    };
    ActionRun outcome = {-1, false, {}};
    HANDLE thread = CreateThread(NULL, 0, run, &job, 0, NULL);
    WaitUntil([&] {
        AnswerBoxes(GetCurrentProcessId(), &outcome.boxes);
        return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    }, ms);
    outcome.finished = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    if (!outcome.finished) {
        // A box nobody could answer: close what is left so the thread ends.
        for (const Box& box : FindBoxes(GetCurrentProcessId()))
            PostMessageA(box.hwnd, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread, 5000);
    }
    CloseHandle(thread);
    outcome.result = job.result;
    return outcome;
}
