// The launcher as a user meets it: started as the shell starts it from a
// folder on the CD-ROM drive D:, its dialog read and clicked with the real
// mouse, its picture read back from the screen, real programs started.
#include "common.h"

namespace {

// A folder of its own on D: with the given files, removed with them.
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

TEST(Start, ShowsTheDialogOrNothing)
{
    const char kNoFile[] = "Invalid File Name. Make sure file exists.";
    const char kNoBitmap[] = "Invalid Bitmap File. Make sure that file is a 256 colour BMP file.";
    const struct {
        const char* args;     // $ is an application's name, installed when `installed`
        bool installed;
        const char* picture;  // written as 8 bits, or "24" for splash.bmp of 24 bits
        const char* caption;  // of the window shown, or null when none is
        const char* button;
        const char* box;      // shown before the window
    } cases[] = {
        {"-A$", false, "splash.bmp", "Talvik", "&Install", nullptr},
        {"-A$ -C(My Game) -Sart.bmp", false, "art.bmp", "My Game", "&Install", nullptr},
        {"-A$", true, "splash.bmp", "Talvik", "&Play", nullptr},
        {"-A$ -Dx", true, "splash.bmp", nullptr, nullptr, nullptr},
        {"-A$ -Dx", false, "splash.bmp", "Talvik", "&Install", nullptr},
        {"-A$ -PAutorunTestWindow", false, "splash.bmp", nullptr, nullptr, nullptr},
        {"-A$ -PNoSuchWindowClass", false, "splash.bmp", "Talvik", "&Install", nullptr},
        {"-A$", false, "other.bmp", "Talvik", "&Install", kNoFile},
        {"-A$", false, "24", "Talvik", "&Install", kNoBitmap},
    };
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "AutorunTestWindow";
    RegisterClassA(&wc);
    HWND other = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
    for (auto& c : cases) [&] {
        SCOPED_TRACE(std::string(c.args) + (c.installed ? ", installed" : "") + ", " + c.picture);
        Disc disc;
        std::string picture = c.picture, app = Unique("app") + ".exe", args = c.args;
        disc.Add(picture == "24" ? "splash.bmp" : picture, Bmp(picture == "24" ? 24 : 8, 8, 8).Bytes());
        args.replace(args.find('$'), 1, app);
        RegKey key(kAppPaths + app, c.installed);
        if (c.installed)
            key.Set(nullptr, std::string("C:\\app.exe", 11));
        Launcher launcher(args, disc.path);
        HWND hwnd = launcher.Window();
        EXPECT_EQ(c.box ? 1u : 0u, launcher.boxes.size());
        EXPECT_EQ(c.box ? c.box : "", launcher.boxes.empty() ? "" : launcher.boxes[0].text);
        if (!c.caption) {
            EXPECT_EQ(NULL, hwnd);
            EXPECT_EQ(0u, launcher.Exit());
            return;
        }
        ASSERT_TRUE(hwnd) << "no dialog";
        EXPECT_TRUE(WaitFor([&] { return Text(hwnd) == c.caption; })) << Text(hwnd);
        EXPECT_EQ(c.button, Text(GetDlgItem(hwnd, 42)));
        EXPECT_EQ("Cancel", Text(GetDlgItem(hwnd, 43)));
        EXPECT_EQ("Copyright 2026 Talvik Software", Text(GetDlgItem(hwnd, 0xFFFF)));
        Click(GetDlgItem(hwnd, 43));
        EXPECT_EQ(0u, launcher.Exit());
    }();
    DestroyWindow(other);
}

// Smaller than the frame's interior, the picture is centred and the frame
// closes around it; larger, its top-left part fills the interior. Every
// pixel of the frame's inside is the picture's, as the screen shows it.
TEST(Start, ShowsThePictureInItsFrame)
{
    HWND tmpl = SplashTemplate();
    ASSERT_TRUE(tmpl);
    RECT frame;
    GetClientRect(GetDlgItem(tmpl, 45), &frame);
    MapWindowPoints(GetDlgItem(tmpl, 45), tmpl, (POINT*)&frame, 2);
    DestroyWindow(tmpl);
    const int interiorW = frame.right - frame.left, interiorH = frame.bottom - frame.top;
    // Widths and heights below 1 are the interior's plus the negated value.
    const int cases[][3] = {{8, 37, 21}, {4, 33, 17}, {1, 40, 40}, {8, -40, -40}, {8, -1, 10}};
    for (auto& c : cases) [&] {
        SCOPED_TRACE(std::to_string(c[0]) + " bits " + std::to_string(c[1]) + "x" + std::to_string(c[2]));
        Bmp bmp((WORD)c[0], c[1] > 0 ? c[1] : interiorW - c[1], c[2] > 0 ? c[2] : interiorH - c[2]);
        // Centred, or cut where the halved difference is below 0: one pixel
        // more than the interior still fits whole.
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
        HWND hFrame = GetDlgItem(hwnd, 45);
        RECT inside;
        int wrong = -1;
        // Laid out and painted at the first paint, which comes when it comes.
        EXPECT_TRUE(WaitFor([&] {
            GetClientRect(hFrame, &inside);
            MapWindowPoints(hFrame, hwnd, (POINT*)&inside, 2);
            if (inside.left != frame.left + left || inside.top != frame.top + top ||
                inside.right - inside.left != w || inside.bottom - inside.top != h)
                return false;
            POINT at = {0, 0};
            ClientToScreen(hFrame, &at);
            std::string shot = Screenshot();
            const int cx = GetSystemMetrics(SM_CXSCREEN);
            wrong = 0;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    const BYTE* p = (const BYTE*)shot.data() + 3 * ((at.y + y) * cx + at.x + x);
                    wrong += shot.size() < (size_t)(p - (const BYTE*)shot.data() + 3) ||
                             (DWORD)(p[0] << 16 | p[1] << 8 | p[2]) != bmp.Colour(x, y);
                }
            return !wrong;
        })) << "inside the frame " << inside.left << "," << inside.top << " "
            << inside.right - inside.left << "x" << inside.bottom - inside.top << ", want "
            << frame.left + left << "," << frame.top + top << " " << w << "x" << h
            << "; pixels unlike the picture's: " << wrong;
        Click(GetDlgItem(hwnd, 43));
        EXPECT_EQ(0u, launcher.Exit());
    }();
}

