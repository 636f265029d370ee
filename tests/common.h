// The platform chores every test shares: files, registry keys, child
// programs, the launcher as a process, its windows and boxes, the mouse.
// Every wait is on a condition and bounded.
#ifndef AUTORUN_TESTS_COMMON_H
#define AUTORUN_TESTS_COMMON_H
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Serves this thread's messages until `condition` holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000);
std::string Unique(const char* prefix);
std::string WinPath(const std::string& unixPath);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string Text(HWND hwnd);
// This process's open handles.
int Handles();
extern const std::string kLauncher;
extern const char kAppPaths[];

// A new folder below `root` (%TEMP% when empty), removed with its contents.
struct TempDir {
    explicit TempDir(const std::string& root = "");
    ~TempDir();
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

// HKLM\<sub> in this program's registry view, which the launcher of the same
// target reads; deleted with everything below it. Set stores `data` exactly:
// a terminator only when it holds one.
struct RegKey {
    explicit RegKey(const std::string& sub, bool create = true);
    ~RegKey();
    void Set(const char* name, const std::string& data, DWORD type = REG_SZ);
    std::string sub;
};

// The child program copied to `path`; Wait() reads the command line, the
// current directory and the show state (-1: none) it records when started.
struct Child {
    explicit Child(const std::string& path);
    ~Child();
    bool Wait();
    std::string path, line, dir, show;
};

// A real left click on a button, made once it is visible, enabled, uncovered
// and in the active window.
void Click(HWND button);

// Runs `action` in this thread, answering with OK each box it shows; the
// boxes as "caption|text".
std::vector<std::string> RunAnswering(const std::function<void()>& action);

// The launcher started as the shell starts it, with `args`, in `dir`. Its
// boxes are answered with a click and recorded as "caption|text".
struct Launcher {
    Launcher(const std::string& args, const std::string& dir);
    ~Launcher();
    // The visible splash window once the launcher serves its messages; null
    // when the launcher exits first.
    HWND Window();
    // Its exit code, or STILL_ACTIVE after `ms`.
    DWORD Exit(DWORD ms = 10000);
    // Answers boxes until `done` holds; false after `ms`.
    bool Serve(const std::function<bool()>& done, DWORD ms);
    std::vector<std::string> boxes;
    PROCESS_INFORMATION pi = {};
};

// A BMP file, field by field as the file holds them. A new one is valid: a
// full colour table (entry i is red 7i, green 3i, blue 255 - i) and pixel
// bytes that change along each row.
struct Bmp {
    Bmp(WORD bitCount, LONG width, LONG height, bool core = false);
    std::string Bytes() const;  // bfSize and bfOffBits from the parts unless set
    // The colour of pixel (x, y), rows counted from the top, as 0xRRGGBB.
    DWORD Colour(int x, int y) const;
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, 0};
    BITMAPINFOHEADER info = {};
    bool core;
    std::string masks, table, gap, bits;
};
#endif
