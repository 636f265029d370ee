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
