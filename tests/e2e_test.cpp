// The launcher as a user meets it: started as the shell starts it from a
// folder on the CD-ROM drive D:, its dialog read and clicked with the real
// mouse, its picture read back from the screen, real programs started.
#include "common.h"
#include "story.h"

#include <optional>

namespace {

// The splash dialog made hidden in this process from the launcher's own
// template, as the launcher makes it before it moves anything.
HWND SplashTemplate()
{
    WNDCLASSA wc = {CS_GLOBALCLASS, DefWindowProcA, 0, DLGWINDOWEXTRA};
    wc.lpszClassName = SPLASH_SCREEN_NAME;
    RegisterClassA(&wc);
    HMODULE exe = LoadLibraryExA(kLauncher.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HWND dialog = CreateDialogParamA(exe, SPLASH_SCREEN_NAME, NULL, NULL, 0);
    ShowWindow(dialog, SW_HIDE);
    return dialog;
}

// Whether every pixel of the frame's inside on the screen is the picture's.
int WrongPixels(HWND frame, const Bmp& bmp, int w, int h)
{
    POINT at = {0, 0};
    ClientToScreen(frame, &at);
    std::string shot = Screenshot();
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    int wrong = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            size_t i = 3 * ((size_t)(at.y + y) * cx + at.x + x);
            wrong += i + 3 > shot.size() ||
                     (DWORD)((BYTE)shot[i] << 16 | (BYTE)shot[i + 1] << 8 | (BYTE)shot[i + 2]) != bmp.Colour(x, y);
        }
    return wrong;
}

// Each row starts the launcher with a disc and an application, reads what it
// shows, clicks a button and sees what starts.
TEST(Launcher, ShowsItsDialogAndStartsWhatItsButtonsSay)
{
    const char kNoFile[] = "Error|Invalid File Name. Make sure file exists.";
    const char kNoBitmap[] = "Error|Invalid Bitmap File. Make sure that file is a 256 colour BMP file.";
    const char kCannotInvoke[] = "Error|Could not invoke executable.";
    // Package: the installer is an MSI package on the disc, which registers
    // the application once installed. Expandable: its values are as Windows
    // writes its own, "%ProgramFiles%\..." unquoted, where C:\Program.exe is
    // planted. Empty: the command has no data.
    enum App { None, Installed, Unstartable, Package, Expandable, Empty };
    // Picture sizes below 1 are the frame's interior plus the negated value.
    // clang-format off
    const struct {
        const char* args;  // the application's and the installer's switches come first
        App app;
        const char* file;  // the picture written, as splash.bmp when null
        int bits, width, height;
        const char* caption;  // of the dialog, or null when none comes
        int button;           // clicked: the first button starts the program or shows box 203
        const char* box;      // shown before the dialog or after the click
    } cases[] = {
        {"", None, nullptr, 8, 37, 21, "Talvik", IDC_FIRST_BUTTON, nullptr},
        {" -C(My Game) -Sart.bmp", None, "art.bmp", 4, 33, 17, "My Game", IDC_CANCEL_BUTTON, nullptr},
        {"", Installed, nullptr, 1, 40, 40, "Talvik", IDC_FIRST_BUTTON, nullptr},
        {"", Unstartable, nullptr, 8, -40, -40, "Talvik", IDC_FIRST_BUTTON, kCannotInvoke},
        {"", Installed, nullptr, 8, -1, 10, "Talvik", IDC_CANCEL_BUTTON, nullptr},
        {" -Dx", Installed, nullptr, 8, 8, 8, nullptr, 0, nullptr},
        {" -Dx", None, nullptr, 8, 8, 8, "Talvik", IDC_CANCEL_BUTTON, nullptr},
        {" -PSPLASH_SCREEN", None, nullptr, 8, 8, 8, nullptr, 0, nullptr},
        {" -PNoSuchWindowClass", None, nullptr, 8, 8, 8, "Talvik", IDC_CANCEL_BUTTON, nullptr},
        {"", None, "other.bmp", 8, 8, 8, "Talvik", IDC_CANCEL_BUTTON, kNoFile},
        {"", None, nullptr, 24, 8, 8, "Talvik", IDC_CANCEL_BUTTON, kNoBitmap},
        {" -Shidden.bmp", None, "hidden.bmp", 8, 8, 8, "Talvik", IDC_CANCEL_BUTTON, kNoFile},
        {" -Sfolder.bmp", None, "folder.bmp", 8, 8, 8, "Talvik", IDC_CANCEL_BUTTON, kNoFile},
        {"", Package, nullptr, 8, 8, 8, "Talvik", IDC_FIRST_BUTTON, nullptr},
        {"", Expandable, nullptr, 8, 8, 8, "Talvik", IDC_FIRST_BUTTON, nullptr},
        {"", Empty, nullptr, 8, 8, 8, "Talvik", IDC_FIRST_BUTTON, kCannotInvoke},
    };
    // clang-format on
    HWND tmpl = SplashTemplate();
    ASSERT_TRUE(tmpl);
    RECT frame;
    GetClientRect(GetDlgItem(tmpl, IDC_PICTURE_FRAME), &frame);
    MapWindowPoints(GetDlgItem(tmpl, IDC_PICTURE_FRAME), tmpl, (POINT*)&frame, 2);
    const int interiorW = frame.right - frame.left, interiorH = frame.bottom - frame.top;
    // msiexec removes the test package, installed or not: a run stopped
    // half-way leaves it installed.
    auto uninstall = [] {
        Launcher msiexec("C:\\windows\\system32\\msiexec.exe", "/x " + std::string(MSI_PACKAGE) + " /qn", "C:\\");
        EXPECT_NE(STILL_ACTIVE, msiexec.Exit(60000)) << "msiexec /x did not end";
    };
    const std::string programFiles = getenv("ProgramFiles") + std::string("\\");
    auto row = [&](const auto& c) {
        SCOPED_TRACE(std::string(c.args) + " app " + std::to_string(c.app) + ", " + std::to_string(c.bits) + " bits " +
                     std::to_string(c.width));
        const std::string root = c.app == Expandable ? programFiles : "";
        TempDir disc("D:\\"), appDir(root), pathDir(root);
        std::optional<Child> planted;
        if (c.app == Expandable)
            planted.emplace("C:\\Program.exe");
        Bmp bmp((WORD)c.bits, c.width > 0 ? c.width : interiorW - c.width,
                c.height > 0 ? c.height : interiorH - c.height);
        // A picture named folder.bmp is a folder, one named hidden.bmp hidden.
        const std::string file = disc / (c.file ? c.file : "splash.bmp");
        if (!CreateDirectoryA(strstr(file.c_str(), "folder") ? file.c_str() : "", NULL))
            WriteFile(file, bmp.Bytes());
        SetFileAttributesA(strstr(file.c_str(), "hidden") ? file.c_str() : "", FILE_ATTRIBUTE_HIDDEN);
        std::string installer = Unique("setup") + ".exe", app = Unique("app") + ".exe";
        Child setup("D:\\" + installer), game(appDir / "game.exe");
        if (c.app == Package) {
            uninstall();
            WriteFile(disc / "package.msi", ReadFile(std::string(MSI_PACKAGE)));
            app = "autorun-msi-test.exe";
            installer = "(" + disc.path.substr(3) + "\\package.msi /qn)";
        }
        RegKey key(kAppPaths + app, c.app != None && c.app != Package);
        std::string command = "\"" + game.path + (c.app == Unstartable ? ".missing" : "") + "\" -x",
                    path = pathDir.path;
        DWORD type = REG_SZ;
        if (c.app == Expandable) {
            command = "%ProgramFiles%\\" + game.path.substr(root.size());
            path = "%ProgramFiles%\\" + path.substr(root.size());
            type = REG_EXPAND_SZ;
        }
        if (c.app != None && c.app != Package) {
            key.Set(nullptr, c.app == Empty ? "" : command + '\0', type);
            key.Set("Path", path + '\0', type);
        }
        // The launcher on the disc, beside a DLL named as one that a system DLL
        // loads once the dialog is made.
        const std::string exe = disc / "autorun.exe";
        ASSERT_TRUE(CopyFileA(kLauncher.c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(PLANTED_DLL, (disc / "uxtheme.dll").c_str(), FALSE));
        SearchedDlls searched("autorun.exe", {"uxtheme"});
        Launcher launcher(exe, "-A" + app + " -I" + installer + c.args, disc.path);
        HWND hwnd = launcher.Window();
        if (!c.caption) {
            EXPECT_EQ(NULL, hwnd);
            EXPECT_EQ(0u, launcher.Exit());
            EXPECT_EQ(std::vector<std::string>{}, launcher.boxes);
            return;
        }
        ASSERT_TRUE(hwnd) << launcher.NoDialog();
        EXPECT_EQ("", ReadFile(disc / "uxtheme.dll.run")) << "loaded the DLL beside it";
        EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "not above others";
        EXPECT_EQ(c.app == None || c.app == Package ? "&Install" : "&Play", Text(GetDlgItem(hwnd, IDC_FIRST_BUTTON)));
        EXPECT_EQ("Cancel", Text(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
        EXPECT_EQ("Copyright 2026 Talvik Software", Text(GetDlgItem(hwnd, IDC_NOTICE)));
        // Centred, or cut where the halved difference is below 0: one pixel
        // more than the interior still fits whole.
        auto fit = [](int interior, int picture, int* offset) {
            *offset = (interior - picture) / 2;
            return *offset < 0 ? (*offset = 0, interior) : picture;
        };
        // A box before the dialog says that there is no picture.
        const bool shown = !c.box || c.button == IDC_FIRST_BUTTON;
        int left, top, wrong = -1;
        const int w = fit(interiorW, bmp.info.biWidth, &left), h = fit(interiorH, bmp.info.biHeight, &top);
        HWND hFrame = GetDlgItem(hwnd, IDC_PICTURE_FRAME);
        RECT in = {};
        // Captioned, laid out and painted at the first paint, which comes
        // when it comes.
        EXPECT_TRUE(WaitFor([&] {
            GetClientRect(hFrame, &in);
            MapWindowPoints(hFrame, hwnd, (POINT*)&in, 2);
            return Text(hwnd) == c.caption &&
                   (!shown || (in.left == frame.left + left && in.top == frame.top + top && in.right - in.left == w &&
                               in.bottom - in.top == h && !(wrong = WrongPixels(hFrame, bmp, w, h))));
        })) << "caption '"
            << Text(hwnd) << "', inside the frame " << in.left << "," << in.top << " " << in.right - in.left << "x"
            << in.bottom - in.top << ", want " << frame.left + left << "," << frame.top + top << " " << w << "x" << h
            << "; pixels unlike the picture's: " << wrong;
        // The checker, given the same disc, says what the launcher did.
        WriteFile(disc / "autorun.inf", "[autorun]\nopen=autorun.exe -A" + app + " -I" + installer + c.args);
        std::string said = RunCheck(disc.path).second, box = launcher.boxes.empty() ? "" : launcher.boxes[0];
        std::string saw = !shown ? box.substr(box.find('|') + 1)
                          : w == bmp.info.biWidth && h == bmp.info.biHeight
                              ? "shown whole at " + std::to_string(left) + "," + std::to_string(top)
                              : "cut to the frame's inside of " + std::to_string(interiorW) + " x " +
                                    std::to_string(interiorH) + ": its top-left " + std::to_string(w) + " x " +
                                    std::to_string(h) + " is shown";
        EXPECT_NE(std::string::npos, said.find(saw)) << "the launcher: " << saw << "\nthe checker:\n" << said;
        EXPECT_EQ("", Click(GetDlgItem(hwnd, c.button)));
        // The shell returns once an installer is under way, which under Wine
        // can mean once it is done.
        EXPECT_EQ(0u, launcher.Exit(60000));
        EXPECT_EQ(c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}, launcher.boxes);
        if (c.app == Package) {
            EXPECT_TRUE(WaitFor([&] { return HasKey(key.sub.c_str()); }, 60000))
                << "the package did not register " << key.sub;
            uninstall();
        }
        if (c.button == IDC_CANCEL_BUTTON || c.box || c.app == Package)
            return;
        // An unquoted path with blanks starts the program it names as a whole,
        // not the planted one.
        Child& started = c.app == None ? setup : game;
        ASSERT_TRUE(started.Wait()) << started.path << " did not start";
        EXPECT_EQ(c.app == Installed    ? command
                  : c.app == Expandable ? '"' + game.path + '"'
                                        : "D:\\" + installer,
                  started.line);
        EXPECT_EQ(c.app == None ? disc.path : pathDir.path, started.dir);
    };
    for (auto& c : cases)
        row(c);
    // The template stays to the end: -P finds a window of its class.
    DestroyWindow(tmpl);
}

// Pictures an author has, made splashes by tools/make-splash: the checker
// passes the disc, and the launcher shows each pixel of the file, whose
// corners have the source's colours. The source is wider than the frame, so
// the splash takes the frame's whole width, as make-splash read it from the
// launcher.
TEST(Splash, MadeFromAnyPictureIsShown)
{
    HWND tmpl = SplashTemplate();
    ASSERT_TRUE(tmpl);
    RECT frame;
    GetClientRect(GetDlgItem(tmpl, IDC_PICTURE_FRAME), &frame);
    DestroyWindow(tmpl);
    for (const char* source : {"/quarters.png.bmp", "/quarters.jpg.bmp"}) {
        SCOPED_TRACE(source);
        const std::string bytes = ReadFile(SPLASHES + std::string(source));
        ASSERT_GT(bytes.size(), 54u + 1024u);
        Bmp bmp(8, 1, 1);
        memcpy(&bmp.info, &bytes[14], sizeof bmp.info);
        bmp.table = bytes.substr(54, 4 * (bmp.info.biClrUsed ? bmp.info.biClrUsed : 256));
        bmp.bits = bytes.substr(((const BITMAPFILEHEADER*)&bytes[0])->bfOffBits);
        const int w = bmp.info.biWidth, h = bmp.info.biHeight;
        EXPECT_EQ(frame.right, w);
        const std::pair<POINT, DWORD> corners[] = {
            {{0, 0}, 0xFF0000}, {{w - 1, 0}, 0x0000FF}, {{0, h - 1}, 0x00FF00}, {{w - 1, h - 1}, 0xFFFF00}};
        for (auto& [at, rgb] : corners)
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(rgb >> shift & 0xFF, bmp.Colour(at.x, at.y) >> shift & 0xFF, 48) << at.x << "," << at.y;
        TempDir disc("D:\\");
        WriteFile(disc / "splash.bmp", bytes);
        WriteFile(disc / "autorun.inf", "[autorun]\nopen=autorun.exe -Anone.exe");
        WriteFile(disc / "autorun.exe", "MZ");
        ASSERT_TRUE(CopyFileA(CHILD_EXE, (disc / "setup.exe").c_str(), FALSE));
        auto [code, said] = RunCheck(disc.path);
        EXPECT_EQ(0u, code) << said;
        Launcher launcher(kLauncher, "-Anone.exe", disc.path);
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd) << launcher.NoDialog();
        int wrong = -1;
        EXPECT_TRUE(WaitFor([&] { return !(wrong = WrongPixels(GetDlgItem(hwnd, IDC_PICTURE_FRAME), bmp, w, h)); }))
            << wrong << " pixels unlike the file's";
        EXPECT_EQ("", Click(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
        EXPECT_EQ(0u, launcher.Exit());
    }
}

// The demo disc's story, the steps make demo plays, from the image's
// contents on the root of the CD-ROM drive D:, the real installer included.
TEST(Demo, PlaysItsStoryFromTheImage)
{
    // UTF-16 with its byte-order mark: the label is beyond ASCII, the line is not.
    std::string utf16 = ReadFile(DEMO_DISC "/autorun.inf"), inf, open = "open=autorun.exe ";
    ASSERT_EQ("\xff\xfe", utf16.substr(0, 2));
    for (size_t i = 2; i < utf16.size(); i += 2)
        inf += utf16[i];
    ASSERT_NE(std::string::npos, inf.find(open)) << inf;
    std::string switches = inf.substr(inf.find(open) + open.size());
    switches.erase(switches.find('\r'));
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(DEMO_DISC "/*", &fd);
    std::vector<std::string> copied;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            CopyFileA((DEMO_DISC "/" + std::string(fd.cFileName)).c_str(), ("D:\\" + std::string(fd.cFileName)).c_str(),
                      FALSE))
            copied.push_back("D:\\" + std::string(fd.cFileName));
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    {
        Launcher launcher("D:\\autorun.exe", switches, "D:\\");
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd) << launcher.NoDialog();
        EXPECT_EQ("Copyright 2026 Talvik Demo Games", Text(GetDlgItem(hwnd, IDC_NOTICE)));
        PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
        EXPECT_EQ(0u, launcher.Exit());
    }
    for (const StoryStep& step : DemoStory("D:\\autorun.exe", "D:\\", switches))
        EXPECT_EQ("", step.play()) << step.name << ": " << step.says;
    for (const std::string& file : copied)
        DeleteFileA(file.c_str());
}

// Centred on the screen, or at its edge where the screen is the smaller (the
// suite runs this once more on a screen of 320 x 240).
TEST(Screen, HoldsTheDialogCentredOrAtItsEdge)
{
    TempDir disc("D:\\");
    WriteFile(disc / "splash.bmp", Bmp(8, 8, 8).Bytes());
    Launcher launcher(kLauncher, "-AnoSuchApp.exe", disc.path);
    HWND hwnd = launcher.Window();
    ASSERT_TRUE(hwnd) << launcher.NoDialog();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2), r.left);
    EXPECT_EQ(std::max(0L, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2), r.top);
    PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
    EXPECT_EQ(0u, launcher.Exit());
}

}  // namespace
