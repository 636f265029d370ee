#include "e2e/driver.h"

#include "support/paths.h"

#include <gtest/gtest.h>

#include <vector>

const char kSplashClass[] = "SPLASH_SCREEN";

// The launchers being watched; the event callback has no context pointer.
static std::vector<Launcher*> watched;

static std::string ClassOf(HWND hwnd)
{
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    return cls;
}

void CALLBACK Launcher::OnCreate(HWINEVENTHOOK, DWORD, HWND hwnd, LONG idObject, LONG, DWORD,
                                 DWORD)
{
    if (idObject != OBJID_WINDOW || !hwnd)
        return;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    for (Launcher* l : watched) {
        if (l->m_pi.dwProcessId != pid)
            continue;
        HWND dialog = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : hwnd;
        CreatedWindow w = {ClassOf(hwnd), GetDlgCtrlID(hwnd), WindowText(dialog), {}};
        if (dialog != hwnd)
            w.rect = ChildRect(hwnd);
        l->m_created.push_back(w);
    }
}

bool Launcher::Created(const char* cls) const
{
    for (const CreatedWindow& w : m_created)
        if (w.cls == cls)
            return true;
    return false;
}

Launcher::~Launcher()
{
    if (m_hook)
        UnhookWinEvent(m_hook);
    for (size_t i = 0; i < watched.size(); i++)
        if (watched[i] == this)
            watched.erase(watched.begin() + i);
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_pi.hProcess, 99);
            WaitForSingleObject(m_pi.hProcess, 5000);
        }
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
}

bool Launcher::Start(const std::string& args, const std::string& dir)
{
    return StartRaw("\"" + LauncherPath() + "\" " + args, dir);
}

bool Launcher::StartRaw(const std::string& commandLine, const std::string& dir)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!m_desktop.empty())
        si.lpDesktop = &m_desktop[0];
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // The program is named separately, so that the command line can take
    // any form the shell might give it.
    if (!CreateProcessA(LauncherPath().c_str(), line.data(), NULL, NULL, FALSE, CREATE_SUSPENDED,
                        NULL, dir.empty() ? NULL : dir.c_str(), &si, &m_pi))
        return false;
    watched.push_back(this);
    m_hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, OnCreate,
                             m_pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(m_pi.hThread);
    return m_hook != NULL;
}

struct FindData {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindSplash(HWND hwnd, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    char cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == data->pid && GetClassNameA(hwnd, cls, sizeof cls) && !strcmp(cls, kSplashClass)
        && IsWindowVisible(hwnd)) {
        data->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Launcher::WaitForWindow(DWORD ms)
{
    FindData data = {m_pi.dwProcessId, NULL};
    auto find = [&] { EnumWindows(FindSplash, (LPARAM)&data); };
    WaitUntil([&] {
        // A picture that cannot be loaded is reported before the dialog.
        EXPECT_TRUE(AnswerBoxes(m_pi.dwProcessId, &m_startBoxes)) << "a box did not go";
        if (m_desktop.empty())
            find();
        else
            OnDesktop(m_desktop, find);
        return data.found != NULL || WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0;
    }, ms);
    return data.found;
}

bool Launcher::WaitForCaption(HWND hwnd, const std::string& caption, DWORD ms) const
{
    return WaitUntil([&] { return WindowText(hwnd) == caption; }, ms);
}

DWORD Launcher::WaitForExit(DWORD ms) const
{
    DWORD code = STILL_ACTIVE;
    if (WaitUntil([&] { return WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0; }, ms))
        GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

DWORD Launcher::AnswerBoxesUntilExit(std::vector<Box>* boxes, DWORD ms) const
{
    DWORD code = STILL_ACTIVE;
    WaitUntil([&] {
        EXPECT_TRUE(AnswerBoxes(m_pi.dwProcessId, boxes)) << "a box did not go";
        code = WaitForExit(0);
        return code != STILL_ACTIVE;
    }, ms);
    return code;
}

void OnDesktop(const std::string& desktop, const std::function<void()>& fn)
{
    struct Job {
        HDESK hDesk;
        const std::function<void()>* fn;
    } job = {OpenDesktopA(desktop.c_str(), 0, FALSE, GENERIC_ALL), &fn};
    auto run = [](LPVOID p) WINAPI -> DWORD {
        Job* j = (Job*)p;
        if (!SetThreadDesktop(j->hDesk))
            return 1;
        (*j->fn)();
        return 0;
    };
    HANDLE thread = CreateThread(NULL, 0, run, &job, 0, NULL);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseDesktop(job.hDesk);
}
