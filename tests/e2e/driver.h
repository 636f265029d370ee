// Starting the launcher as the shell does and using its dialog as a user
// does: real processes, real windows, real mouse input. Every wait is bounded.
#ifndef AUTORUN_TESTS_DRIVER_H
#define AUTORUN_TESTS_DRIVER_H

#include <windows.h>

#include "support/desktop.h"

#include <functional>
#include <string>
#include <vector>

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

    // The visible splash window of this process, or null after `ms`. The
    // boxes shown before it are answered with OK and kept in StartBoxes().
    HWND WaitForWindow(DWORD ms = 10000);
    const std::vector<Box>& StartBoxes() const { return m_startBoxes; }
    // Waits until the window's caption reads `caption`.
    bool WaitForCaption(HWND hwnd, const std::string& caption, DWORD ms = 5000) const;
    // The exit code, or STILL_ACTIVE if the process is still running after `ms`.
    DWORD WaitForExit(DWORD ms = 10000) const;
    // Answers the launcher's message boxes with OK as a user does (each must
    // be where the mouse can reach its button) until the launcher exits;
    // returns the exit code, or STILL_ACTIVE after `ms`.
    DWORD AnswerBoxesUntilExit(std::vector<Box>* boxes, DWORD ms = 10000) const;
    // The process id, for matching windows and events to this launcher.
    DWORD Pid() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }
    // The windows the launcher created so far, in order.
    const std::vector<CreatedWindow>& Created() const { return m_created; }
    bool Created(const char* cls) const;

private:
    static void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

    PROCESS_INFORMATION m_pi = {};
    std::string m_desktop;
    HWINEVENTHOOK m_hook = NULL;
    std::vector<CreatedWindow> m_created;
    std::vector<Box> m_startBoxes;
};

// Runs `fn` on a thread of its own attached to the named desktop, where
// window enumeration and screen metrics are those of that desktop.
void OnDesktop(const std::string& desktop, const std::function<void()>& fn);

#endif
