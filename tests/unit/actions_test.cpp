// The launch actions with the real registry, real drives (D: and E: are the
// test prefix's CD-ROM drives), real child processes and real error boxes,
// answered with the mouse.
#include "util/util.h"
#include "support/cases.h"
#include "support/child.h"
#include "support/desktop.h"
#include "support/paths.h"
#include "support/regkey.h"

#include <memory>

static const char kCannotInvoke[] = "Could not invoke executable.";
static const char kNoExecutable[] = "Could not find executable.";
static const char kNoUninstall[] = "Could not find uninstall string in Registry.";

// Exactly one "Error" box with `text`, or none when `text` is null.
static void ExpectBoxes(const ActionRun& run, const char* text)
{
    ASSERT_TRUE(run.finished) << "the action did not return";
    if (!text) {
        EXPECT_TRUE(run.boxes.empty()) << "unexpected box: " << run.boxes[0].text;
        return;
    }
    ASSERT_EQ(1u, run.boxes.size()) << "boxes shown";
    EXPECT_EQ("Error", run.boxes[0].caption);
    EXPECT_EQ(text, run.boxes[0].text);
}

// A folder on the CD-ROM drive D:, the launcher's current directory in the
// tests that start the installer.
class DiscFolder {
public:
    DiscFolder() : m_path("d:\\" + UniqueName("autorun"))
    {
        EXPECT_TRUE(CreateDirectoryA(m_path.c_str(), NULL)) << m_path;
    }
    ~DiscFolder() { RemoveDirectoryA(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

enum class Value { None, Empty, Command, NoData, TooLarge, Unstartable };
enum class Started { Installer, Application, Nothing };

struct LaunchCase {
    const char* name;
    Value value;
    bool path;          // the key has a "Path" value
    Started started;
    const char* box;    // the one box shown, or null
};
PRINT_CASE_AS_NAME(LaunchCase)

static const LaunchCase kLaunchCases[] = {
    {"no App Paths key", Value::None, false, Started::Installer, nullptr},
    {"empty unnamed value", Value::Empty, false, Started::Installer, nullptr},
    {"installed with Path", Value::Command, true, Started::Application, nullptr},
    {"installed without Path", Value::Command, false, Started::Application, nullptr},
    {"command that cannot start", Value::Unstartable, true, Started::Nothing, kCannotInvoke},
    {"value too large to read", Value::TooLarge, false, Started::Nothing, kCannotInvoke},
    {"value without data", Value::NoData, false, Started::Nothing, kCannotInvoke},
};

class Launch : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(Launch, StartsTheApplicationOrTheInstaller)
{
    const LaunchCase& c = GetParam();
    DiscFolder disc;
    TempDir appDir, appPath;
    CurrentDirectory cd(disc.Path());
    std::string installName = UniqueName("setup") + ".exe";
    InstalledChild installer("D:\\" + installName);
    InstalledChild app(appDir.Path() + "\\game.exe");
    std::string command = "\"" + app.Path() + "\" -Agame.exe";

    std::unique_ptr<AppPathsKey> key(c.value == Value::None ? nullptr : new AppPathsKey);
    std::string subKey = key ? key->SubKey() : kAppPathsKey + UnregisteredAppName();
    switch (c.value) {
    case Value::None:
        break;
    case Value::Empty:
        key->SetString(nullptr, "");
        break;
    case Value::Command:
        key->SetString(nullptr, command);
        break;
    case Value::NoData:
        key->SetRaw(nullptr, "", REG_BINARY);
        break;
    case Value::TooLarge:
        // A command that would start, were it read.
        key->SetString(nullptr, command + std::string(1100, ' '));
        break;
    case Value::Unstartable:
        key->SetString(nullptr, appDir.Path() + "\\missing.exe");
        break;
    }
    if (key && c.path)
        key->SetString("Path", appPath.Path());

    ActionRun run = RunAnsweringBoxes([&] { return CheckAndLaunch(subKey.c_str(), installName.c_str()); });

    ExpectBoxes(run, c.box);
    EXPECT_EQ(c.started == Started::Nothing ? 0 : 1, run.result);
    if (c.started == Started::Installer) {
        ASSERT_TRUE(installer.WaitForRun()) << "the installer did not start";
        EXPECT_EQ("D:\\" + installName, installer.CommandLine());
        EXPECT_TRUE(SamePath(disc.Path(), installer.CurrentDir())) << installer.CurrentDir();
    }
    if (c.started == Started::Application) {
        ASSERT_TRUE(app.WaitForRun()) << "the application did not start";
        EXPECT_EQ(command, app.CommandLine());
        EXPECT_TRUE(SamePath(c.path ? appPath.Path() : disc.Path(), app.CurrentDir()))
            << app.CurrentDir();
    }
    Sleep(200);
    EXPECT_EQ(c.started == Started::Installer, installer.HasRun());
    EXPECT_EQ(c.started == Started::Application, app.HasRun());
}

INSTANTIATE_TEST_SUITE_P(Registry, Launch, ::testing::ValuesIn(kLaunchCases), CaseName());

TEST(Launch, CutsAnInstallerPathLongerThanABuffer)
{
    DiscFolder disc;
    CurrentDirectory cd(disc.Path());
    std::string installName(3000, 's');

    ActionRun run = RunAnsweringBoxes([&] {
        return CheckAndLaunch((kAppPathsKey + UnregisteredAppName()).c_str(), installName.c_str());
    });

    ExpectBoxes(run, kCannotInvoke);
    EXPECT_EQ(0, run.result);
}

// Files on the CD-ROM drives, removed again at the end.
class DiscFile {
public:
    DiscFile(const std::string& path, DWORD attributes) : m_path(path)
    {
        m_child.reset(new InstalledChild(path));
        SetFileAttributesA(path.c_str(), attributes);
    }
    ~DiscFile() { SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL); }
    InstalledChild& Child() { return *m_child; }

private:
    std::string m_path;
    std::unique_ptr<InstalledChild> m_child;
};

enum class On { Nowhere, D, E, Both, HiddenOnD };

struct DiscCase {
    const char* name;
    bool keyExists;
    On on;
    const char* startedFrom;  // drive letter of the started copy, or null
    const char* box;
};
PRINT_CASE_AS_NAME(DiscCase)

static const DiscCase kDiscCases[] = {
    {"only on the second drive", true, On::E, "E", nullptr},
    {"on both drives", true, On::Both, "D", nullptr},
    {"hidden on the first drive", true, On::HiddenOnD, "E", nullptr},
    {"on no drive", true, On::Nowhere, nullptr, kNoExecutable},
    {"not installed", false, On::Both, nullptr, nullptr},
};

class FromDisc : public ::testing::TestWithParam<DiscCase> {};

TEST_P(FromDisc, RunsTheApplicationFromTheFirstDriveThatHoldsIt)
{
    const DiscCase& c = GetParam();
    DiscFolder disc;
    CurrentDirectory cd(disc.Path());
    std::string appName = UniqueName("game") + ".exe";
    std::string installName = UniqueName("setup") + ".exe";
    InstalledChild installer("D:\\" + installName);
    std::unique_ptr<DiscFile> onD, onE;
    if (c.on == On::D || c.on == On::Both || c.on == On::HiddenOnD)
        onD.reset(new DiscFile("D:\\" + appName,
                               c.on == On::HiddenOnD ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL));
    if (c.on == On::E || c.on == On::Both || c.on == On::HiddenOnD)
        onE.reset(new DiscFile("E:\\" + appName, FILE_ATTRIBUTE_NORMAL));
    // Installed means only that the key exists: it has no unnamed value.
    std::unique_ptr<AppPathsKey> key(c.keyExists ? new AppPathsKey : nullptr);
    std::string subKey = key ? key->SubKey() : kAppPathsKey + UnregisteredAppName();

    ActionRun run = RunAnsweringBoxes([&] {
        return CheckAndLaunchFromCD(subKey.c_str(), appName.c_str(), installName.c_str());
    });

    ExpectBoxes(run, c.box);
    EXPECT_EQ(c.box ? 0 : 1, run.result);
    if (c.startedFrom) {
        InstalledChild& started = (c.startedFrom[0] == 'D' ? onD : onE)->Child();
        ASSERT_TRUE(started.WaitForRun());
        EXPECT_EQ(std::string(c.startedFrom) + ":\\" + appName, started.CommandLine());
    }
    if (!c.keyExists) {
        ASSERT_TRUE(installer.WaitForRun());
        EXPECT_EQ("D:\\" + installName, installer.CommandLine());
    }
    Sleep(200);
    if (onD && (!c.startedFrom || c.startedFrom[0] != 'D')) {
        EXPECT_FALSE(onD->Child().HasRun()) << "started from D:";
    }
    if (onE && (!c.startedFrom || c.startedFrom[0] != 'E')) {
        EXPECT_FALSE(onE->Child().HasRun()) << "started from E:";
    }
}

INSTANTIATE_TEST_SUITE_P(Drives, FromDisc, ::testing::ValuesIn(kDiscCases), CaseName());

enum class Uninstall { Missing, Works, Fails, TooLarge };

struct UninstallCase {
    const char* name;
    Uninstall how;
    int result;
    const char* box;
};
PRINT_CASE_AS_NAME(UninstallCase)

static const UninstallCase kUninstallCases[] = {
    {"working command", Uninstall::Works, 1, nullptr},
    {"no UninstallString", Uninstall::Missing, 0, kNoUninstall},
    {"command that fails", Uninstall::Fails, 0, "WinExec failed. Return Code = 2."},
    {"command too large to read", Uninstall::TooLarge, 0, kNoUninstall},
};

class Uninstalling : public ::testing::TestWithParam<UninstallCase> {};

TEST_P(Uninstalling, RunsTheUninstallString)
{
    const UninstallCase& c = GetParam();
    TempDir dir;
    InstalledChild uninstaller(dir.Path() + "\\uninst.exe");
    std::string command = "\"" + uninstaller.Path() + "\" /remove";
    TestKey key("SOFTWARE\\" + UniqueName("AutorunTestUninstall"));
    if (c.how == Uninstall::Works)
        key.SetString("UninstallString", command);
    if (c.how == Uninstall::Fails)
        key.SetString("UninstallString", dir.Path() + "\\missing.exe");
    if (c.how == Uninstall::TooLarge)
        key.SetString("UninstallString", command + std::string(1100, ' '));

    ActionRun run = RunAnsweringBoxes([&] { return RunUninstall(key.SubKey().c_str()); });

    ExpectBoxes(run, c.box);
    EXPECT_EQ(c.result, run.result);
    if (c.how == Uninstall::Works) {
        ASSERT_TRUE(uninstaller.WaitForRun());
        EXPECT_EQ(command, uninstaller.CommandLine());
    } else {
        Sleep(200);
        EXPECT_FALSE(uninstaller.HasRun());
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, Uninstalling, ::testing::ValuesIn(kUninstallCases), CaseName());

// ---- When the platform will not start it directly ---------------------------
// CreateProcessA is made to fail with a chosen error; what the shell path is
// then asked is recorded, and the shell made to succeed or fail.

static DWORD g_createError, g_shellError;
static struct ShellCall {
    bool asked;
    ULONG mask;
    std::string verb, file, params, dir;
} g_shell;

static BOOL WINAPI FailingCreateProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES,
                                        LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                                        LPSTARTUPINFOA, LPPROCESS_INFORMATION)
{
    SetLastError(g_createError);
    return FALSE;
}

static BOOL WINAPI RecordingShell(SHELLEXECUTEINFOA* sei)
{
    g_shell = {true, sei->fMask, sei->lpVerb ? sei->lpVerb : "", sei->lpFile,
               sei->lpParameters ? sei->lpParameters : "", sei->lpDirectory ? sei->lpDirectory : ""};
    SetLastError(g_shellError);
    return g_shellError == 0;
}

struct ShellCase {
    const char* name;
    const char* line;     // the App Paths command; @ is a folder with a blank, % its parent
    bool path;            // the key has a "Path" value
    DWORD createError;    // CreateProcessA's
    DWORD shellError;     // the shell's, 0 when it starts the program
    const char* verb;     // what the shell is asked; null when it is not
    const char* file;
    const char* params;
    const char* box;      // the one box shown, or null
    int result;
};
PRINT_CASE_AS_NAME(ShellCase)

static const ShellCase kShellCases[] = {
    {"elevation", "\"@\\game.exe\" -x /y", true, 740, 0, "runas", "@\\game.exe", "-x /y",
     nullptr, 1},
    {"elevation declined", "\"@\\game.exe\"", true, 740, 1223, "runas", "@\\game.exe", "",
     nullptr, 0},
    {"elevation fails", "\"@\\game.exe\"", true, 740, ERROR_ACCESS_DENIED, "runas",
     "@\\game.exe", "", kCannotInvoke, 0},
    {"package opened", "@\\setup.msi /qn", true, 193, 0, "", "@\\setup.msi", "/qn", nullptr, 1},
    {"package in our directory", "@\\setup.msi", false, 193, 0, "", "@\\setup.msi", "",
     nullptr, 1},
    {"other failure", "\"@\\game.exe\"", true, ERROR_FILE_NOT_FOUND, 0, nullptr, "", "",
     kCannotInvoke, 0},
    {"unquoted, blank in folder", "@\\game.exe  -x", true, 740, 0, "runas", "@\\game.exe",
     "-x", nullptr, 1},
    {"unquoted, no extension", "@\\game -x", true, 740, 0, "runas", "@\\game.exe", "-x",
     nullptr, 1},
    {"unquoted, names no file", "@\\nosuch -x", true, 740, 0, "runas", "%\\My", "Game\\nosuch -x",
     nullptr, 1},
};

class ShellPath : public ::testing::TestWithParam<ShellCase> {};

TEST_P(ShellPath, StartsWhatThePlatformWouldNot)
{
    const ShellCase& c = GetParam();
    TempDir temp, appPath;
    CurrentDirectory cd(temp.Path());
    std::string folder = temp.Path() + "\\My Game";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    temp.WriteFile("My Game\\game.exe", "MZ");
    temp.WriteFile("My Game\\setup.msi", "msi");
    auto expand = [&](std::string s) {
        for (size_t at; (at = s.find_first_of("@%")) != std::string::npos;)
            s.replace(at, 1, s[at] == '@' ? folder : temp.Path());
        return s;
    };
    AppPathsKey key;
    key.SetString(nullptr, expand(c.line));
    if (c.path)
        key.SetString("Path", appPath.Path());
    g_createError = c.createError;
    g_shellError = c.shellError;
    g_shell = {};
    pCreateProcessA = FailingCreateProcess;
    pShellExecuteExA = RecordingShell;

    ActionRun run = RunAnsweringBoxes([&] { return CheckAndLaunch(key.SubKey().c_str(), "x"); });

    pCreateProcessA = CreateProcessA;
    pShellExecuteExA = ShellExecuteExA;
    ExpectBoxes(run, c.box);
    EXPECT_EQ(c.result, run.result);
    ASSERT_EQ(c.verb != nullptr, g_shell.asked);
    if (!c.verb)
        return;
    EXPECT_EQ(c.verb, g_shell.verb);
    EXPECT_EQ(expand(c.file), g_shell.file);
    EXPECT_EQ(c.params, g_shell.params);
    EXPECT_TRUE(SamePath(c.path ? appPath.Path() : temp.Path(), g_shell.dir)) << g_shell.dir;
    EXPECT_EQ((ULONG)(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI), g_shell.mask);
}

INSTANTIATE_TEST_SUITE_P(Errors, ShellPath, ::testing::ValuesIn(kShellCases), CaseName());
