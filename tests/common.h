// The platform chores every test shares, besides driving the launcher
// (driver.h): folders, registry keys, child programs, handles, boxes shown
// in-process; BMP files (bmp.h).
#ifndef AUTORUN_TESTS_COMMON_H
#define AUTORUN_TESTS_COMMON_H
#include "bmp.h"
#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>

const std::string kLauncher = AUTORUN_EXE;
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The box of an action whose program does not start.
const char kCannotInvoke[] = "Error|Could not invoke executable.";

inline std::string Unique(const char* prefix)
{
    static unsigned counter;
    return prefix + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

// This process's open handles. GetProcessHandleCount gives 0 under Wine, so
// every handle value in the range a small process uses is asked about (the
// lowest free value is given out first).
inline int Handles()
{
    int n = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x1000; value += 4)
        n += GetHandleInformation((HANDLE)value, &flags) != 0;
    return n;
}

// A new folder below `root` (%TEMP% when empty), removed with its contents.
struct TempDir {
    explicit TempDir(const std::string& root = "")
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = (root.empty() ? temp : root) + Unique("autorun-");
        CreateDirectoryA(path.c_str(), NULL);
    }
    ~TempDir()
    {
        std::string from = path + '\0';
        SHFILEOPSTRUCTA op = {NULL, FO_DELETE, from.c_str(), NULL, FOF_NO_UI, FALSE, NULL, NULL};
        SHFileOperationA(&op);
    }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

// HKLM\<sub> (or below `root`) in this program's registry view, which the
// launcher of the same target reads; deleted with everything below it.
struct RegKey {
    explicit RegKey(const std::string& s, bool create = true, HKEY r = HKEY_LOCAL_MACHINE) : sub(s), root(r)
    {
        HKEY h;
        if (create && !RegCreateKeyExA(root, sub.c_str(), 0, 0, 0, KEY_WRITE, 0, &h, 0))
            RegCloseKey(h);
    }
    ~RegKey() { RegDeleteTreeA(root, sub.c_str()); }
    // Stores `data` exactly: the platform counts a string's terminator in
    // when the byte after the data is zero, so the byte after is not.
    void Set(const char* name, const std::string& data, DWORD type = REG_SZ)
    {
        std::string bytes = data + 'X';
        HKEY h;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, sub.c_str(), 0, KEY_WRITE, &h));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, name, 0, type, (const BYTE*)bytes.data(), (DWORD)data.size()));
        RegCloseKey(h);
    }
    std::string sub;
    HKEY root;
};

// While it lives, the program named `exe` takes the DLLs `dlls` from where
// its search finds them first, as Windows does: Wine otherwise takes its own
// DLL of such a name wherever the search found one.
struct SearchedDlls {
    SearchedDlls(const std::string& exe, std::initializer_list<const char*> dlls)
        : app("Software\\Wine\\AppDefaults\\" + exe, true, HKEY_CURRENT_USER),
          overrides(app.sub + "\\DllOverrides", true, HKEY_CURRENT_USER)
    {
        for (const char* dll : dlls)
            overrides.Set(dll, std::string("native,builtin", 15));
    }
    RegKey app, overrides;
};

// The child program copied to `path`; Wait() reads the command line, the
// current directory and the show state (-1: none) it records when started.
struct Child {
    explicit Child(const std::string& p) : path(p) { EXPECT_TRUE(CopyFileA(CHILD_EXE, path.c_str(), FALSE)) << path; }
    // The copy may still be running for a moment after it wrote its record.
    ~Child()
    {
        WaitFor([&] { return DeleteFileA(path.c_str()) != 0; }, 5000);
        DeleteFileA((path + ".run").c_str());
    }
    bool Wait()
    {
        std::string record;
        if (!WaitFor([&] {
                record = ReadFile(path + ".run");
                return std::count(record.begin(), record.end(), '\n') == 3;
            }))
            return false;
        std::istringstream in(record);
        std::getline(std::getline(std::getline(in, line), dir), show);
        return true;
    }
    std::string path, line, dir, show;
};

// Runs `action` in this thread, answering with OK each box it shows: once
// it is active, and read as it goes, since its text comes after. The boxes
// as "caption|text".
inline std::vector<std::string> RunAnswering(const std::function<void()>& action)
{
    static std::vector<std::string> boxes;
    boxes.clear();
    auto answer = [](int code, WPARAM wParam, LPARAM lParam) WINAPI -> LRESULT {
        char cls[8] = "";
        HWND box = (HWND)wParam;
        if (code == HCBT_ACTIVATE || code == HCBT_DESTROYWND)
            if (GetClassNameA(box, cls, sizeof cls) && !strcmp(cls, "#32770"))
                code == HCBT_ACTIVATE ? (void)PostMessageA(box, WM_COMMAND, IDOK, 0)
                                      : boxes.push_back(Text(box) + "|" + Text(GetDlgItem(box, IDC_NOTICE)));
        return CallNextHookEx(NULL, code, wParam, lParam);
    };
    HHOOK hook = SetWindowsHookExA(WH_CBT, answer, NULL, GetCurrentThreadId());
    action();
    UnhookWindowsHookEx(hook);
    return boxes;
}

// The program `exe` run in `dir` ("" for this one's) with `args` after its
// quoted name: its exit code and all it printed. Started directly, not through
// cmd, whose only answer to a failed start is "Can't recognize": the reason
// is kept in the output instead.
inline std::pair<DWORD, std::string> RunTool(const wchar_t* exe, const std::wstring& args, const std::string& dir = "")
{
    std::wstring line = L"\"" + std::wstring(exe) + L"\" " + args;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE hRead, hWrite;
    if (!CreatePipe(&hRead, &hWrite, &inherit, 0))
        return {STILL_ACTIVE, "no pipe: error " + std::to_string(GetLastError())};
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = hWrite;
    PROCESS_INFORMATION pi;
    const std::wstring folder(dir.begin(), dir.end());
    const BOOL started =
        CreateProcessW(exe, &line[0], NULL, NULL, TRUE, 0, NULL, dir.empty() ? NULL : folder.c_str(), &si, &pi);
    const DWORD error = GetLastError();
    CloseHandle(hWrite);
    std::string out;
    char buffer[4096];
    for (DWORD n; started && ReadFile(hRead, buffer, sizeof buffer, &n, NULL) && n;)
        out.append(buffer, n);
    CloseHandle(hRead);
    if (!started)
        return {STILL_ACTIVE, "did not start: error " + std::to_string(error)};
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return {code, out};
}

// autorun-check run on `folder` (after `mode`, as in "--inf"): its exit code
// and what it printed.
inline std::pair<DWORD, std::string> RunCheck(const std::string& folder, const std::string& mode = "")
{
    const std::string args = (mode.empty() ? "" : mode + " ") + "\"" + folder + "\"";
    return RunTool(L"" CHECK_EXE, std::wstring(args.begin(), args.end()));
}

// Each of `said` is in `out`, and none of `unsaid`.
inline void ExpectSaid(const std::string& out, const std::vector<std::string>& said,
                       const std::vector<std::string>& unsaid = {})
{
    for (const std::string& s : said)
        EXPECT_NE(std::string::npos, out.find(s)) << "no \"" << s << "\" in:\n" << out;
    for (const std::string& s : unsaid)
        EXPECT_EQ(std::string::npos, out.find(s)) << "\"" << s << "\" in:\n" << out;
}

#endif
