#include "common.h"

#include <algorithm>
#include <fstream>
#include <sstream>

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

bool WaitFor(const std::function<bool()>& condition, DWORD ms)
{
    for (DWORD start = GetTickCount();;) {
        if (condition())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

std::string Unique(const char* prefix)
{
    static unsigned counter;
    return prefix + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

std::string WinPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string LauncherPath()
{
    return WinPath(AUTORUN_EXE);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TempDir::TempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path = temp + Unique("autorun-");
    CreateDirectoryA(path.c_str(), NULL);
}

static void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) {
        std::string name = fd.cFileName, path = dir + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(path.c_str());
        else if (name != "." && name != "..")
            RemoveTree(path);
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    RemoveDirectoryA(dir.c_str());
}

TempDir::~TempDir()
{
    RemoveTree(path);
}

RegKey::RegKey(const std::string& s) : sub(s)
{
    HKEY h;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, NULL, 0,
                                             KEY_WRITE, NULL, &h, NULL)) << sub;
    RegCloseKey(h);
}

RegKey::~RegKey()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, sub.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, sub.c_str());
}

void RegKey::Set(const char* name, const std::string& data, DWORD type)
{
    // The platform counts a string's terminator in when the byte after the
    // data is zero; a non-zero byte there keeps the data exactly as given.
    std::string bytes = data + 'X';
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_WRITE, &h));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, name, 0, type, (const BYTE*)bytes.data(),
                                            (DWORD)data.size()));
    RegCloseKey(h);
}

Child::Child(const std::string& p) : path(p)
{
    EXPECT_TRUE(CopyFileA(WinPath(CHILD_EXE).c_str(), path.c_str(), FALSE)) << path;
}

Child::~Child()
{
    // The copy may still be running for a moment after it wrote its record.
    WaitFor([&] { return DeleteFileA(path.c_str()) != 0; }, 5000);
    DeleteFileA((path + ".run").c_str());
}

bool Child::Wait(DWORD ms)
{
    // The record appears whole, but may be held open a moment by the rename.
    std::string record;
    if (!WaitFor([&] {
            record = ReadFile(path + ".run");
            return std::count(record.begin(), record.end(), '\n') == 2;
        }, ms))
        return false;
    std::istringstream in(record);
    std::getline(in, line);
    std::getline(in, dir);
    return true;
}

std::string Text(HWND hwnd)
{
    WCHAR text[1100];
    char ansi[2200];
    int n = InternalGetWindowText(hwnd, text, 1100);
    return std::string(ansi, WideCharToMultiByte(CP_ACP, 0, text, n, ansi, sizeof ansi, 0, 0));
}

