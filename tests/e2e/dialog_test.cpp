// The splash dialog as a user meets it: placed, labelled, clicked, closed.
#include "e2e/driver.h"
#include "e2e/layout.h"
#include "image/bmp_builder.h"
#include "support/cases.h"
#include "support/paths.h"
#include "support/regkey.h"

#include <memory>

static HWND Item(HWND dlg, int id) { return GetDlgItem(dlg, id); }

class SplashDialog : public ::testing::Test {
protected:
    void SetUp() override { Reference(); }

    // Starts the launcher in the test's directory and waits for its dialog's
    // first paint: the caption then reads `caption` and the frame, empty
    // without a picture, has left the template's place.
    HWND Show(const std::string& args, const std::string& caption = "Talvik")
    {
        EXPECT_TRUE(launcher.Start(args, dir.Path()));
        HWND hwnd = launcher.WaitForWindow();
        EXPECT_TRUE(hwnd) << "no splash window for [" << args << "]";
        if (hwnd) {
            EXPECT_TRUE(WaitUntil([&] { return ChildRect(Item(hwnd, 45)) != Reference().frame; },
                                  5000))
                << "the frame was not laid out";
            // The first paint moves the frame and then sets the caption.
            WaitUntil([&] { return WindowText(hwnd) == caption; }, 5000);
            EXPECT_EQ(caption, WindowText(hwnd));
        }
        return hwnd;
    }

    void CloseWithCancel(HWND hwnd)
    {
        ClickWindow(Item(hwnd, 43));
        EXPECT_EQ(0u, launcher.WaitForExit());
    }

    TempDir dir;
    Launcher launcher;
};

TEST_F(SplashDialog, IsCentredWithTheTemplatesLayout)
{
    HWND hwnd = Show("");
    ASSERT_TRUE(hwnd);
    const TemplateLayout& ref = Reference();

    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(ref.window.cx, r.right - r.left);
    EXPECT_EQ(ref.window.cy, r.bottom - r.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - ref.window.cx) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - ref.window.cy) / 2, r.top);

    EXPECT_EQ(ref.button, ChildRect(Item(hwnd, 42)));
    EXPECT_EQ(ref.cancel, ChildRect(Item(hwnd, 43)));
    EXPECT_EQ(ref.notice, ChildRect(Item(hwnd, 0xFFFF)));
    CloseWithCancel(hwnd);
}

TEST_F(SplashDialog, IsATopmostTaskbarWindowWithOnlyACloseBox)
{
    HWND hwnd = Show("");
    ASSERT_TRUE(hwnd);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU, style & (WS_CAPTION | WS_SYSMENU)) << std::hex << style;
    EXPECT_EQ(0, style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << std::hex << style;
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << std::hex << exStyle;
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW) << std::hex << exStyle;
    EXPECT_NE(-1, CloseBoxPoint(hwnd).x) << "no close box in the caption";

    EXPECT_EQ("Cancel", WindowText(Item(hwnd, 43)));
    EXPECT_FALSE(WindowText(Item(hwnd, 0xFFFF)).empty()) << "no publisher's notice";
    CloseWithCancel(hwnd);
}

TEST_F(SplashDialog, TakesItsCaptionOnTheFirstPaint)
{
    HWND hwnd = Show("-C(My Game)", "My Game");
    ASSERT_TRUE(hwnd);
    // When the dialog's last control was made, the dialog showed the
    // template's caption and the frame was where the template puts it.
    const CreatedWindow* frame = nullptr;
    for (const CreatedWindow& w : launcher.Created())
        if (w.id == 45 && w.cls == "Static")
            frame = &w;
    ASSERT_TRUE(frame) << "the frame's creation was not seen";
    EXPECT_EQ("Talvik", frame->dialogCaption);
    EXPECT_EQ(Reference().frame, frame->rect);
    // After the first paint the caption is the switch's and the frame has
    // been laid out around the (absent) picture.
    EXPECT_EQ("My Game", WindowText(hwnd));
    EXPECT_NE(Reference().frame, ChildRect(Item(hwnd, 45)));
    CloseWithCancel(hwnd);
}

TEST_F(SplashDialog, WithoutPictureTheFrameShrinksToItsBorderAtTheCentre)
{
    HWND hwnd = Show("");
    ASSERT_TRUE(hwnd);
    HWND frame = Item(hwnd, 45);
    // The frame's border by the platform's rule: a client edge where the
    // dialog turned WS_BORDER into one, else the thin border.
    bool edge = GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE;
    int left = GetSystemMetrics(edge ? SM_CXEDGE : SM_CXBORDER), right = left;
    int top = GetSystemMetrics(edge ? SM_CYEDGE : SM_CYBORDER), bottom = top;

    const RECT& before = Reference().frame;
    RECT interior = {before.left + left, before.top + top, before.right - right,
                     before.bottom - bottom};
    int x = interior.left + (interior.right - interior.left) / 2 - left;
    int y = interior.top + (interior.bottom - interior.top) / 2 - top;
    EXPECT_EQ((RECT{x, y, x + left + right, y + top + bottom}), ChildRect(frame))
        << "border " << left << "," << top << "," << right << "," << bottom;
    CloseWithCancel(hwnd);
}

