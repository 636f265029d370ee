// The launcher as a user meets it: started as the shell starts it from a
// folder on the CD-ROM drive D:, its dialog read and clicked with the real
// mouse, its picture read back from the screen, real programs started.
#include "common.h"
#include "story.h"

#include <map>
#include <optional>

namespace {

const char kNoFile[] = "Error|Invalid File Name. Make sure file exists.";
const char kNoBitmap[] = "Error|Invalid Bitmap File. Make sure that file is a 256 colour BMP file.";

// How many pixels of the frame's inside on the screen are not the picture's.
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

// A folder of the CD-ROM drive D: holding the launcher and its picture,
// beside a DLL named as one that a system DLL loads once the dialog is made
// (Wine is told to take it first, as Windows would); the installer, a child,
// at the drive's root, where the launcher looks for it.
struct Disc {
    explicit Disc(const Bmp& bmp, const std::string& picture = "splash.bmp")
    {
        WriteFile(dir / picture, bmp.Bytes());
        EXPECT_TRUE(CopyFileA(kLauncher.c_str(), (dir / "autorun.exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileA(PLANTED_DLL, (dir / "uxtheme.dll").c_str(), FALSE));
    }
    Launcher Start(const std::string& args, const std::string& install = "")
    {
        return Launcher(dir / "autorun.exe", args + " -I" + (install.empty() ? installer : install), dir.path);
    }
    TempDir dir{"D:\\"};
    std::string installer = Unique("setup") + ".exe";
    Child setup{"D:\\" + installer};
    SearchedDlls searched{"autorun.exe", {"uxtheme"}};
};

// The dialog once it serves its messages, with what every dialog shows.
HWND Dialog(Launcher& launcher, const Disc& disc)
{
    HWND hwnd = launcher.Window();
    EXPECT_TRUE(hwnd) << launcher.NoDialog();
    if (!hwnd)
        return NULL;
    EXPECT_EQ("", ReadFile(disc.dir / "uxtheme.dll.run")) << "loaded the DLL beside it";
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "not above others";
    EXPECT_EQ("Cancel", Text(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
    EXPECT_EQ("Copyright 2026 Talvik Software", Text(GetDlgItem(hwnd, IDC_NOTICE)));
    return hwnd;
}

// Pictures in the frame, whose inside in the dialog's client area is 212 x
// 302 at 8,9 in the harness's MS Sans Serif: where the inside is once laid
// out around the picture, and what the checker says of it.
// clang-format off
const struct { const char* name; WORD bits; LONG width, height; const char *args, *file, *caption; int left, top, w, h; const char* verdict; } kPictures[] = {
    {"centred, the odd halves cut", 8, 37, 21, "", "splash.bmp", "Talvik", 95, 149, 37, 21, "37 x 21: shown whole at 87,140 in"},
    {"4 bits, named by -S, under -C's caption", 4, 33, 17, " -C(My Game) -Sart.bmp", "art.bmp", "My Game", 97, 151, 33, 17,
     "33 x 17: shown whole at 89,142 in"},
    {"1 bit", 1, 40, 40, "", "splash.bmp", "Talvik", 94, 140, 40, 40, "40 x 40: shown whole at 86,131 in"},
    {"larger: its top-left part", 8, 252, 342, "", "splash.bmp", "Talvik", 8, 9, 212, 302,
     "252 x 342: cut to the frame's inside of 212 x 302: its top-left 212 x 302 is shown"},
    {"one pixel wider: whole, at 0", 8, 213, 10, "", "splash.bmp", "Talvik", 8, 155, 213, 10, "213 x 10: shown whole at 0,146 in"},
};
// clang-format on

// Captioned, laid out and painted at the first paint, where the checker says
// the picture goes; Cancel closes it.
TEST(Launcher, CentresThePictureInItsFrameOrShowsItsTopLeft)
{
    for (auto& c : kPictures) {
        SCOPED_TRACE(c.name);
        Bmp bmp(c.bits, c.width, c.height);
        Disc disc(bmp, c.file);
        WriteFile(disc.dir / "autorun.inf", std::string("[autorun]\nopen=autorun.exe -Anone.exe") + c.args);
        ExpectSaid(RunCheck(disc.dir.path).second, {c.verdict});
        Launcher launcher = disc.Start(std::string("-Anone.exe") + c.args);
        HWND hwnd = Dialog(launcher, disc), frame = GetDlgItem(hwnd, IDC_PICTURE_FRAME);
        RECT in = {};
        int wrong = -1;
        // The first paint comes when it comes.
        EXPECT_TRUE(WaitFor([&] {
            GetClientRect(frame, &in);
            MapWindowPoints(frame, hwnd, (POINT*)&in, 2);
            return Text(hwnd) == c.caption && in.left == c.left && in.top == c.top && in.right - in.left == c.w &&
                   in.bottom - in.top == c.h && !(wrong = WrongPixels(frame, bmp, c.w, c.h));
        })) << "caption '"
            << Text(hwnd) << "', want '" << c.caption << "'; the frame's inside " << in.left << "," << in.top << " "
            << in.right - in.left << "x" << in.bottom - in.top << ", want " << c.left << "," << c.top << " " << c.w
            << "x" << c.h << "; pixels unlike the picture's: " << wrong << " (-1: not compared)";
        EXPECT_EQ("", Click(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_EQ(std::vector<std::string>{}, launcher.boxes);
    }
}

// One box says why, before the dialog, which then comes up without it.
TEST(Launcher, SaysWhyItHasNoPicture)
{
    // clang-format off
    const struct { const char* name; WORD bits; std::function<void(const std::string&)> spoil; const char* box; } cases[] = {
        {"no such file", 8, [](const std::string& p) { DeleteFileA(p.c_str()); }, kNoFile},
        {"hidden", 8, [](const std::string& p) { SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN); }, kNoFile},
        {"a folder", 8, [](const std::string& p) { DeleteFileA(p.c_str()); CreateDirectoryA(p.c_str(), NULL); }, kNoFile},
        {"24 bits, no colour table", 24, [](const std::string&) {}, kNoBitmap},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Disc disc(Bmp(c.bits, 8, 8));
        c.spoil(disc.dir / "splash.bmp");
        Launcher launcher = disc.Start("-Anone.exe");
        HWND hwnd = Dialog(launcher, disc);
        EXPECT_EQ(std::vector<std::string>{c.box}, launcher.boxes) << "before the dialog";
        EXPECT_EQ("", Click(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_EQ(std::vector<std::string>{c.box}, launcher.boxes) << "after it";
    }
}

// -D keeps it away when the application is installed, -P when a window of
// the class it names exists: nothing shows, and it ends with 0.
TEST(Launcher, StaysAwayWhereItsSwitchesSay)
{
    // clang-format off
    const struct { const char *name, *args; bool installed, shown; } cases[] = {
        {"-D, installed", " -Dx", true, false},
        {"-D, not installed", " -Dx", false, true},
        {"an empty -D, installed", " -D", true, true},
        {"-P naming the class of a window here", " -P" SPLASH_SCREEN_NAME, false, false},
        {"-P naming no window's class", " -PNoSuchWindowClass", false, true},
    };
    // clang-format on
    WNDCLASSA wc = {CS_GLOBALCLASS, DefWindowProcA};
    wc.lpszClassName = SPLASH_SCREEN_NAME;
    RegisterClassA(&wc);
    HWND here = CreateWindowA(SPLASH_SCREEN_NAME, "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(here);
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Disc disc(Bmp(8, 8, 8));
        RegKey key(kAppPaths + Unique("app") + ".exe", c.installed);
        if (c.installed)
            key.Set(nullptr, "C:\\game.exe" + std::string(1, '\0'));
        Launcher launcher = disc.Start("-A" + key.sub.substr(sizeof kAppPaths - 1) + c.args);
        HWND hwnd = c.shown ? Dialog(launcher, disc) : launcher.Window();
        EXPECT_EQ(c.shown, hwnd != NULL) << (hwnd ? "its dialog shows" : launcher.NoDialog());
        PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_EQ(std::vector<std::string>{}, launcher.boxes);
    }
    DestroyWindow(here);
}

// msiexec removes the test package, installed or not: a run stopped half-way
// leaves it installed.
void Uninstall()
{
    Launcher msiexec("C:\\windows\\system32\\msiexec.exe", "/x " + std::string(MSI_PACKAGE) + " /qn", "C:\\");
    EXPECT_NE(STILL_ACTIVE, msiexec.Exit(60000)) << "msiexec /x did not end";
}

// Package: the installer is an MSI package on the disc, which registers the
// application once installed. Expandable: its values are as Windows writes
// its own, "%ProgramFiles%\..." unquoted, where C:\Program.exe is planted.
// Empty: the command has no data.
enum App { None, Installed, Missing, Package, Expandable, Empty };

TEST(Launcher, FirstButtonStartsTheApplicationOrElseTheInstaller)
{
    // What starts (@: the program started, the game or the installer at the
    // drive's root), and whether in the key's Path or else the disc's folder.
    // clang-format off
    const struct { const char* name; App app; const char *label, *line; bool inPath; const char* box; } cases[] = {
        {"not installed: the installer", None, "&Install", "@", false, nullptr},
        {"installed: its command, in its Path", Installed, "&Play", "\"@\" -x", true, nullptr},
        {"installed as Windows writes it: the program named whole, not C:\\Program.exe", Expandable, "&Play", "\"@\"", true, nullptr},
        {"an MSI package for the installer: the shell installs it", Package, "&Install", nullptr, false, nullptr},
        {"installed, its program missing: box 203", Missing, "&Play", nullptr, false, kCannotInvoke},
        {"installed with no command: box 203", Empty, "&Play", nullptr, false, kCannotInvoke},
    };
    // clang-format on
    const std::string programFiles = getenv("ProgramFiles") + std::string("\\");
    auto row = [&](const auto& c) {
        SCOPED_TRACE(c.name);
        const std::string root = c.app == Expandable ? programFiles : "";
        Disc disc(Bmp(8, 8, 8));
        TempDir appDir(root), pathDir(root);
        std::optional<Child> planted;
        if (c.app == Expandable)
            planted.emplace("C:\\Program.exe");
        Child game(appDir / "game.exe");
        std::string app = Unique("app") + ".exe", installer;
        if (c.app == Package) {
            Uninstall();
            WriteFile(disc.dir / "package.msi", ReadFile(MSI_PACKAGE));
            app = "autorun-msi-test.exe";
            installer = "(" + disc.dir.path.substr(3) + "\\package.msi /qn)";
        }
        RegKey key(kAppPaths + app, c.app != None && c.app != Package);
        const bool expand = c.app == Expandable;
        const std::string command = expand ? "%ProgramFiles%\\" + game.path.substr(root.size())
                                           : "\"" + game.path + (c.app == Missing ? ".missing" : "") + "\" -x",
                          path = expand ? "%ProgramFiles%\\" + pathDir.path.substr(root.size()) : pathDir.path;
        if (c.app != None && c.app != Package) {
            key.Set(nullptr, c.app == Empty ? "" : command + '\0', expand ? REG_EXPAND_SZ : REG_SZ);
            key.Set("Path", path + '\0', expand ? REG_EXPAND_SZ : REG_SZ);
        }
        Launcher launcher = disc.Start("-A" + app, installer);
        HWND hwnd = Dialog(launcher, disc);
        ASSERT_TRUE(hwnd);
        EXPECT_EQ(c.label, Text(GetDlgItem(hwnd, IDC_FIRST_BUTTON)));
        EXPECT_EQ("", Click(GetDlgItem(hwnd, IDC_FIRST_BUTTON)));
        // The shell returns once an installer is under way, which under Wine
        // can mean once it is done.
        EXPECT_EQ(0u, launcher.Exit(60000));
        EXPECT_EQ(c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}, launcher.boxes);
        if (c.app == Package) {
            EXPECT_TRUE(WaitFor([&] { return HasKey(key.sub.c_str()); }, 60000)) << "no key " << key.sub;
            Uninstall();
        }
        if (!c.line)
            return;
        Child& started = c.app == None ? disc.setup : game;
        ASSERT_TRUE(started.Wait()) << started.path << " did not start";
        std::string line = c.line;
        EXPECT_EQ(line.replace(line.find('@'), 1, started.path), started.line);
        EXPECT_EQ(c.inPath ? pathDir.path : disc.dir.path, started.dir);
    };
    for (auto& c : cases)
        row(c);
}

// The launcher's texts in a language as the table has them, English where
// `tag` is empty: the key's text by key (play, cancel, 101, 201...).
std::map<std::string, std::string> Texts(const std::string& tag)
{
    std::map<std::string, std::string> texts;
    std::istringstream table(ReadFile(TRANSLATIONS_TSV));
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string language, key, english, text;
        if (std::getline(std::getline(std::getline(std::getline(fields, language, '\t'), key, '\t'), english, '\t'),
                         text) &&
            language == (tag.empty() ? "de" : tag))
            texts[key] = tag.empty() ? english : text;
    }
    return texts;
}

// The disc's launcher stamped with every translation, then the launcher as
// built, started in the locale this test runs in (tests/CMakeLists.txt: as
// on a Windows of that language; AUTORUN_LANGUAGE is the table's tag for it,
// none for English): the first button, Cancel and box 203 (its installer
// missing) in the user's language, else in English, as built in English
// everywhere; a caption in three scripts whole.
TEST(Languages, TheDiscsLauncherSpeaksTheUsersLanguage)
{
    const char* tag = getenv("AUTORUN_LANGUAGE");
    const std::string caption = "ゲームの世界 Größe Игра", notice = "Copyright 2026 Talvik Software GmbH and Company";
    for (bool stamped : {true, false}) {
        SCOPED_TRACE(stamped ? "the disc's launcher" : "the launcher as built");
        auto texts = Texts(stamped && tag ? tag : "");
        Disc disc(Bmp(8, 8, 8));
        if (stamped) {
            auto [code, said] =
                RunTool(L"" STAMP_EXE, L"autorun.exe --languages all --notice \"" + Wide(CP_UTF8, notice) + L"\"",
                        disc.dir.path);
            ASSERT_EQ(0u, code) << said;
            // Too wide for its control in every language: one warning for all.
            ExpectSaid(said, {"warning: the notice is wider than its control at each language's font, which cuts it: ",
                              ", en-US", " in ja"});
            // Every frame holds the picture make-splash makes for the built one.
            std::tie(code, said) = RunCheck(disc.dir / "autorun.exe", "--frame");
            ExpectSaid(said, {"frame en-US: 212 x 302\r\n", "frame ja: ", "frame: 212 x 302\r\n"});
        }
        Launcher launcher = disc.Start("-Anone.exe -C(" + caption + ")", "missing.exe");
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd) << launcher.NoDialog();
        // The caption comes with the first paint.
        EXPECT_TRUE(WaitFor([&] { return Text(hwnd) == caption; })) << Text(hwnd);
        EXPECT_EQ(texts["101"], Text(GetDlgItem(hwnd, IDC_FIRST_BUTTON)));
        EXPECT_EQ(texts["cancel"], Text(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)));
        EXPECT_EQ("", Click(GetDlgItem(hwnd, IDC_FIRST_BUTTON)));
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_EQ(std::vector<std::string>{texts["201"] + "|" + texts["203"]}, launcher.boxes);
    }
}

// Pictures an author has, made splashes by tools/make-splash: the checker
// passes the disc, and the launcher shows each pixel of the file, whose
// corners have the source's colours. The source is wider than the frame, so
// the splash takes the frame's whole width, as make-splash read it from the
// launcher.
TEST(Splash, MadeFromAnyPictureIsShown)
{
    for (const char* source : {"/quarters.png.bmp", "/quarters.jpg.bmp"}) {
        SCOPED_TRACE(source);
        const std::string bytes = ReadFile(SPLASHES + std::string(source));
        ASSERT_GT(bytes.size(), 54u + 1024u);
        Bmp bmp(8, 1, 1);
        memcpy(&bmp.info, &bytes[14], sizeof bmp.info);
        bmp.table = bytes.substr(54, 4 * (bmp.info.biClrUsed ? bmp.info.biClrUsed : 256));
        bmp.bits = bytes.substr(((const BITMAPFILEHEADER*)&bytes[0])->bfOffBits);
        const int w = bmp.info.biWidth, h = bmp.info.biHeight;
        EXPECT_EQ(212, w) << "not the width of the frame's inside";
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
// suite runs this once more on a screen of 320 x 240): the dialog is 246 x
// 405 in the harness's MS Sans Serif.
TEST(Screen, HoldsTheDialogCentredOrAtItsEdge)
{
    Disc disc(Bmp(8, 8, 8));
    Launcher launcher = disc.Start("-Anone.exe");
    HWND hwnd = Dialog(launcher, disc);
    ASSERT_TRUE(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    // The screen's width and height, then the dialog's left, top, right, bottom.
    const std::vector<LONG> rows[] = {{1024, 768, 389, 181, 635, 586}, {320, 240, 37, 0, 283, 405}};
    const LONG cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto want = std::find_if(std::begin(rows), std::end(rows), [&](auto& row) { return row[0] == cx && row[1] == cy; });
    ASSERT_NE(std::end(rows), want) << "no row for a screen of " << cx << " x " << cy;
    EXPECT_EQ(*want, (std::vector<LONG>{cx, cy, r.left, r.top, r.right, r.bottom}));
    PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
    EXPECT_EQ(0u, launcher.Exit());
}

}  // namespace