static void Mouse(POINT pt, DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    // Normalised coordinates, rounded up so that they map back onto pt.
    in.mi.dx = (pt.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    in.mi.dy = (pt.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void Click(HWND hwnd)
{
    RECT r;
    POINT at = {};
    bool ready = WaitFor([&] {
        GetWindowRect(hwnd, &r);
        at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        // A click that lands while the window is being activated can be
        // taken by the activation: wait until it is the active one.
        return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && WindowFromPoint(at) == hwnd &&
               GetForegroundWindow() == GetAncestor(hwnd, GA_ROOT);
    });
    ASSERT_TRUE(ready) << "'" << Text(hwnd) << "' is not visible, enabled, uncovered and active";
    // Under Wine a pointer motion from an earlier move can still be on its
    // way from the X server and carry the press elsewhere: a press the button
    // does not show never reached it, so the button is pressed again. The
    // launcher's own code has no part in whether the press arrives.
    bool pushed = false;
    for (int attempt = 0; attempt < 3 && !pushed; attempt++) {
        Mouse(at, MOUSEEVENTF_MOVE);
        POINT now;
        ASSERT_TRUE(WaitFor([&] { return GetCursorPos(&now) && now.x == at.x && now.y == at.y; }));
        Mouse(at, MOUSEEVENTF_LEFTDOWN);
        pushed = WaitFor([&] {
            DWORD_PTR state = 0;
            SendMessageTimeoutA(hwnd, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 1000, &state);
            return (state & BST_PUSHED) != 0;
        }, 5000);
        Mouse(at, MOUSEEVENTF_LEFTUP);
    }
    EXPECT_TRUE(pushed) << "'" << Text(hwnd) << "' never showed the press";
}

void AnswerBoxes(DWORD pid, std::vector<Box>* seen)
{
    std::pair<DWORD, std::vector<HWND>> found(pid, {});
    EnumWindows([](HWND hwnd, LPARAM p) WINAPI -> BOOL {
        auto* f = (std::pair<DWORD, std::vector<HWND>>*)p;
        char cls[16] = "";
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        GetClassNameA(hwnd, cls, sizeof cls);
        if (owner == f->first && !strcmp(cls, "#32770") && IsWindowVisible(hwnd))
            f->second.push_back(hwnd);
        return TRUE;
    }, (LPARAM)&found);
    for (HWND box : found.second) {
        seen->push_back({box, Text(box), Text(GetDlgItem(box, 0xFFFF))});
        Click(GetDlgItem(box, IDOK));
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << "the box stays: " << Text(box);
    }
}

Outcome RunAnswering(const std::function<int()>& action)
{
    struct Job {
        const std::function<int()>* action;
        int result;
    } job = {&action, -1};
    HANDLE thread = CreateThread(NULL, 0, [](LPVOID p) WINAPI -> DWORD {
        ((Job*)p)->result = (*((Job*)p)->action)();
        return 0;
    }, &job, 0, NULL);
    Outcome outcome = {-1, {}};
    EXPECT_TRUE(WaitFor([&] {
        AnswerBoxes(GetCurrentProcessId(), &outcome.boxes);
        return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    }, 20000)) << "the action did not return";
    CloseHandle(thread);
    outcome.result = job.result;
    return outcome;
}

Launcher::Launcher(const std::string& args, const std::string& dir, const char* desktop)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.lpDesktop = (char*)desktop;
    std::string line = "\"" + LauncherPath() + "\" " + args;
    EXPECT_TRUE(CreateProcessA(LauncherPath().c_str(), &line[0], NULL, NULL, FALSE,
                               CREATE_SUSPENDED, NULL, dir.c_str(), &si, &pi)) << line;
    ResumeThread(pi.hThread);
}

Launcher::~Launcher()
{
    if (pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "the launcher is still running";
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

HWND Launcher::Window(DWORD ms)
{
    std::pair<DWORD, HWND> found(pi.dwProcessId, NULL);
    WaitFor([&] {
        AnswerBoxes(pi.dwProcessId, &boxes);
        EnumWindows([](HWND hwnd, LPARAM p) WINAPI -> BOOL {
            auto* f = (std::pair<DWORD, HWND>*)p;
            char cls[32] = "";
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            GetClassNameA(hwnd, cls, sizeof cls);
            if (owner == f->first && !strcmp(cls, "SPLASH_SCREEN") && IsWindowVisible(hwnd))
                f->second = hwnd;
            return !f->second;
        }, (LPARAM)&found);
        return found.second || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    }, ms);
    // A sent message is answered only from the launcher's message loop,
    // which it enters once its dialog is set up.
    DWORD_PTR result;
    SendMessageTimeoutA(found.second, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &result);
    return found.second;
}

DWORD Launcher::Exit(DWORD ms)
{
    DWORD code = STILL_ACTIVE;
    WaitFor([&] {
        AnswerBoxes(pi.dwProcessId, &boxes);
        return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    }, ms);
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

// A program under Wine cannot read other programs' pixels: the harness takes
// the shot for it when asked through a file.
Screen::Screen() : width(GetSystemMetrics(SM_CXSCREEN)), height(GetSystemMetrics(SM_CYSCREEN))
{
    char dir[MAX_PATH];
    if (!GetEnvironmentVariableA("AUTORUN_SCREEN_DIR", dir, sizeof dir)) {
        ADD_FAILURE() << "no screenshots: run under tools/harness.sh";
        return;
    }
    std::string base = WinPath(dir) + "\\" + Unique("shot");
    WriteFile(base + ".request", "\n");
    if (!WaitFor([&] {
            return GetFileAttributesA((base + ".rgb").c_str()) != INVALID_FILE_ATTRIBUTES;
        })) {
        ADD_FAILURE() << "no screenshot came";
        return;
    }
    rgb = ReadFile(base + ".rgb");
    DeleteFileA((base + ".rgb").c_str());
    EXPECT_EQ((size_t)width * height * 3, rgb.size());
}

DWORD Screen::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height || rgb.empty())
        return 0xFFFFFFFF;
    const BYTE* p = (const BYTE*)rgb.data() + ((size_t)y * width + x) * 3;
    return (DWORD)p[0] << 16 | (DWORD)p[1] << 8 | p[2];
}

Bmp::Bmp(WORD bitCount, LONG width, LONG height, bool isCore) : core(isCore)
{
    info = {sizeof info, width, height, 1, bitCount, BI_RGB, 0, 2835, 2835, 0, 0};
    for (int i = 0; bitCount <= 8 && i < 1 << bitCount; i++) {
        char entry[4] = {(char)(255 - i), (char)(3 * i), (char)(7 * i), 0};
        table.append(entry, core ? 3 : 4);
    }
    size_t stride = ((size_t)bitCount * width + 31) / 32 * 4;
    for (size_t i = 0; i < stride * height; i++)
        bits += (char)(i % stride * 8 / (bitCount < 8 ? bitCount : 8) * 0x11 + i / stride);
}

std::string Bmp::Bytes() const
{
    std::string head;
    if (core) {
        BITMAPCOREHEADER c = {sizeof c, (WORD)info.biWidth, (WORD)info.biHeight, info.biPlanes,
                              info.biBitCount};
        head.assign((const char*)&c, sizeof c);
    } else {
        head.assign((const char*)&info, sizeof info);
    }
    BITMAPFILEHEADER f = file;
    size_t offBits = sizeof f + head.size() + masks.size() + table.size() + gap.size();
    f.bfSize = f.bfSize ? f.bfSize : (DWORD)(offBits + bits.size());
    f.bfOffBits = f.bfOffBits ? f.bfOffBits : (DWORD)offBits;
    return std::string((const char*)&f, sizeof f) + head + masks + table + gap + bits;
}

DWORD Bmp::Colour(int x, int y) const
{
    int depth = info.biBitCount, stride = (depth * info.biWidth + 31) / 32 * 4;
    int bit = x * depth;
    BYTE stored = (BYTE)bits[(info.biHeight - 1 - y) * stride + bit / 8];
    int index = (stored >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
    const BYTE* entry = (const BYTE*)table.data() + (core ? 3 : 4) * index;
    return (DWORD)entry[2] << 16 | (DWORD)entry[1] << 8 | entry[0];
}

HWND SplashTemplate()
{
    HMODULE exe = LoadLibraryExA(LauncherPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC res = FindResourceA(exe, "SPLASH_SCREEN", RT_DIALOG);
    if (!res)
        return NULL;
    std::string tmpl((const char*)LockResource(LoadResource(exe, res)), SizeofResource(exe, res));
    FreeLibrary(exe);
    ((DLGTEMPLATE*)&tmpl[0])->style &= ~WS_VISIBLE;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "SPLASH_SCREEN";
    RegisterClassA(&wc);
    return CreateDialogIndirectParamA(wc.hInstance, (DLGTEMPLATE*)&tmpl[0], NULL, NULL, 0);
}