// One click starts at most one program, and the dialog closes after it.
TEST(Buttons, StartAProgramAndClose)
{
    const struct {
        int button;
        bool installed;
        const char* box;
    } cases[] = {{42, false, nullptr}, {42, true, nullptr},
                 {42, true, "Could not invoke executable."}, {43, true, nullptr}};
    for (auto& c : cases) [&] {
        SCOPED_TRACE(std::to_string(c.button) + (c.installed ? " installed" : "") +
                     (c.box ? " unstartable" : ""));
        Disc disc;
        disc.Add("splash.bmp", Bmp(8, 8, 8).Bytes());
        TempDir appDir, pathDir;
        std::string installer = Unique("setup") + ".exe", app = Unique("app") + ".exe";
        Child setup("D:\\" + installer), game(appDir / "game.exe");
        RegKey key(kAppPaths + app, c.installed);
        std::string command = "\"" + game.path + (c.box ? ".missing" : "") + "\" -x";
        if (c.installed) {
            key.Set(nullptr, command + '\0');
            key.Set("Path", pathDir.path + '\0');
        }
        Launcher launcher("-A" + app + " -I" + installer, disc.path);
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd);
        Click(GetDlgItem(hwnd, c.button));
        EXPECT_EQ(0u, launcher.Exit());
        EXPECT_EQ(c.box ? 1u : 0u, launcher.boxes.size());
        EXPECT_EQ(c.box ? c.box : "", launcher.boxes.empty() ? "" : launcher.boxes[0].text);
        if (c.button == 43 || c.box)
            return;
        Child& started = c.installed ? game : setup;
        ASSERT_TRUE(started.Wait()) << started.path << " did not start";
        EXPECT_EQ(c.installed ? command : "D:\\" + installer, started.line);
        EXPECT_EQ(c.installed ? pathDir.path : disc.path, started.dir);
    }();
}

// An MSI package is no program: the platform refuses to start it, and the
// launcher hands it to the shell, which installs it with the parameters given.
TEST(Buttons, InstallAnMsiPackage)
{
    const std::string key = std::string(kAppPaths) + "autorun-msi-test.exe";
    auto installed = [&] {
        HKEY h = NULL;
        bool found = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) == 0;
        RegCloseKey(h);
        return found;
    };
    ASSERT_FALSE(installed()) << key << " is there before the package is installed";
    Disc disc;
    disc.Add("package.msi", ReadFile(WinPath(MSI_PACKAGE)));
    disc.Add("splash.bmp", Bmp(8, 8, 8).Bytes());
    for (const std::string label : {"&Install", "&Play"}) {
        Launcher launcher("-Aautorun-msi-test.exe -I(" + disc.path.substr(3) +
                          "\\package.msi /qn)", disc.path);
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd);
        ASSERT_EQ(label, Text(GetDlgItem(hwnd, 42)));
        Click(GetDlgItem(hwnd, label == "&Install" ? 42 : 43));
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
