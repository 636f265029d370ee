// Starting the launcher as the shell does and using its dialog as a user
// does: real processes, real windows, real mouse input. Every wait is bounded.
#ifndef AUTORUN_TESTS_DRIVER_H
#define AUTORUN_TESTS_DRIVER_H

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool operator!=(const RECT& a, const RECT& b)
{
    return !(a == b);
}

inline void PrintTo(const RECT& r, std::ostream* os)
{
    *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

extern const char kSplashClass[];

// A window as it was when the launcher created it. Wine reports a creation
// to the watching process before the creating call returns, so the caption
// and the frame are those of the dialog being built, before any paint.
struct CreatedWindow {
    std::string cls;
    int id;
    std::string dialogCaption;  // the caption of its dialog at that moment
    RECT rect;                  // in its parent's client coordinates
};

class Launcher {
public:
    Launcher() = default;
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Starts later launches on the named desktop instead of this test's.
    void UseDesktop(const std::string& desktop) { m_desktop = desktop; }
    // Starts the launcher with `args` after its quoted path, in `dir`, and
    // watches which windows it creates.
    bool Start(const std::string& args, const std::string& dir);
    // Starts the launcher with exactly `commandLine`, its own name included.
    bool StartRaw(const std::string& commandLine, const std::string& dir);

    // The visible splash window of this process, or null after `ms`.
    HWND WaitForWindow(DWORD ms = 10000) const;
    // Waits until the window's caption reads `caption`.
    bool WaitForCaption(HWND hwnd, const std::string& caption, DWORD ms = 5000) const;
    // The exit code, or STILL_ACTIVE if the process is still running after `ms`.
    DWORD WaitForExit(DWORD ms = 10000) const;
    // The process id, for matching windows and events to this launcher.
    DWORD Pid() const { return m_pi.dwProcessId; }
    // The windows the launcher created so far, in order.
    const std::vector<CreatedWindow>& Created() const { return m_created; }
    bool Created(const char* cls) const;

private:
    static void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

    PROCESS_INFORMATION m_pi = {};
    std::string m_desktop;
    HWINEVENTHOOK m_hook = NULL;
    std::vector<CreatedWindow> m_created;
};

// Runs `fn` on a thread of its own attached to the named desktop, where
// window enumeration and screen metrics are those of that desktop.
void OnDesktop(const std::string& desktop, const std::function<void()>& fn);

// The caption or text of any process's window, without sending it a message.
std::string WindowText(HWND hwnd);

// A window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// A real left click (mouse move, button down, button up) at a screen point.
void ClickAt(POINT pt);
// A real left click at the centre of a window.
void ClickWindow(HWND hwnd);
// The screen point of the close box in a window's caption, found by asking the
// window what lies under each point of its caption row; {-1, -1} if none.
POINT CloseBoxPoint(HWND hwnd);

// Serves this thread's messages (and so the window-creation reports) for
// up to `ms`.
void PumpMessages(DWORD ms);

// Tries `condition` every 10 ms until it is true or `ms` have passed,
// serving messages in between.
template <class F>
bool WaitUntil(F condition, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        PumpMessages(10);
    }
}

#endif
