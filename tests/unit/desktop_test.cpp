// Text to the session's real clipboard, and the platform family as Wine shows
// it to a program under the Windows version set for that program alone.
#include "util/util.h"
#include "support/cases.h"
#include "support/desktop.h"
#include "support/paths.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

// A message-only window of the calling thread, destroyed at the end.
class OwnWindow {
public:
    OwnWindow() : m_hwnd(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                         NULL, NULL))
    {
        EXPECT_NE(nullptr, m_hwnd) << "CreateWindowExA: " << GetLastError();
    }
    ~OwnWindow() { DestroyWindow(m_hwnd); }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    operator HWND() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

// Opens the clipboard for hwnd, waiting while the session's clipboard manager
// has it open for a moment, as a patient program would. Messages are served
// meanwhile: the manager may be waiting for an answer from our window.
static bool OpenClipboardPatiently(HWND hwnd)
{
    return WaitUntil([&] { return OpenClipboard(hwnd) != 0; }, 10000);
}

static HGLOBAL Block(const std::string& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    memcpy(GlobalLock(h), bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(h);
    return h;
}

// A format of our own, which only the starting state below puts there.
static UINT MarkerFormat()
{
    return RegisterClipboardFormatA("autorun helpers test marker");
}

// A starting state put there the plain way: text, and the marker format
// beside it.
static bool PutText(HWND hwnd, const std::string& text)
{
    if (!OpenClipboardPatiently(hwnd))
        return false;
    EmptyClipboard();
    bool put = true;
    for (UINT format : {(UINT)CF_TEXT, MarkerFormat()}) {
        HGLOBAL h = Block(text);
        if (!SetClipboardData(format, h)) {
            GlobalFree(h);
            put = false;
        }
    }
    CloseClipboard();
    return put;
}

// The clipboard's CF_TEXT, up to its terminator; false when there is none.
static bool ReadText(HWND hwnd, std::string* text)
{
    if (!OpenClipboardPatiently(hwnd))
        return false;
    HANDLE h = GetClipboardData(CF_TEXT);
    const char* p = h ? (const char*)GlobalLock(h) : nullptr;
    if (p) {
        *text = std::string(p, strnlen(p, GlobalSize(h)));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return p != nullptr;
}

// Whether two texts are equal; where they part if not (a long text is not
// printed whole).
static ::testing::AssertionResult SameText(const std::string& want, const std::string& got)
{
    if (want == got)
        return ::testing::AssertionSuccess();
    size_t n = std::min(want.size(), got.size());
    size_t at = std::mismatch(want.begin(), want.begin() + n, got.begin()).first - want.begin();
    auto failure = ::testing::AssertionFailure();
    failure << "got " << got.size() << " characters, want " << want.size()
            << "; they differ from index " << at;
    if (got.size() < 80)
        failure << "; got \"" << got << "\"";
    return failure;
}

static std::string LongText(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; i++)
        s += (char)('!' + (i * 7 + i / 94) % 94);
    return s;
}

struct ClipboardCase {
    const char* name;
    std::string text;
};
PRINT_CASE_AS_NAME(ClipboardCase)

static const ClipboardCase kClipboardCases[] = {
    {"text", "Talvik Software\r\nDisc 1\tof 2"},
    {"empty text", ""},
    {"characters above 127", "Caf\xe9 \xa9 2026 \xff"},
    {"100000 characters", LongText(100000)},
};

class Clipboard : public ::testing::TestWithParam<ClipboardCase> {};

TEST_P(Clipboard, HoldsTheTextAfterwards)
{
    const ClipboardCase& c = GetParam();
    OwnWindow own;
    ASSERT_TRUE(PutText(own, "what was there before"));

    EXPECT_EQ(1, CopyStringToClipboard(c.text.c_str(), own));
    EXPECT_NE((HWND)own, GetOpenClipboardWindow()) << "the clipboard was left open";
    std::string text;
    ASSERT_TRUE(ReadText(own, &text)) << "no text on the clipboard";
    EXPECT_TRUE(SameText(c.text, text));
    // The text replaced what was there, and the window owns it.
    EXPECT_FALSE(IsClipboardFormatAvailable(MarkerFormat())) << "the old contents stayed";
    EXPECT_EQ((HWND)own, GetClipboardOwner());
}

INSTANTIATE_TEST_SUITE_P(Texts, Clipboard, ::testing::ValuesIn(kClipboardCases), CaseName());

// A window of another thread that holds the clipboard open until released.
// Our thread serves its messages while it waits for that thread, as the
// clipboard's owner must.
class ClipboardHolder {
public:
    ClipboardHolder()
        : m_opened(CreateEventA(NULL, TRUE, FALSE, NULL)),
          m_release(CreateEventA(NULL, TRUE, FALSE, NULL)),
          m_done(CreateEventA(NULL, TRUE, FALSE, NULL))
    {
        m_thread = std::thread([this] {
            HWND hwnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL,
                                        NULL);
            m_holding = hwnd && OpenClipboardPatiently(hwnd);
            SetEvent(m_opened);
            WaitForSingleObject(m_release, 20000);
            if (m_holding)
                CloseClipboard();
            DestroyWindow(hwnd);
            SetEvent(m_done);
        });
        WaitFor(m_opened);
    }
    ~ClipboardHolder()
    {
        Release();
        CloseHandle(m_opened);
        CloseHandle(m_release);
        CloseHandle(m_done);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

    bool Holding() const { return m_holding; }
    void Release()
    {
        SetEvent(m_release);
        WaitFor(m_done);
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    static void WaitFor(HANDLE event)
    {
        WaitUntil([&] { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }, 20000);
    }

    HANDLE m_opened, m_release, m_done;
    std::atomic<bool> m_holding{false};
    std::thread m_thread;
};

TEST(ClipboardBusy, FailsAndKeepsTheOldText)
{
    OwnWindow own;
    ASSERT_TRUE(PutText(own, "what was there before"));
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding()) << "the other thread could not open the clipboard";

    EXPECT_EQ(0, CopyStringToClipboard("new text", own));
    holder.Release();
    std::string text;
    ASSERT_TRUE(ReadText(own, &text)) << "no text on the clipboard";
    EXPECT_TRUE(SameText("what was there before", text));
    EXPECT_TRUE(IsClipboardFormatAvailable(MarkerFormat())) << "the marker went";
}

// Wine's Windows version for one program, by its file name; removed at the
// end. Other programs of the session keep theirs.
class ProgramVersion {
public:
    ProgramVersion(const std::string& exeName, const char* version)
        : m_key("Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY h;
        LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, NULL, 0, KEY_SET_VALUE,
                                  NULL, &h, NULL);
        EXPECT_EQ(ERROR_SUCCESS, rc) << "cannot create HKCU\\" << m_key;
        if (rc == ERROR_SUCCESS) {
            EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Version", 0, REG_SZ, (const BYTE*)version,
                                                    (DWORD)strlen(version) + 1));
            RegCloseKey(h);
        }
    }
    ~ProgramVersion() { RegDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str()); }
    ProgramVersion(const ProgramVersion&) = delete;
    ProgramVersion& operator=(const ProgramVersion&) = delete;

