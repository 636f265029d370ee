// Start-up as the shell does it: the command line, the switches that keep
// the launcher away, and hostile lengths.
#include "e2e/driver.h"
#include "support/cases.h"
#include "support/paths.h"
#include "support/regkey.h"

#include <memory>

class Startup : public ::testing::Test {
protected:
    TempDir dir;
    Launcher launcher;
};

// A top-level window of a class of its own, as a running application has.
class OtherApplication {
public:
    OtherApplication() : m_class(UniqueName("AutorunTestApp"))
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = m_class.c_str();
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA(m_class.c_str(), "other", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL,
                               wc.hInstance, NULL);
    }
    ~OtherApplication()
    {
        DestroyWindow(m_hwnd);
        UnregisterClassA(m_class.c_str(), GetModuleHandleA(NULL));
    }
    const std::string& Class() const { return m_class; }

private:
    std::string m_class;
    HWND m_hwnd;
};

enum class Outcome { StaysAway, Shows };

struct AwayCase {
    const char* name;
    bool installed;
    bool otherRunning;
    const char* args;  // "%A" stands for -A with the application's name, "%P" for its class
    Outcome outcome;
};
PRINT_CASE_AS_NAME(AwayCase)

static const AwayCase kAwayCases[] = {
    {"P names a running window's class", false, true, "%A -P%P", Outcome::StaysAway},
    {"P names a class nobody has", false, false, "%A -PNoSuchClass", Outcome::Shows},
    {"P with nothing attached", false, true, "%A -P", Outcome::Shows},
    {"D when installed", true, false, "%A -Dx", Outcome::StaysAway},
    {"D when not installed", false, false, "%A -Dx", Outcome::Shows},
    {"D with nothing attached", true, false, "%A -D", Outcome::Shows},
    {"P wins before D is read", false, true, "-P%P -Dx", Outcome::StaysAway},
};

class StayingAway : public Startup, public ::testing::WithParamInterface<AwayCase> {};

static void Replace(std::string& s, const std::string& from, const std::string& to)
{
    size_t at = s.find(from);
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
}

TEST_P(StayingAway, DecidesBeforeAnyWindow)
{
    const AwayCase& c = GetParam();
    AppPathsKey key;
    if (c.installed)
        key.SetString(nullptr, "C:\\Games\\game.exe");
    std::unique_ptr<OtherApplication> other(c.otherRunning ? new OtherApplication : nullptr);
    std::string args = c.args;
    Replace(args, "%A", "-A" + key.ExeName());
    Replace(args, "%P", other ? other->Class() : "");

    ASSERT_TRUE(launcher.Start(args, dir.Path()));
    if (c.outcome == Outcome::StaysAway) {
        EXPECT_EQ(0u, launcher.WaitForExit());
        EXPECT_FALSE(launcher.Created(kSplashClass)) << "a splash window was made";
    } else {
        HWND hwnd = launcher.WaitForWindow();
        ASSERT_TRUE(hwnd) << "no window for [" << args << "]";
        ClickWindow(GetDlgItem(hwnd, 43));
        EXPECT_EQ(0u, launcher.WaitForExit());
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, StayingAway, ::testing::ValuesIn(kAwayCases), CaseName());

TEST_F(Startup, ASecondLauncherLeavesWhileTheFirstIsUp)
{
    ASSERT_TRUE(launcher.Start("", dir.Path()));
    HWND first = launcher.WaitForWindow();
    ASSERT_TRUE(first);

    Launcher second;
    ASSERT_TRUE(second.Start("-PSPLASH_SCREEN", dir.Path()));
    EXPECT_EQ(0u, second.WaitForExit());
    EXPECT_FALSE(second.Created(kSplashClass));
    EXPECT_TRUE(IsWindowVisible(first));

    ClickWindow(GetDlgItem(first, 43));
    EXPECT_EQ(0u, launcher.WaitForExit());
}

struct LineCase {
    const char* name;
    const char* line;  // "%Q" stands for the quoted path, "%U" for the unquoted short path
    const char* caption;
};
PRINT_CASE_AS_NAME(LineCase)

static const LineCase kLineCases[] = {
    {"quoted name", "%Q -C(Quoted)", "Quoted"},
    {"blanks before and tabs after the name", "  %Q\t\t-C(Tabs)", "Tabs"},
    {"quote directly followed by the tail", "%Q-C(Touching)", "Touching"},
    {"unquoted name ended by a tab", "%U\t-C(Tab)", "Tab"},
    {"unquoted name takes what touches it", "%U-C(Lost)", "Talvik"},
};

class CommandLine : public Startup, public ::testing::WithParamInterface<LineCase> {};

TEST_P(CommandLine, LosesOnlyTheProgramName)
{
    char shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(LauncherPath().c_str(), shortPath, sizeof shortPath));
    std::string line = GetParam().line;
    Replace(line, "%Q", "\"" + LauncherPath() + "\"");
    Replace(line, "%U", shortPath);

    ASSERT_TRUE(launcher.StartRaw(line, dir.Path()));
    HWND hwnd = launcher.WaitForWindow();
    ASSERT_TRUE(hwnd);
    EXPECT_TRUE(launcher.WaitForCaption(hwnd, GetParam().caption))
        << "line [" << line << "] gave [" << WindowText(hwnd) << "]";
    ClickWindow(GetDlgItem(hwnd, 43));
    EXPECT_EQ(0u, launcher.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLine, ::testing::ValuesIn(kLineCases), CaseName());

TEST_F(Startup, OverlongValuesAreCut)
{
    std::string caption(3000, 'c');
    std::string name(3000, 'a');
    std::string args = "-A" + name + " -I" + name + " -S" + name + " -C(" + caption + ")";

    ASSERT_TRUE(launcher.Start(args, dir.Path()));
    HWND hwnd = launcher.WaitForWindow();
    ASSERT_TRUE(hwnd);
    EXPECT_TRUE(launcher.WaitForCaption(hwnd, caption.substr(0, 1023)))
        << "caption of " << WindowText(hwnd).size() << " characters";
    EXPECT_EQ("&Install", WindowText(GetDlgItem(hwnd, 42)));
    ClickWindow(GetDlgItem(hwnd, 43));
    EXPECT_EQ(0u, launcher.WaitForExit());
}
