// Driving the launcher as a user does, under Wine or Windows: started as the
// shell starts it, its dialog found once it serves its messages, read,
// clicked with the real mouse, its boxes answered, the screen captured.
// Every wait is on a condition and bounded. Used by the demo player and by
// the tests.
#ifndef AUTORUN_TOOLS_DRIVER_H
#define AUTORUN_TOOLS_DRIVER_H
#include <windows.h>
#include "authoring/common/toolio.h"
#include "resources/resource.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

// Serves this thread's messages until `condition` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000)
{
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > ms)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline std::string ReadFile(const std::string& path)
{
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A window's text in UTF-8, also when its thread does not answer.
inline std::string Text(HWND hwnd)
{
    WCHAR text[1100];
    return Narrow(CP_UTF8, std::wstring(text, InternalGetWindowText(hwnd, text, 1100)));
}

// The first visible top-level window of class `cls` of process `pid`.
inline HWND Find(DWORD pid, const char* cls)
{
    std::tuple<DWORD, const char*, HWND> f(pid, cls, NULL);
    EnumWindows(
        [](HWND hwnd, LPARAM p) WINAPI -> BOOL {
            auto& [owner, name, found] = *(std::tuple<DWORD, const char*, HWND>*)p;
            char buf[32] = "";
            DWORD id = 0;
            GetWindowThreadProcessId(hwnd, &id);
            GetClassNameA(hwnd, buf, sizeof buf);
            found = id == owner && IsWindowVisible(hwnd) && !strcmp(buf, name) ? hwnd : NULL;
            return !found;
        },
        (LPARAM)&f);
    return std::get<2>(f);
}

// A real left click on a button, made once it is visible, enabled, uncovered
// and in the active window: "" once it took the click, else why not.
inline std::string Click(HWND button)
{
    const HWND root = GetAncestor(button, GA_ROOT);
    POINT at = {};
    if (!WaitFor([&] {
            RECT r;
            GetWindowRect(button, &r);
            at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            // A click that lands while the window is being activated can be
            // taken by the activation: wait until its thread has made it the
            // active window and given the focus.
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            GetGUIThreadInfo(GetWindowThreadProcessId(button, NULL), &gui);
            return IsWindowVisible(button) && IsWindowEnabled(button) && WindowFromPoint(at) == button &&
                   gui.hwndFocus && gui.hwndActive == root && GetForegroundWindow() == root;
        }))
        return "'" + Text(button) + "' is not visible, enabled, uncovered and active";
    // Every click made here closes the button's window or brings up a box
    // over it. Under Wine a pointer motion or a focus change still on its
    // way from the X server can carry the press or the release elsewhere, and
    // the click is lost: a button that shows no press, or whose window stays
    // active and unpressed after the release, never had the click, so it is
    // clicked again. The launcher's own code has no part in whether input
    // arrives, and a click it ignores is ignored every time.
    auto pushed = [&] {
        DWORD_PTR state = 0;
        SendMessageTimeoutA(button, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 1000, &state);
        return (state & BST_PUSHED) != 0;
    };
    for (int attempt = 0; attempt < 3; attempt++) {
        SetCursorPos(at.x, at.y);
        POINT now;
        if (!WaitFor([&] { return GetCursorPos(&now) && now.x == at.x && now.y == at.y; }))
            return "the pointer did not move onto '" + Text(button) + "'";
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        bool down = WaitFor(pushed, 5000);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        if ((down && WaitFor([&] { return !IsWindow(root) || GetForegroundWindow() != root; }, 5000)) ||
            (IsWindow(button) && pushed()))
            return "";
    }
    return "'" + Text(button) + "' never took the click";
}

// The launcher `exe` started as the shell starts it, with `args`, in `dir`.
// Its boxes are answered with a click on OK and kept as "caption|text"; it
// is ended if it still runs when this goes.
struct Launcher {
    // Started with the command line `args` (UTF-8, any script) in `dir`.
    Launcher(const std::string& exe, const std::string& args, const std::string& dir)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring line = Wide(CP_UTF8, "\"" + exe + "\" " + args);
        CreateProcessW(Wide(CP_UTF8, exe).c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, Wide(CP_UTF8, dir).c_str(),
                       &si, &pi);
    }
    ~Launcher()
    {
        if (Running()) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    bool Running() { return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    // Answers boxes until `done` holds; false after `ms`.
    bool Serve(const std::function<bool()>& done, DWORD ms)
    {
        return WaitFor(
            [&] {
                if (HWND box = Find(pi.dwProcessId, "#32770")) {
                    boxes.push_back(Text(box) + "|" + Text(GetDlgItem(box, IDC_NOTICE)));
                    std::string failed = Click(GetDlgItem(box, IDOK));
                    if (!failed.empty() || !WaitFor([&] { return !IsWindow(box); }))
                        boxes.back() += " (not answered: " + (failed.empty() ? "it stays" : failed) + ")";
                }
                return done();
            },
            ms);
    }
    // The visible splash window once the launcher serves its messages; null
    // when the launcher exits first.
    HWND Window()
    {
        HWND found = NULL;
        Serve([&] { return (found = Find(pi.dwProcessId, SPLASH_SCREEN_NAME)) || !Running(); }, 10000);
        // A sent message is answered only from the launcher's message loop,
        // which it enters once its dialog is set up.
        DWORD_PTR result;
        SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
        return found;
    }
    // Its exit code, or STILL_ACTIVE after `ms`.
    DWORD Exit(DWORD ms = 10000)
    {
        DWORD code = STILL_ACTIVE;
        Serve([&] { return !Running(); }, ms);
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    // Why Window() found none, for a message.
    std::string NoDialog()
    {
        DWORD code = STILL_ACTIVE;
        if (!pi.hProcess || !GetExitCodeProcess(pi.hProcess, &code))
            return "no dialog: the launcher was not started";
        if (code == STILL_ACTIVE)
            return "no dialog: the launcher runs on";
        char said[64];
        snprintf(said, sizeof said, "no dialog: the launcher ended with code %#lx", code);
        return said;
    }
    std::vector<std::string> boxes;
    PROCESS_INFORMATION pi = {};
};

// The screen as the X server shows it, 3 bytes a pixel, rows from the top;
// empty when none comes. A program under Wine cannot read other programs'
// pixels: the harness (tools/harness/harness.sh) takes the shot when asked through
// a file in its folder AUTORUN_SCREEN_DIR.
inline std::string Screenshot()
{
    char dir[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("AUTORUN_SCREEN_DIR", dir, sizeof dir))
        return "";
    static unsigned counter;
    std::string base =
        "Z:" + std::string(dir) + "\\shot" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    std::string shot = base + ".rgb", rgb;
    WriteFile(base + ".request", "\n");
    if (WaitFor([&] { return GetFileAttributesA(shot.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        rgb = ReadFile(shot);
    DeleteFileA(shot.c_str());
    return rgb;
}
#endif
