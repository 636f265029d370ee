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

// Names a table row after its first member, a C string.
struct CaseName {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const
    {
        std::string s = info.param.name;
        for (char& c : s)
            if (!isalnum((unsigned char)c))
                c = '_';
        return s;
    }
};

// Serves this thread's messages until `condition` holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000);
std::string Unique(const char* prefix);
std::string WinPath(const std::string& unixPath);
std::string LauncherPath();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

// HKLM\<sub>, in this program's registry view (the launcher of the same
// target reads the same one); deleted with everything below it.
struct RegKey {
    explicit RegKey(const std::string& sub);
    ~RegKey();
    void Set(const char* name, const std::string& data, DWORD type = REG_SZ);
    std::string sub;
};
extern const char kAppPaths[];

// The child program copied to `path`; it records its command line and
// current directory, which Wait() reads.
struct Child {
    explicit Child(const std::string& path);
    ~Child();
    bool Wait(DWORD ms = 10000);
    std::string path, line, dir;
};

struct Box {
    HWND hwnd;
    std::string caption, text;
};
std::string Text(HWND hwnd);
// A real left click at the centre of `hwnd`, made once the window is
// visible, enabled, the topmost window at that point and in the active window.
void Click(HWND hwnd);
// Answers every box process `pid` shows now with a click on OK.
void AnswerBoxes(DWORD pid, std::vector<Box>* seen);
// Runs `action` on a thread of its own, answering its boxes as a user does.
struct Outcome {
    int result;
    std::vector<Box> boxes;
};
Outcome RunAnswering(const std::function<int()>& action);

// The launcher started as the shell starts it.
class Launcher {
public:
    Launcher(const std::string& args, const std::string& dir, const char* desktop = nullptr);
    ~Launcher();
    // The visible splash window once the launcher serves its messages,
    // answering the boxes shown before it; null when the launcher exits or
    // `ms` pass first.
    HWND Window(DWORD ms = 10000);
    // Answers boxes until the launcher exits: its exit code, or STILL_ACTIVE.
    DWORD Exit(DWORD ms = 10000);
    std::vector<Box> boxes;
    PROCESS_INFORMATION pi = {};
};

// A BMP file, field by field as the file holds them. A new one is valid: a
// full colour table (entry i is (7i, 3i, 255 - i) as red, green, blue) and
// pixel indexes that run along each row.
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

// The screen as the X server shows it, 0xRRGGBB per pixel.
struct Screen {
    Screen();
    DWORD At(int x, int y) const;
    std::string rgb;
    int width, height;
};
#endif
