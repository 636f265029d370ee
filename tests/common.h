// The platform chores every test shares: files, registry keys, child
// programs, the launcher as a process, its windows and boxes, the mouse and
// the screen. Every wait is on a condition and bounded.
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
// target reads; deleted with everything below it.
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

struct Box {
    HWND hwnd;
    std::string caption, text;
};
std::string Text(HWND hwnd);
// A real left click on a button, made once it is visible, enabled, uncovered
// and in the active window.
void Click(HWND button);
// Answers every box process `pid` shows now with a click on OK.
void AnswerBoxes(DWORD pid, std::vector<Box>* seen);
// Runs `action` on a thread of its own, answering its boxes as a user does.
struct Outcome {
    int result;
    std::vector<Box> boxes;
};
Outcome RunAnswering(const std::function<int()>& action);

// The launcher started as the shell starts it, with `args`, in `dir`.
struct Launcher {
    Launcher(const std::string& args, const std::string& dir);
    ~Launcher();
    // The visible splash window once the launcher serves its messages,
    // answering the boxes shown before it; null when the launcher exits first.
    HWND Window();
    // Answers boxes until the launcher exits: its exit code, or STILL_ACTIVE.
    DWORD Exit(DWORD ms = 10000);
    std::vector<Box> boxes;
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

// The splash dialog made hidden in this process from the launcher's own
// template, as the launcher makes it before it moves anything.
HWND SplashTemplate();
// The screen as the X server shows it: 3 bytes a pixel, rows from the top.
std::string Screenshot();
#endif
