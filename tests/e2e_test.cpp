// The launcher as a user meets it: started as the shell starts it from a
// folder on the CD-ROM drive D:, its dialog read and clicked with the real
// mouse, its picture read back from the screen, real programs started.
#include "common.h"

namespace {

const char kNoFile[] = "Invalid File Name. Make sure file exists.";
const char kNoBitmap[] = "Invalid Bitmap File. Make sure that file is a 256 colour BMP file.";

// A folder of its own on D: for each test, with the given picture files.
struct Disc {
    Disc() : path("D:\\" + Unique("disc")) { CreateDirectoryA(path.c_str(), NULL); }
    ~Disc()
    {
        for (const std::string& f : files)
            DeleteFileA(f.c_str());
        RemoveDirectoryA(path.c_str());
    }
    void Add(const std::string& name, const std::string& bytes)
    {
        files.push_back(path + "\\" + name);
        WriteFile(files.back(), bytes);
    }
    std::string path;
    std::vector<std::string> files;
};

struct StartCase {
    const char* name;
    const char* args;     // $ is an application's name, installed when `installed`
    bool installed;
    const char* picture;  // "splash.bmp" written as 8 bits, "art.bmp", "24", or none
    const char* caption;  // of the window shown, or null when none is
    const char* button;
    const char* box;      // shown before the window
};

const StartCase kStartCases[] = {
    {"defaults", "-A$", false, "splash.bmp", "Talvik", "&Install", nullptr},
    {"named caption and picture", "-A$ -C(My Game) -Sart.bmp", false, "art.bmp", "My Game",
     "&Install", nullptr},
    {"installed", "-A$", true, "splash.bmp", "Talvik", "&Play", nullptr},
    {"-D when installed", "-A$ -Dx", true, "splash.bmp", nullptr, nullptr, nullptr},
    {"-D when not installed", "-A$ -Dx", false, "splash.bmp", "Talvik", "&Install", nullptr},
    {"-P naming a window that exists", "-A$ -PAutorunTestWindow", false, "splash.bmp", nullptr,
     nullptr, nullptr},
    {"-P naming no window", "-A$ -PNoSuchWindowClass", false, "splash.bmp", "Talvik",
     "&Install", nullptr},
    {"missing picture", "-A$", false, "", "Talvik", "&Install", kNoFile},
    {"24-bit picture", "-A$", false, "24", "Talvik", "&Install", kNoBitmap},
};

class Start : public ::testing::TestWithParam<StartCase> {};

TEST_P(Start, ShowsTheDialogOrNothing)
{
    const StartCase& c = GetParam();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "AutorunTestWindow";
    RegisterClassA(&wc);
    HWND other = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
    Disc disc;
    std::string picture = c.picture;
    disc.Add(picture == "24" ? "splash.bmp" : picture.empty() ? "other.bmp" : picture,
             Bmp(picture == "24" ? 24 : 8, 8, 8).Bytes());
    std::string app = Unique("app") + ".exe", args = c.args;
    args.replace(args.find('$'), 1, app);
    RegKey key(kAppPaths + app);
    if (c.installed)
        key.Set(nullptr, std::string("C:\\app.exe", 11));
    else
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.sub.c_str());

    Launcher launcher(args, disc.path);
    HWND hwnd = launcher.Window();
    if (!c.caption) {
        EXPECT_EQ(NULL, hwnd);
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_TRUE(launcher.boxes.empty());
    } else {
        ASSERT_TRUE(hwnd) << "no dialog";
        EXPECT_TRUE(WaitFor([&] { return Text(hwnd) == c.caption; })) << Text(hwnd);
        EXPECT_EQ(c.button, Text(GetDlgItem(hwnd, 42)));
        EXPECT_EQ(c.box ? 1u : 0u, launcher.boxes.size());
        if (c.box && !launcher.boxes.empty()) {
            EXPECT_EQ(c.box, launcher.boxes[0].text);
        }
        Click(GetDlgItem(hwnd, 43));
        EXPECT_EQ(0u, launcher.Exit());
    }
    DestroyWindow(other);
}

INSTANTIATE_TEST_SUITE_P(Switches, Start, ::testing::ValuesIn(kStartCases), CaseName());

struct PictureCase {
    const char* name;
    WORD bits;
    int width, height;  // below 1: the frame's interior plus the negated value
};

const PictureCase kPictureCases[] = {
    {"8 bits", 8, 37, 21}, {"4 bits", 4, 33, 17}, {"1 bit", 1, 40, 40},
    {"larger", 8, -40, -40}, {"one pixel wider, still whole", 8, -1, 10},
};

class Picture : public ::testing::TestWithParam<PictureCase> {};

