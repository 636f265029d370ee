// The launcher reads the registry and its picture, and writes nothing: no
// file, no registry key or value, whatever way it goes.
#include "e2e/driver.h"
#include "e2e/snapshot.h"
#include "support/cases.h"
#include "support/paths.h"
#include "support/regkey.h"

// The whole C: drive, the launcher's current directory and its own.
static Snapshot Files(const std::string& dir)
{
    Snapshot s;
    AddFiles(s, "C:");
    AddFiles(s, dir);
    std::string exe = LauncherPath();
    AddFiles(s, exe.substr(0, exe.rfind('\\')));
    return s;
}

enum class Run { FirstButton, Cancel, StaysAwayInstalled };

struct WriteCase {
    const char* name;
    Run run;
};
PRINT_CASE_AS_NAME(WriteCase)

static const WriteCase kWriteCases[] = {
    {"first button", Run::FirstButton},
    {"Cancel", Run::Cancel},
    {"D when installed", Run::StaysAwayInstalled},
};

class WritesNothing : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WritesNothing, InTheRegistryOrOnDisk)
{
    TempDir dir;
    AppPathsKey key;
    if (GetParam().run == Run::StaysAwayInstalled)
        key.SetString(nullptr, "C:\\Games\\game.exe");
    // Wine notes its mouse parameters in the registry the first time a window
    // is clicked; that click comes from this test, so let it happen now.
    HWND target = CreateWindowA("BUTTON", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, NULL, NULL,
                                NULL, NULL);
    ClickWindow(target);
    PumpMessages(100);
    DestroyWindow(target);

    Snapshot before = Files(dir.Path());
    Snapshot userBefore;
    AddRegistry(userBefore, HKEY_CURRENT_USER, "");
    RegistryWatch registry;

    Launcher launcher;
    ASSERT_TRUE(launcher.Start("-A" + key.ExeName() + " -Dx -Isetup.exe -C(Disc) -Ssplash.bmp",
                               dir.Path()));
    if (GetParam().run != Run::StaysAwayInstalled) {
        HWND hwnd = launcher.WaitForWindow();
        ASSERT_TRUE(hwnd);
        ASSERT_TRUE(launcher.WaitForCaption(hwnd, "Disc"));
        ClickWindow(GetDlgItem(hwnd, GetParam().run == Run::FirstButton ? 42 : 43));
    }
    // The installer is not there: the first button ends in an error box.
    std::vector<Box> boxes;
    EXPECT_EQ(0u, launcher.AnswerBoxesUntilExit(&boxes));
    EXPECT_EQ(GetParam().run == Run::FirstButton ? 1u : 0u, boxes.size());

    Snapshot userAfter;
    AddRegistry(userAfter, HKEY_CURRENT_USER, "");
    EXPECT_EQ("", registry.Changed()) << "the registry changed; below HKEY_CURRENT_USER:\n"
                                      << Difference(userBefore, userAfter);
    EXPECT_EQ("", Difference(before, Files(dir.Path())));
}

INSTANTIATE_TEST_SUITE_P(Runs, WritesNothing, ::testing::ValuesIn(kWriteCases), CaseName());
