// The shell utilities and the runtime services in-process, over the real
// registry, real files on the CD-ROM drives D: and E:, real child processes
// and real error boxes answered with the mouse.
#include "common.h"
#include "runtime/runtime.h"
#include "util/util.h"

#include <memory>
#include <set>

namespace {

const char kCannotInvoke[] = "Could not invoke executable.";

// This process's open handles. GetProcessHandleCount gives 0 under Wine, so
// every handle value in the range a small process uses is asked about.
int Handles()
{
    int n = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        n += GetHandleInformation((HANDLE)value, &flags) != 0;
    return n;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

TEST(Switches, TakeTheFirstValueOfTheirToken)
{
    const struct {
        const char *line, *token;
        int length;
        const char* value;
    } cases[] = {
        {"-Agame.exe -Isetup.exe", "-I", 1024, "setup.exe"},
        {"-C(My Game) -Sx.bmp", "-C", 1024, "My Game"},
        {"-C(My Game -Sx.bmp", "-C", 1024, "My Game -Sx.bmp"},
        {"-Ia.exe -Ib.exe", "-I", 1024, "a.exe"},
        {"-C(Hi-Sx) -Sy.bmp", "-S", 1024, "x)"},
        {"-Agame.exe", "-S", 1024, ""},
        {"-Agame.exe -I", "-I", 1024, ""},
        {"-Agame.exe", "-A", 5, "game"},
        {"-Agame.exe", "-A", 1, ""},
    };
    for (auto& c : cases) {
        std::string line = c.line;
        char value[1100];
        memset(value, 'x', sizeof value);
        ParseCommandLine(line.c_str(), value, c.length, c.token);
        EXPECT_EQ(c.value, std::string(value)) << c.line << " " << c.token;
        EXPECT_EQ(c.line, line) << "the caller's line changed";
        EXPECT_EQ('x', value[c.length]) << c.line << ": written past the buffer";
    }
    const char* tails[][2] = {
        {"autorun.exe -Ax", "-Ax"}, {"\"C:\\My Disc\\a.exe\" -Ax", "-Ax"},
        {"  \t\"a b\"   -Ax  ", "-Ax  "}, {"a.exe\t-Ax", "-Ax"}, {"\"unclosed -Ax", ""},
        {"a.exe", ""}, {"\"a\"-Ax", "-Ax"}, {"", ""},
    };
    for (auto& t : tails)
        EXPECT_STREQ(t[1], SkipProgramName(t[0])) << t[0];
}

// Hidden, system and directory entries are skipped unless asked for; a
// wildcard search gives the name as the directory holds it.
TEST(Files, AreFoundWhenOrdinary)
{
    TempDir dir;
    const std::pair<const char*, DWORD> files[] = {
        {"Splash.bmp", FILE_ATTRIBUTE_NORMAL}, {"hidden.bmp", FILE_ATTRIBUTE_HIDDEN},
        {"system.bmp", FILE_ATTRIBUTE_SYSTEM}, {"readonly.bmp", FILE_ATTRIBUTE_READONLY}};
    for (auto& f : files) {
        WriteFile(dir / f.first, "12345");
        SetFileAttributesA((dir / f.first).c_str(), f.second);
    }
    CreateDirectoryA((dir / "folder.bmp").c_str(), NULL);
    const struct {
        const char* path;
        int attrib;
        const char* found;
    } cases[] = {
        {"Splash.bmp", 0, "Splash.bmp"}, {"spl*.bmp", 0, "Splash.bmp"},
        {"readonly.bmp", 0, "readonly.bmp"}, {"hidden.bmp", 0, nullptr},
        {"hidden.bmp", FA_HIDDEN, "hidden.bmp"}, {"system.bmp", 0, nullptr},
        {"system.bmp", FA_SYSTEM, "system.bmp"}, {"folder.bmp", 0, nullptr},
        {"folder.bmp", FA_DIREC, "folder.bmp"}, {"missing.bmp", 0, nullptr},
    };
    const int handles = Handles();
    for (auto& c : cases) {
        ffblk found = {};
        EXPECT_EQ(c.found ? 0 : -1, findfirst((dir / c.path).c_str(), &found, c.attrib)) << c.path;
        EXPECT_STREQ(c.found ? c.found : "", found.ff_name) << c.path;
        EXPECT_EQ(c.found && c.attrib != FA_DIREC ? 5u : 0u, found.ff_fsize) << c.path;
    }
    EXPECT_EQ(handles, Handles()) << "a search left its handle open";
}

// D: and E: are the harness's CD-ROM drives.
TEST(Drives, AreTheCurrentOneAndTheCdroms)
{
    char root[8] = "xxxxxxx";
    SetCurrentDirectoryA("e:\\");
    EXPECT_EQ(4, getdisk());
    EXPECT_EQ(0, GetCurrentDrive(root, 3));
    EXPECT_EQ(1, GetCurrentDrive(root, 4));
    EXPECT_STREQ("E:\\", root);
    SetCurrentDirectoryA("C:\\");
    char drives[256];
    GetLogicalDriveStringsA(sizeof drives, drives);
    int d = -1, e = -1, i = 0;
    for (char* p = drives; *p; p += strlen(p) + 1, i++) {
        d = toupper(*p) == 'D' ? i : d;
        e = toupper(*p) == 'E' ? i : e;
    }
    EXPECT_EQ(d, GetCDROMDrive(root, sizeof root, -1));
    EXPECT_EQ("D:\\", Upper(root));
    EXPECT_EQ(e, GetCDROMDrive(root, 3, d));
    EXPECT_EQ("E:", Upper(root));
    EXPECT_EQ(-1, GetCDROMDrive(root, sizeof root, e));
}

TEST(Registry, ValuesAreReadAsStored)
{
    RegKey key("SOFTWARE\\" + Unique("AutorunTest"));
    key.Set("text", std::string("abc", 4));
    key.Set("unterminated", "abc");
    key.Set("empty", std::string("", 1));
    key.Set("1022", std::string(1022, 'a') + '\0');
    key.Set("1023", std::string(1023, 'a') + '\0');
    key.Set("number", "\x01\x02\x03\x04", REG_DWORD);
    const std::string k1022(1022, 'a');
    const struct {
        const char *sub, *name;
        int size;
        const char* value;  // as read, or null when nothing is
    } cases[] = {
        {"", "text", 4, "abc"}, {"", "unterminated", 3, "abc"}, {"", "empty", 1, ""},
        {"", "missing", 1, nullptr}, {"\\none", "text", 1, nullptr},
        {"", "1023", 1024, nullptr}, {"", "1022", 1023, k1022.c_str()},
        {"", "number", 4, "\x01\x02\x03\x04"},
    };
    const int handles = Handles();
    for (auto& c : cases) {
        char value[1100];
        memset(value, '#', sizeof value);
        EXPECT_EQ(c.size, GetRegistryValueData(HKEY_LOCAL_MACHINE, (key.sub + c.sub).c_str(),
                                               c.name, value, 1024)) << c.name;
        EXPECT_EQ(c.value ? c.value : "", std::string(value, c.value ? strlen(value) : 0)) << c.name;
        EXPECT_EQ('#', value[c.value ? c.size + 1 : 0]) << c.name << ": written past the value";
    }
    EXPECT_EQ(1, OpenRegistryKey(HKEY_LOCAL_MACHINE, key.sub.c_str()));
    EXPECT_EQ(0, OpenRegistryKey(HKEY_LOCAL_MACHINE, (key.sub + "\\none").c_str()));
    EXPECT_EQ(handles, Handles()) << "a key was left open";
}

enum Action { Launch, FromCd, Uninstall };

// One action of each row: @ in the key's value is the game's path.
TEST(Actions, StartOneProgramOrSayWhyNot)
{
    const struct {
        Action action;
        const char* value;    // the unnamed value, or "UninstallString"; no key when null
        bool path;            // the key has "Path"
        const char* on;       // the CD-ROM drives holding the game (FromCd)
        const char* started;  // "game", "setup", "D" or "E" (the game on that drive)
        const char* box;
    } cases[] = {
        {Launch, nullptr, false, "", "setup", nullptr},
        {Launch, "", false, "", "setup", nullptr},
        {Launch, "\"@\" -x", true, "", "game", nullptr},
        {Launch, "\"@\" -x", false, "", "game", nullptr},
        {Launch, "@.missing.exe", true, "", nullptr, kCannotInvoke},
        {Launch, "@ (1500 blanks follow)", false, "", nullptr, kCannotInvoke},
        {FromCd, "", true, "DE", "D", nullptr},
        {FromCd, "", false, "E", "E", nullptr},
        {FromCd, "", false, "", nullptr, "Could not find executable."},
        {FromCd, nullptr, false, "DE", "setup", nullptr},
        {Uninstall, "\"@\" /remove", false, "", "game", nullptr},
        {Uninstall, nullptr, false, "", nullptr, "Could not find uninstall string in Registry."},
        {Uninstall, "@ (1500 blanks follow)", false, "",
         nullptr, "Could not find uninstall string in Registry."},
        {Uninstall, "@.missing.exe", false, "", nullptr, "WinExec failed. Return Code = 2."},
    };
    CreateDirectoryA("D:\\here", NULL);
    // Twice: the first pass also makes what the platform makes once per
    // process (the second has no excuse to leave a handle open).
    for (int pass = 0; pass < 2; pass++)
    for (auto& c : cases) [&] {
        SCOPED_TRACE(std::string(c.value ? c.value : "(no key)") + ", action " +
                     std::to_string(c.action));
        TempDir dir, pathDir;
        std::string app = Unique("game") + ".exe", installer = Unique("setup") + ".exe";
        Child game(dir / "game.exe"), setup("D:\\" + installer);
        std::unique_ptr<Child> onD(strchr(c.on, 'D') ? new Child("D:\\" + app) : nullptr);
        std::unique_ptr<Child> onE(strchr(c.on, 'E') ? new Child("E:\\" + app) : nullptr);
        RegKey key(kAppPaths + app, c.value || c.action == Uninstall);
        std::string command = c.value ? c.value : "";
        if (command.find('@') != std::string::npos)
            command.replace(command.find('@'), 1, game.path);
        if (command.find("(1500") != std::string::npos)
            command.append(1500, ' ');
        if (c.value)
            key.Set(c.action == Uninstall ? "UninstallString" : nullptr, command + '\0');
        if (c.path)
            key.Set("Path", pathDir.path + '\0');
        SetCurrentDirectoryA("D:\\here");
        const int handles = Handles();
        Outcome run = RunAnswering([&] {
            return c.action == Launch   ? CheckAndLaunch(key.sub.c_str(), installer.c_str())
                 : c.action == FromCd ? CheckAndLaunchFromCD(key.sub.c_str(), app.c_str(),
                                                             installer.c_str())
                                      : RunUninstall(key.sub.c_str());
        });
        SetCurrentDirectoryA("C:\\");
        EXPECT_EQ(c.box ? 0 : 1, run.result);
        // WinExec itself keeps a handle under Wine; the uninstall has none of its own.
        EXPECT_TRUE(pass == 0 || c.action == Uninstall || handles == Handles())
            << "the action left a handle open";
        ASSERT_EQ(c.box ? 1u : 0u, run.boxes.size()) << (c.box ? "" : run.boxes[0].text);
        if (c.box) {
            EXPECT_EQ("Error", run.boxes[0].caption);
            EXPECT_EQ(c.box, run.boxes[0].text);
            return;
        }
        std::string s = c.started;
        Child& child = s == "game" ? game : s == "setup" ? setup : s == "D" ? *onD : *onE;
        ASSERT_TRUE(child.Wait()) << child.path << " did not start";
        EXPECT_EQ(Upper(s == "setup" ? "D:\\" + installer : s.size() == 1 ? s + ":\\" + app
                                                                          : command),
                  Upper(child.line));
        EXPECT_EQ(Upper(c.path ? pathDir.path : "D:\\here"), Upper(child.dir));
        EXPECT_EQ(c.action == Uninstall ? "1" : "-1", child.show) << "SW_SHOWNORMAL, or none";
    }();
    RemoveDirectoryA("D:\\here");
}

// The platform made to refuse the program with a chosen error; the shell's
// part recorded, and made to succeed or fail.
DWORD g_createError, g_shellError;
std::string g_shell;

BOOL WINAPI FailingCreateProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                 BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                 LPPROCESS_INFORMATION)
{
    SetLastError(g_createError);
    return FALSE;
}

BOOL WINAPI RecordingShell(SHELLEXECUTEINFOA* sei)
{
    auto s = [](const char* p) { return std::string(p ? p : "(null)"); };
    g_shell = s(sei->lpVerb) + "|" + s(sei->lpFile) + "|" + s(sei->lpParameters) + "|" +
              s(sei->lpDirectory) + "|" + std::to_string(sei->fMask) + "|" +
              std::to_string(sei->nShow);
    SetLastError(g_shellError);
    return !g_shellError;
}

TEST(Actions, GiveTheShellWhatThePlatformWillNotStart)
{
    // @ is a folder with a blank in its name, % the folder that holds it.
    const struct {
        const char* line;
        bool path;  // the key names @ as "Path"; else the shell is given our folder, %
        DWORD createError, shellError;
        const char* asked;  // verb|file|parameters, or "" when the shell is not asked
        const char* box;
    } cases[] = {
        {"\"@\\game.exe\" -x /y", true, 740, 0, "runas|@\\game.exe|-x /y", nullptr},
        {"\"@\\game.exe\"", true, 740, 1223, "runas|@\\game.exe|", nullptr},
        {"\"@\\game.exe\"", true, 740, 5, "runas|@\\game.exe|", kCannotInvoke},
        {"@\\setup.msi /qn", false, 193, 0, "(null)|@\\setup.msi|/qn", nullptr},
        {"\"@\\game.exe\"", true, 2, 0, "", kCannotInvoke},
        {"@\\game.exe  -x", true, 740, 0, "runas|@\\game.exe|-x", nullptr},
        {"@\\game -x", true, 740, 0, "runas|@\\game.exe|-x", nullptr},
        {"@\\none -x", true, 740, 0, "runas|%\\My|Game\\none -x", nullptr},
    };
    TempDir dir;
    const std::string folder = dir / "My Game";
    CreateDirectoryA(folder.c_str(), NULL);
    WriteFile(folder + "\\game.exe", "MZ");
    WriteFile(folder + "\\setup.msi", "package");
    auto expand = [&](std::string s) {
        for (size_t at; (at = s.find_first_of("@%")) != std::string::npos;)
            s.replace(at, 1, s[at] == '@' ? folder : dir.path);
        return s;
    };
    pCreateProcessA = FailingCreateProcess;
    pShellExecuteExA = RecordingShell;
    SetCurrentDirectoryA(dir.path.c_str());
    for (auto& c : cases) {
        RegKey key(kAppPaths + Unique("shell"));
        key.Set(nullptr, expand(c.line) + '\0');
        if (c.path)
            key.Set("Path", folder + '\0');
        g_createError = c.createError;
        g_shellError = c.shellError;
        g_shell.clear();
        Outcome run = RunAnswering([&] { return CheckAndLaunch(key.sub.c_str(), "setup.exe"); });
        std::string asked = expand(c.asked);
        if (*c.asked)
            asked += "|" + (c.path ? folder : dir.path) + "|" +
                     std::to_string(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI) + "|1";
        EXPECT_EQ(asked, g_shell) << c.line;
        EXPECT_EQ(c.box || c.shellError ? 0 : 1, run.result) << c.line;
        EXPECT_EQ(c.box ? 1u : 0u, run.boxes.size()) << c.line;
        EXPECT_EQ(c.box ? c.box : "", run.boxes.empty() ? "" : run.boxes[0].text) << c.line;
    }
    SetCurrentDirectoryA("C:\\");
    pCreateProcessA = CreateProcessA;
    pShellExecuteExA = ShellExecuteExA;
}

TEST(Desktop, CopiesTextAndTellsThePlatform)
{
    for (size_t length : {0, 5, 70000}) {
        std::string text(length, 'a');
        ASSERT_EQ(1, CopyStringToClipboard(text.c_str(), NULL));
        // Closed again: a window of another thread, as of another program,
        // can open it.
        HANDLE other = CreateThread(NULL, 0, [](LPVOID) WINAPI -> DWORD {
            HWND w = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
            DWORD ok = OpenClipboard(w) && CloseClipboard();
            DestroyWindow(w);
            return ok;
        }, NULL, 0, NULL);
        DWORD opened = 0;
        WaitForSingleObject(other, 5000);
        GetExitCodeThread(other, &opened);
        CloseHandle(other);
        EXPECT_EQ(1u, opened) << "the clipboard was left open";
        ASSERT_TRUE(OpenClipboard(NULL));
        const char* held = (const char*)GetClipboardData(CF_TEXT);
        EXPECT_EQ(text, held ? held : "(none)");
        CloseClipboard();
    }
    OSVERSIONINFOA v;
    memset(&v, 0, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    EXPECT_EQ(v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS, IsPlatformWindows95());
}

// The palette of a DIB's table, and bitmap resources served or refused.
TEST(Resources, MakeBitmapsAndPalettes)
{
    Bmp bmp(4, 3, 2), rgb(24, 3, 2), shortTable(8, 3, 2), cut(8, 3, 2);
    std::string dib = bmp.Bytes().substr(sizeof(BITMAPFILEHEADER));
    int count = -1;
    HPALETTE hPal = CreateDIBPalette((const BITMAPINFO*)dib.data(), &count);
    PALETTEENTRY entries[16];
    EXPECT_EQ(16, count);
    ASSERT_EQ(16u, GetPaletteEntries(hPal, 0, 16, entries));
    EXPECT_EQ(RGB(7 * 15, 3 * 15, 240), *(DWORD*)&entries[15]);
    DeleteObject(hPal);
    EXPECT_EQ(NULL, CreateDIBPalette((const BITMAPINFO*)&rgb.info, &count));
    EXPECT_EQ(0, count);

    TempDir dir;
    const std::string module = dir / "bitmaps.exe";
    ASSERT_TRUE(CopyFileA(WinPath(CHILD_EXE).c_str(), module.c_str(), FALSE));
    shortTable.info.biClrUsed = 20;
    shortTable.table.resize(80);
    shortTable.bits.append(1000, '\0');  // long enough for a full table: refused for its count
    cut.bits.pop_back();
    HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
    for (auto& r : {std::make_pair("GOOD", bmp), std::make_pair("SHORT", shortTable),
                    std::make_pair("CUT", cut)}) {
        std::string bytes = r.second.Bytes().substr(sizeof(BITMAPFILEHEADER));
        UpdateResourceA(update, RT_BITMAP, r.first, 0, &bytes[0], (DWORD)bytes.size());
    }
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    HMODULE h = LoadLibraryExA(module.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    for (const char* name : {"GOOD", "SHORT", "CUT", "MISSING"}) {
        HPALETTE palette = (HPALETTE)1;
        HBITMAP bitmap = LoadResourceBitmap(h, name, &palette);
        EXPECT_EQ(!strcmp(name, "GOOD"), bitmap != NULL) << name;
        EXPECT_EQ(!strcmp(name, "MISSING") ? (HPALETTE)1 : NULL, bitmap ? NULL : palette) << name;
        if (bitmap) {
            BITMAP b;
            GetObjectA(bitmap, sizeof b, &b);
            EXPECT_EQ(3, b.bmWidth);
            EXPECT_EQ(16u, GetPaletteEntries(palette, 0, 0, NULL));
            DeleteObject(bitmap);
            DeleteObject(palette);
        }
    }
    FreeLibrary(h);
}

// The shipped file as the platform loads it: a GUI program within its size
// that imports only system DLLs, exports only its window procedure, and
// whose manifest runs it as whoever started it.
TEST(Resources, KeepTheLauncherSmallAndPlain)
{
    std::string exe = ReadFile(kLauncher);
    EXPECT_LE(exe.size(), sizeof(void*) == 4 ? 65536u : 40960u);
    HMODULE h = LoadLibraryExA(kLauncher.c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(h);
    auto base = (const BYTE*)h;
    auto nt = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
    auto& dirs = nt->OptionalHeader.DataDirectory;
    std::set<std::string> imports;
    auto desc = (const IMAGE_IMPORT_DESCRIPTOR*)(base + dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; desc->Name; desc++)
        imports.insert(Upper((const char*)base + desc->Name));
    EXPECT_EQ(std::set<std::string>({"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL",
                                     "OLE32.DLL", "SHELL32.DLL", "USER32.DLL"}), imports);
    auto exports = (const IMAGE_EXPORT_DIRECTORY*)(base + dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_STREQ("WndProc", (const char*)base + *(const DWORD*)(base + exports->AddressOfNames));
    FreeLibrary(h);

    ACTCTXA actctx;
    memset(&actctx, 0, sizeof actctx);
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actctx.lpSource = kLauncher.c_str();
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE ctx = CreateActCtxA(&actctx);
    ASSERT_NE(INVALID_HANDLE_VALUE, ctx) << "the manifest does not load";
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    BYTE detail[4096];
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, RunlevelInformationInActivationContext, &level,
                             sizeof level, NULL));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, ActivationContextDetailedInformation, detail,
                             sizeof detail, NULL));
    EXPECT_EQ(1u, ((ACTIVATION_CONTEXT_DETAILED_INFORMATION*)detail)->ulAssemblyCount)
        << "assemblies besides the launcher's own: the controls would change their look";
    ReleaseActCtx(ctx);
}

}  // namespace