// Smaller than the frame's interior, the picture is centred and the frame
// closes around it; larger, its top-left part fills the interior. Every
// pixel of the frame's inside is the picture's, as the screen shows it.
TEST_P(Picture, FillsItsFrameOnTheScreen)
{
    const PictureCase& c = GetParam();
    HWND tmpl = SplashTemplate();
    ASSERT_TRUE(tmpl);
    RECT frame;
    GetClientRect(GetDlgItem(tmpl, 45), &frame);
    MapWindowPoints(GetDlgItem(tmpl, 45), tmpl, (POINT*)&frame, 2);
    DestroyWindow(tmpl);
    const int interiorW = frame.right - frame.left, interiorH = frame.bottom - frame.top;
    Bmp bmp(c.bits, c.width > 0 ? c.width : interiorW - c.width,
            c.height > 0 ? c.height : interiorH - c.height);
    // Centred, or cut where the halved difference is below 0: one pixel more
    // still fits whole.
    auto fit = [](int interior, int picture, int* offset) {
        *offset = (interior - picture) / 2;
        return *offset < 0 ? (*offset = 0, interior) : picture;
    };
    int left, top;
    const int w = fit(interiorW, bmp.info.biWidth, &left), h = fit(interiorH, bmp.info.biHeight, &top);
    Disc disc;
    disc.Add("splash.bmp", bmp.Bytes());

    Launcher launcher("-AnoSuchApp.exe", disc.path);
    HWND hwnd = launcher.Window();
    ASSERT_TRUE(hwnd);
    // Laid out and painted at the first paint, which comes when it comes.
    HWND hFrame = GetDlgItem(hwnd, 45);
    RECT inside;
    int wrong = -1;
    auto shown = [&] {
        GetClientRect(hFrame, &inside);
        MapWindowPoints(hFrame, hwnd, (POINT*)&inside, 2);
        if (inside.left != frame.left + left || inside.top != frame.top + top ||
            inside.right - inside.left != w || inside.bottom - inside.top != h)
            return false;
        POINT origin = {0, 0};
        ClientToScreen(hFrame, &origin);
        Screen screen;
        wrong = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                wrong += screen.At(origin.x + x, origin.y + y) != bmp.Colour(x, y);
        return !wrong;
    };
    EXPECT_TRUE(WaitFor(shown)) << "frame inside " << inside.left << "," << inside.top << " "
                                << inside.right - inside.left << "x" << inside.bottom - inside.top
                                << ", want " << frame.left + left << "," << frame.top + top << " "
                                << w << "x" << h << "; pixels unlike the picture's: " << wrong;
    Click(GetDlgItem(hwnd, 43));
    EXPECT_EQ(0u, launcher.Exit());
}

INSTANTIATE_TEST_SUITE_P(Splash, Picture, ::testing::ValuesIn(kPictureCases), CaseName());

struct ButtonCase {
    const char* name;
    int button;
    bool installed;
    const char* box;
};

const ButtonCase kButtonCases[] = {
    {"install", 42, false, nullptr},
    {"play", 42, true, nullptr},
    {"play what cannot start", 42, true, "Could not invoke executable."},
    {"cancel", 43, true, nullptr},
};

class Button : public ::testing::TestWithParam<ButtonCase> {};

// One click starts at most one program, and the dialog closes after it.
TEST_P(Button, StartsAProgramAndCloses)
{
    const ButtonCase& c = GetParam();
    Disc disc;
    disc.Add("splash.bmp", Bmp(8, 8, 8).Bytes());
    TempDir appDir, pathDir;
    std::string installName = Unique("setup") + ".exe", app = Unique("app") + ".exe";
    Child setup("D:\\" + installName), game(appDir / "game.exe");
    RegKey key(kAppPaths + app);
    std::string command = "\"" + game.path + (c.box ? ".missing" : "") + "\" -x";
    if (c.installed) {
        key.Set(nullptr, command + '\0');
        key.Set("Path", pathDir.path + '\0');
    } else {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.sub.c_str());
    }
    Launcher launcher("-A" + app + " -I" + installName, disc.path);
    HWND hwnd = launcher.Window();
    ASSERT_TRUE(hwnd);
    Click(GetDlgItem(hwnd, c.button));
    EXPECT_EQ(0u, launcher.Exit());
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(c.box ? 1u : 0u, launcher.boxes.size());
    if (c.box) {
        EXPECT_EQ(c.box, launcher.boxes[0].text);
    }
    if (c.button == 43 || c.box)
        return;
    Child& started = c.installed ? game : setup;
    ASSERT_TRUE(started.Wait()) << started.path << " did not start";
    EXPECT_EQ(c.installed ? command : "D:\\" + installName, started.line);
    EXPECT_EQ(c.installed ? pathDir.path : disc.path, started.dir);
}

INSTANTIATE_TEST_SUITE_P(Dialog, Button, ::testing::ValuesIn(kButtonCases), CaseName());

// An MSI package is no program: the platform refuses to start it, and the
// launcher hands it to the shell, which installs it with the parameters given.
TEST(Button, InstallsAnMsiPackage)
{
    const std::string key = std::string(kAppPaths) + "autorun-msi-test.exe";
    auto installed = [&] {
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    };
    ASSERT_FALSE(installed()) << key << " is there before the package is installed";
    Disc disc;
    disc.Add("package.msi", ReadFile(WinPath(MSI_PACKAGE)));
    disc.Add("splash.bmp", Bmp(8, 8, 8).Bytes());
    for (const char* label : {"&Install", "&Play"}) {
        Launcher launcher("-Aautorun-msi-test.exe -I(" + disc.path.substr(3) +
                          "\\package.msi /qn)", disc.path);
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd);
        ASSERT_EQ(label, Text(GetDlgItem(hwnd, 42)));
        Click(GetDlgItem(hwnd, std::string(label) == "&Install" ? 42 : 43));
        // The shell returns once the installer is under way, which under
        // Wine can mean once it is done.
        EXPECT_EQ(0u, launcher.Exit(60000));
        ASSERT_TRUE(launcher.boxes.empty()) << launcher.boxes[0].text;
        ASSERT_TRUE(WaitFor(installed, 60000)) << "the package did not register " << key;
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string uninstall = "msiexec /x " + disc.files[0] + " /qn";
    ASSERT_TRUE(CreateProcessA(NULL, &uninstall[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(installed()) << "msiexec /x left " << key;
}

}  // namespace
