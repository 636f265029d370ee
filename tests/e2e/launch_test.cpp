// The first button end to end: the launcher started from a folder on the
// CD-ROM drive D:, real programs started, real error boxes answered.
#include "e2e/driver.h"
#include "support/cases.h"
#include "support/child.h"
#include "support/paths.h"
#include "support/regkey.h"

#include <memory>

enum class App { NotInstalled, EmptyValue, WithPath, WithoutPath, Unstartable };

struct ButtonCase {
    const char* name;
    App app;
    bool installer;     // the installer starts, else the application (if any)
    const char* box;    // the one box shown, or null
};
PRINT_CASE_AS_NAME(ButtonCase)

static const ButtonCase kButtonCases[] = {
    {"not installed", App::NotInstalled, true, nullptr},
    {"empty unnamed value", App::EmptyValue, true, nullptr},
    {"installed with Path", App::WithPath, false, nullptr},
    {"installed without Path", App::WithoutPath, false, nullptr},
    {"command that cannot start", App::Unstartable, false, "Could not invoke executable."},
};

class PressingTheFirstButton : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(PressingTheFirstButton, StartsAProgramAndCloses)
{
    const ButtonCase& c = GetParam();
    // The launcher's current directory, named in lower case as a shell may.
    std::string disc = "d:\\" + UniqueName("autorun");
    ASSERT_TRUE(CreateDirectoryA(disc.c_str(), NULL));
    TempDir appDir, appPath;
    std::string installName = UniqueName("setup") + ".exe";
    InstalledChild installer("D:\\" + installName);
    InstalledChild app(appDir.Path() + "\\game.exe");
    std::string command = "\"" + app.Path() + "\" -x";
    AppPathsKey key;
    if (c.app == App::EmptyValue)
        key.SetString(nullptr, "");
    if (c.app == App::WithPath || c.app == App::WithoutPath)
        key.SetString(nullptr, command);
    if (c.app == App::Unstartable)
        key.SetString(nullptr, appDir.Path() + "\\missing.exe");
    if (c.app == App::WithPath)
        key.SetString("Path", appPath.Path());
    std::string args = "-A" + key.ExeName() + " -I" + installName;
    if (c.app == App::NotInstalled)
        args = "-A" + UnregisteredAppName() + " -I" + installName;

    Launcher launcher;
    ASSERT_TRUE(launcher.Start(args, disc));
    HWND hwnd = launcher.WaitForWindow();
    ASSERT_TRUE(hwnd);
    ClickWindow(GetDlgItem(hwnd, 42));

    std::vector<Box> boxes;
    EXPECT_EQ(0u, launcher.AnswerBoxesUntilExit(&boxes));
    EXPECT_FALSE(IsWindow(hwnd));
    if (c.box) {
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Error", boxes[0].caption);
        EXPECT_EQ(c.box, boxes[0].text);
    } else {
        EXPECT_TRUE(boxes.empty()) << "unexpected box: " << boxes[0].text;
    }

    if (c.installer) {
        ASSERT_TRUE(installer.WaitForRun());
        EXPECT_EQ("D:\\" + installName, installer.CommandLine());
        EXPECT_TRUE(SamePath(disc, installer.CurrentDir())) << installer.CurrentDir();
    } else if (!c.box) {
        ASSERT_TRUE(app.WaitForRun());
        EXPECT_EQ(command, app.CommandLine());
        EXPECT_TRUE(SamePath(c.app == App::WithPath ? appPath.Path() : disc, app.CurrentDir()))
            << app.CurrentDir();
    }
    RemoveDirectoryA(disc.c_str());
}

INSTANTIATE_TEST_SUITE_P(Registry, PressingTheFirstButton, ::testing::ValuesIn(kButtonCases),
                         CaseName());

// An MSI package is no program: the platform refuses to start it, and the
// launcher hands it to the shell, which installs it with the parameters given.
TEST(PressingTheFirstButton, InstallsAnMsiPackage)
{
    const std::string key = std::string(kAppPathsKey) + "\\autorun-msi-test.exe";
    auto installed = [&] {
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    };
    ASSERT_FALSE(installed()) << key << " is there before the package is installed";
    const std::string package = "D:\\" + UniqueName("package") + ".msi";
    ASSERT_TRUE(CopyFileA(WindowsPath(MSI_PACKAGE).c_str(), package.c_str(), FALSE));
    const std::string args = "-Aautorun-msi-test.exe -I(" + package.substr(3) + " /qn)";
    std::vector<Box> boxes;
    for (const char* label : {"&Install", "&Play"}) {
        Launcher launcher;
        ASSERT_TRUE(launcher.Start(args, "D:\\"));
        HWND hwnd = launcher.WaitForWindow();
        ASSERT_TRUE(hwnd);
        HWND button = GetDlgItem(hwnd, 42);
        ASSERT_EQ(label, WindowText(button));
        ClickWindow(label == std::string("&Install") ? button : GetDlgItem(hwnd, 43));
        EXPECT_EQ(0u, launcher.AnswerBoxesUntilExit(&boxes));
        ASSERT_TRUE(boxes.empty()) << "box: " << boxes[0].text;
        ASSERT_TRUE(WaitUntil(installed, 60000)) << "the package did not register " << key;
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string uninstall = "msiexec /x " + package + " /qn";
    ASSERT_TRUE(CreateProcessA(NULL, &uninstall[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(installed()) << "msiexec /x left " << key;
    DeleteFileA(package.c_str());
}