private:
    std::string m_key;
};

struct PlatformCase {
    const char* name;
    const char* version;     // as Wine names it
    unsigned major, minor;   // what GetVersion() tells the probe
    int result;
};
PRINT_CASE_AS_NAME(PlatformCase)

static const PlatformCase kPlatformCases[] = {
    {"Windows 95", "win95", 4, 0, 1},
    {"Windows 98", "win98", 4, 10, 1},
    {"Windows NT 4", "nt40", 4, 0, 0},
    {"Windows XP", "winxp", 5, 1, 0},
    // A program whose manifest does not claim Windows 10 is told 6.2 there.
    {"Windows 10", "win10", 6, 2, 0},
};

class Platform : public ::testing::TestWithParam<PlatformCase> {};

// The probe exits with IsPlatformWindows95() and records what GetVersion()
// told it.
TEST_P(Platform, FamilyOfTheVersionShown)
{
    const PlatformCase& c = GetParam();
    TempDir dir;
    std::string exeName = UniqueName("probe") + ".exe";
    std::string exe = dir.Path() + "\\" + exeName;
    ASSERT_TRUE(CopyFileA(WindowsPath(PLATFORM_PROBE_EXE).c_str(), exe.c_str(), FALSE))
        << "cannot copy the probe to " << exe;

    DWORD exitCode = 0, wait;
    {
        ProgramVersion version(exeName, c.version);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL,
                                   dir.Path().c_str(), &si, &pi))
            << "CreateProcessA: " << GetLastError();
        wait = WaitForSingleObject(pi.hProcess, 20000);
        if (wait != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    ASSERT_EQ(WAIT_OBJECT_0, wait) << "the probe did not exit";

    int windows95 = -1;
    unsigned major = 0, minor = 0;
    {
        std::ifstream record(exe + ".ver");
        record >> windows95 >> major >> minor;
        ASSERT_TRUE(record) << "the probe left no record";
    }
    EXPECT_EQ(c.major, major) << "major version shown to the probe";
    EXPECT_EQ(c.minor, minor) << "minor version shown to the probe";
    EXPECT_EQ(c.result, windows95) << "GetVersion()'s Windows 95 family bit";
    EXPECT_EQ((DWORD)c.result, exitCode) << "IsPlatformWindows95()";
}

INSTANTIATE_TEST_SUITE_P(Versions, Platform, ::testing::ValuesIn(kPlatformCases), CaseName());
