// Windows of any process and the mouse, as a user sees and uses them; the
// message boxes a program shows.
#ifndef AUTORUN_TESTS_DESKTOP_H
#define AUTORUN_TESTS_DESKTOP_H

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

// A message box as the user sees it.
struct Box {
    HWND hwnd;
    std::string caption;
    std::string text;
};

// The visible message boxes of process `pid`.
std::vector<Box> FindBoxes(DWORD pid);
// Answers a box with a real click on its OK button; true when the box is
// gone afterwards. Fails the test if another window covers the button.
bool ClickOk(const Box& box);

// Answers every box process `pid` shows now with a real click on OK, adding
// each to `boxes`; a box that does not go is closed instead. False if any
// box had to be closed.
bool AnswerBoxes(DWORD pid, std::vector<Box>* boxes);

// Runs `action` on a thread of its own, answers every box it shows with OK
// as a user does, and records them. `result` is the action's; `finished` is
// false if it did not return within `ms`.
struct ActionRun {
    int result;
    bool finished;
    std::vector<Box> boxes;
};
ActionRun RunAnsweringBoxes(const std::function<int()>& action, DWORD ms = 10000);

#endif