enum class Close { Cancel, FirstButton, CloseBox, SystemMenu };

struct CloseCase {
    const char* name;
    Close how;
};
PRINT_CASE_AS_NAME(CloseCase)

static const CloseCase kCloseCases[] = {
    {"Cancel", Close::Cancel},
    {"first button", Close::FirstButton},
    {"close box", Close::CloseBox},
    {"system menu Close", Close::SystemMenu},
};

class ClosingTheDialog : public SplashDialog, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingTheDialog, EndsTheLauncherWithZero)
{
    HWND hwnd = Show("");
    ASSERT_TRUE(hwnd);
    switch (GetParam().how) {
    case Close::Cancel:
        ClickWindow(Item(hwnd, 43));
        break;
    case Close::FirstButton:
        ClickWindow(Item(hwnd, 42));
        break;
    case Close::CloseBox: {
        POINT pt = CloseBoxPoint(hwnd);
        ASSERT_NE(-1, pt.x) << "no close box";
        ClickAt(pt);
        break;
    }
    case Close::SystemMenu:
        // What the system menu's Close item sends.
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    // The first button's installer is not there: it ends in an error box.
    std::vector<Box> boxes;
    EXPECT_EQ(0u, launcher.AnswerBoxesUntilExit(&boxes));
    EXPECT_EQ(GetParam().how == Close::FirstButton ? 1u : 0u, boxes.size());
    EXPECT_FALSE(IsWindow(hwnd));
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheDialog, ::testing::ValuesIn(kCloseCases), CaseName());

enum class App { NoKey, NoValue, EmptyValue, Installed };

struct LabelCase {
    const char* name;
    App app;
    const char* label;
};
PRINT_CASE_AS_NAME(LabelCase)

static const LabelCase kLabelCases[] = {
    {"no App Paths key", App::NoKey, "&Install"},
    {"key without unnamed value", App::NoValue, "&Install"},
    {"empty unnamed value", App::EmptyValue, "&Install"},
    {"installed", App::Installed, "&Play"},
};

class FirstButton : public SplashDialog, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(FirstButton, SaysWhetherTheApplicationIsInstalled)
{
    std::unique_ptr<AppPathsKey> key;
    std::string app = UnregisteredAppName();
    if (GetParam().app != App::NoKey) {
        key.reset(new AppPathsKey(app));
        if (GetParam().app == App::EmptyValue)
            key->SetString(nullptr, "");
        if (GetParam().app == App::Installed)
            key->SetString(nullptr, "C:\\Games\\game.exe");
    }
    HWND hwnd = Show("-A" + app);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(GetParam().label, WindowText(Item(hwnd, 42)));
    CloseWithCancel(hwnd);
}

INSTANTIATE_TEST_SUITE_P(Registry, FirstButton, ::testing::ValuesIn(kLabelCases), CaseName());

struct ScreenCase {
    const char* name;
    SIZE screen;
};
PRINT_CASE_AS_NAME(ScreenCase)

static const ScreenCase kScreenCases[] = {
    {"narrower and lower", {200, 150}},
    {"lower only", {800, 300}},
    {"narrower only", {250, 700}},
};

class SmallScreen : public ::testing::TestWithParam<ScreenCase> {};

// A screen smaller than the dialog: a desktop of its own whose size Wine
// takes from its Explorer settings. Where the window is the larger it sits at
// the screen's edge; elsewhere it is centred, and its size never changes.
TEST_P(SmallScreen, PutsALargerWindowAtTheEdge)
{
    const SIZE& screen = GetParam().screen;
    std::string desktop = UniqueName("small");
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops",
                                             0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL));
    std::string size = std::to_string(screen.cx) + "x" + std::to_string(screen.cy);
    RegSetValueExA(hKey, desktop.c_str(), 0, REG_SZ, (const BYTE*)size.c_str(), size.size() + 1);
    const SIZE& window = Reference().window;

    TempDir dir;
    // A picture there is, so that no box comes up on the other desktop.
    dir.WriteFile("splash.bmp", ValidBmp(8, 16, 16).Build());
    Launcher launcher;
    launcher.UseDesktop(desktop);
    ASSERT_TRUE(launcher.Start("", dir.Path()));
    HWND hwnd = launcher.WaitForWindow();
    RegDeleteValueA(hKey, desktop.c_str());
    RegCloseKey(hKey);
    ASSERT_TRUE(hwnd);

    SIZE metrics = {};
    OnDesktop(desktop, [&] {
        metrics = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    });
    if (metrics.cx != screen.cx || metrics.cy != screen.cy) {
        // Now and then Wine makes the desktop at the screen's own size.
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        launcher.WaitForExit();
        GTEST_SKIP() << "precondition: the desktop came up " << metrics.cx << " x " << metrics.cy;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(window.cx > screen.cx ? 0 : (screen.cx - window.cx) / 2, r.left);
    EXPECT_EQ(window.cy > screen.cy ? 0 : (screen.cy - window.cy) / 2, r.top);
    EXPECT_EQ(window.cx, r.right - r.left);
    EXPECT_EQ(window.cy, r.bottom - r.top);

    PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, launcher.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallScreen, ::testing::ValuesIn(kScreenCases), CaseName());
