// The shell utilities and the runtime services in-process, over the real
// registry, real files on the CD-ROM drives D: and E:, real child processes
// and real error boxes answered with the mouse.
#include "common.h"
#include "resources/resource.h"
#include "runtime/runtime.h"
#include "util/util.h"

#include <memory>
#include <set>

namespace {

const char kCannotInvoke[] = "Could not invoke executable.";

DWORD Handles()
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

struct ScanCase {
    const char* name;
    const char* line;
    const char* token;
    int length;
    const char* value;
};

const ScanCase kScanCases[] = {
    {"plain value", "-Agame.exe -Isetup.exe", "-I", 1024, "setup.exe"},
    {"value in parentheses", "-C(My Game) -Sx.bmp", "-C", 1024, "My Game"},
    {"unclosed parenthesis", "-C(My Game -Sx.bmp", "-C", 1024, "My Game -Sx.bmp"},
    {"first occurrence wins", "-Ia.exe -Ib.exe", "-I", 1024, "a.exe"},
    {"token inside another value", "-C(Hi-Sx) -Sy.bmp", "-S", 1024, "x)"},
    {"absent", "-Agame.exe", "-S", 1024, ""},
    {"token at the end", "-Agame.exe -I", "-I", 1024, ""},
    {"cut to the buffer", "-Agame.exe", "-A", 5, "game"},
    {"buffer of one", "-Agame.exe", "-A", 1, ""},
};

class Scanner : public ::testing::TestWithParam<ScanCase> {};

TEST_P(Scanner, TakesTheFirstValueOfASwitch)
{
    const ScanCase& c = GetParam();
    std::string line = c.line;
    char value[1100];
    memset(value, 'x', sizeof value);
    ParseCommandLine(line.c_str(), value, c.length, c.token);
    EXPECT_EQ(c.value, std::string(value));
    EXPECT_EQ(c.line, line) << "the caller's line changed";
    EXPECT_EQ('x', value[c.length]) << "written past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Switches, Scanner, ::testing::ValuesIn(kScanCases), CaseName());

TEST(Runtime, SkipsTheProgramName)
{
    const char* cases[][2] = {
        {"autorun.exe -Ax", "-Ax"},         {"\"C:\\My Disc\\a.exe\" -Ax", "-Ax"},
        {"  \t\"a b\"   -Ax  ", "-Ax  "},    {"a.exe\t-Ax", "-Ax"},
        {"\"unclosed -Ax", ""},              {"a.exe", ""},
        {"\"a\"-Ax", "-Ax"},                 {"", ""},
    };
    for (auto& c : cases)
        EXPECT_STREQ(c[1], SkipProgramName(c[0])) << c[0];
}

// Hidden, system and directory entries are skipped unless asked for; a
// wildcard search gives the name as the directory holds it.
TEST(Runtime, FindsOrdinaryFiles)
{
    TempDir dir;
    WriteFile(dir / "Splash.bmp", "12345");
    WriteFile(dir / "hidden.bmp", "1");
    WriteFile(dir / "system.bmp", "1");
    WriteFile(dir / "readonly.bmp", "1");
    CreateDirectoryA((dir / "folder.bmp").c_str(), NULL);
    SetFileAttributesA((dir / "hidden.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "system.bmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((dir / "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    struct {
        const char* path;
        int attrib;
        const char* found;  // or null
    } cases[] = {
        {"Splash.bmp", 0, "Splash.bmp"}, {"spl*.bmp", 0, "Splash.bmp"},
        {"readonly.bmp", 0, "readonly.bmp"}, {"hidden.bmp", 0, nullptr},
        {"hidden.bmp", FA_HIDDEN, "hidden.bmp"}, {"system.bmp", 0, nullptr},
        {"system.bmp", FA_SYSTEM, "system.bmp"}, {"folder.bmp", 0, nullptr},
        {"folder.bmp", FA_DIREC, "folder.bmp"}, {"missing.bmp", 0, nullptr},
    };
    const DWORD handles = Handles();
    for (auto& c : cases) {
        ffblk found = {};
        int rc = findfirst((dir / c.path).c_str(), &found, c.attrib);
        EXPECT_EQ(c.found ? 0 : -1, rc) << c.path;
        if (c.found && !rc) {
            EXPECT_STREQ(c.found, found.ff_name) << c.path;
        }
    }
    EXPECT_EQ(handles, Handles()) << "a search left its handle open";
    ffblk found = {};
    ASSERT_EQ(0, findfirst((dir / "Splash.bmp").c_str(), &found, 0));
    EXPECT_EQ(5u, found.ff_fsize);
}

// D: and E: are the harness's CD-ROM drives.
TEST(Drives, GivesTheCurrentDriveAndWalksTheCdromDrives)
{
    char root[8] = "xxxxxxx";
    {
        SetCurrentDirectoryA("E:\\");
        EXPECT_EQ(4, getdisk());
        EXPECT_EQ(0, GetCurrentDrive(root, 3));
        EXPECT_EQ(1, GetCurrentDrive(root, 4));
        EXPECT_STREQ("E:\\", root);
        SetCurrentDirectoryA("C:\\");
    }
    // Their indexes in the list of drives.
    char drives[256];
    GetLogicalDriveStringsA(sizeof drives, drives);
    int d = -1, e = -1, i = 0;
    for (char* p = drives; *p; p += strlen(p) + 1, i++) {
        if (toupper(*p) == 'D')
            d = i;
        if (toupper(*p) == 'E')
            e = i;
    }
    EXPECT_EQ(d, GetCDROMDrive(root, sizeof root, -1));
    EXPECT_EQ("D:\\", Upper(root));
    EXPECT_EQ(e, GetCDROMDrive(root, 3, d));
    EXPECT_EQ("E:", Upper(root));
    EXPECT_EQ(-1, GetCDROMDrive(root, sizeof root, e));
}

TEST(Registry, ReadsValuesAsStored)
{
    RegKey key("SOFTWARE\\" + Unique("AutorunTest"));
    key.Set("text", std::string("abc", 4));
    key.Set("unterminated", "abc");
    key.Set("empty", std::string("", 1));
    key.Set("1022", std::string(1022, 'a') + '\0');
    key.Set("1023", std::string(1023, 'a') + '\0');
    key.Set("number", "\x01\x02\x03\x04", REG_DWORD);
    const std::string k1022(1022, 'a');
    const DWORD handles = Handles();
    struct {
        const char* sub;
        const char* name;
        int size;
        const char* value;  // as read, or null when nothing is
    } cases[] = {
        {"", "text", 4, "abc"},    {"", "unterminated", 3, "abc"}, {"", "empty", 1, ""},
        {"", "missing", 1, nullptr}, {"\\none", "text", 1, nullptr},
        {"", "1023", 1024, nullptr}, {"", "1022", 1023, k1022.c_str()},
        {"", "number", 4, "\x01\x02\x03\x04"},
    };
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

struct ActionCase {
    const char* name;
    Action action;
    const char* command;  // the key's value ("UninstallString" for Uninstall); @ is the game
    bool path;            // the key has "Path"
    const char* on;       // drives holding the game for FromCd: "DE", "E", "-"
    const char* started;  // "game", "setup", "D", "E" (FromCd), or null
    const char* box;
};

const ActionCase kActionCases[] = {
    {"not installed", Launch, nullptr, false, "", "setup", nullptr},
    {"empty value", Launch, "", false, "", "setup", nullptr},
    {"installed with Path", Launch, "\"@\" -x", true, "", "game", nullptr},
    {"installed without Path", Launch, "\"@\" -x", false, "", "game", nullptr},
    {"command that cannot start", Launch, "@.missing.exe", true, "", nullptr, kCannotInvoke},
    {"command too large to read", Launch, "@ (large)", false, "", nullptr, kCannotInvoke},
    {"from the first drive that holds it", FromCd, "", true, "DE", "D", nullptr},
    {"from the second drive", FromCd, "", false, "E", "E", nullptr},
    {"on no drive", FromCd, "", false, "-", nullptr, "Could not find executable."},
    {"from the disc, not installed", FromCd, nullptr, false, "DE", "setup", nullptr},
    {"uninstall", Uninstall, "\"@\" /remove", false, "", "game", nullptr},
    {"no uninstall string", Uninstall, nullptr, false, "",
     nullptr, "Could not find uninstall string in Registry."},
    {"uninstall string too large", Uninstall, "@ (large)", false, "",
     nullptr, "Could not find uninstall string in Registry."},
    {"uninstall that fails", Uninstall, "@.missing.exe", false, "",
     nullptr, "WinExec failed. Return Code = 2."},
};

class Actions : public ::testing::TestWithParam<ActionCase> {};

TEST_P(Actions, StartOneProgramOrSayWhyNot)
{
    const ActionCase& c = GetParam();
    TempDir dir, pathDir;
    std::string appName = Unique("game") + ".exe", installName = Unique("setup") + ".exe";
    Child game(dir / "game.exe"), setup("D:\\" + installName);
    std::unique_ptr<Child> onD, onE;
    if (strchr(c.on, 'D'))
        onD.reset(new Child("D:\\" + appName));
    if (strchr(c.on, 'E'))
        onE.reset(new Child("E:\\" + appName));
    RegKey key(kAppPaths + appName);
    std::string command = c.command ? c.command : "";
    if (command.find("@") != std::string::npos)
        command.replace(command.find("@"), 1, game.path);
    if (command.find("(large)") != std::string::npos)
        command.append(1500, ' ');
    if (c.command)
        key.Set(c.action == Uninstall ? "UninstallString" : nullptr, command + '\0');
    if (c.path)
        key.Set("Path", pathDir.path);
    if (!c.command && c.action != Uninstall)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.sub.c_str());

    CreateDirectoryA("D:\\here", NULL);
    SetCurrentDirectoryA("D:\\here");
    const DWORD handles = Handles();
    Outcome run = RunAnswering([&] {
        switch (c.action) {
        case Launch: return CheckAndLaunch(key.sub.c_str(), installName.c_str());
        case FromCd: return CheckAndLaunchFromCD(key.sub.c_str(), appName.c_str(),
                                                 installName.c_str());
        default: return RunUninstall(key.sub.c_str());
        }
    });
    SetCurrentDirectoryA("C:\\");
    RemoveDirectoryA("D:\\here");

    EXPECT_EQ(c.box ? 0 : 1, run.result);
    EXPECT_EQ(handles, Handles()) << "the action left a handle open";
    ASSERT_EQ(c.box ? 1u : 0u, run.boxes.size()) << (run.boxes.empty() ? "" : run.boxes[0].text);
    if (c.box) {
        EXPECT_EQ("Error", run.boxes[0].caption);
        EXPECT_EQ(c.box, run.boxes[0].text);
        return;
    }
    std::string started = c.started;
    Child& child = started == "game" ? game : started == "setup" ? setup
                 : started == "D" ? *onD : *onE;
    ASSERT_TRUE(child.Wait()) << child.path << " did not start";
    EXPECT_EQ(Upper(started == "setup" ? "D:\\" + installName
                    : started.size() == 1 ? started + ":\\" + appName : command),
              Upper(child.line));
    EXPECT_EQ(Upper(c.path ? pathDir.path : "D:\\here"), Upper(child.dir));
}

INSTANTIATE_TEST_SUITE_P(Registry, Actions, ::testing::ValuesIn(kActionCases), CaseName());

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

struct ShellCase {
    const char* name;
    const char* line;
    bool path;  // the key names the folder as "Path"; else the shell is given ours
    DWORD createError, shellError;
    const char* asked;  // verb|file|parameters, or "" when the shell is not asked
    const char* box;
};

// @ is a folder with a blank in its name, % the folder that holds it.
const ShellCase kShellCases[] = {
    {"elevation", "\"@\\game.exe\" -x /y", true, 740, 0, "runas|@\\game.exe|-x /y", nullptr},
    {"elevation declined", "\"@\\game.exe\"", true, 740, 1223, "runas|@\\game.exe|", nullptr},
    {"elevation fails", "\"@\\game.exe\"", true, 740, 5, "runas|@\\game.exe|", kCannotInvoke},
    {"package", "@\\setup.msi /qn", false, 193, 0, "(null)|@\\setup.msi|/qn", nullptr},
    {"other failure", "\"@\\game.exe\"", true, 2, 0, "", kCannotInvoke},
    {"unquoted with blanks", "@\\game.exe  -x", true, 740, 0, "runas|@\\game.exe|-x", nullptr},
    {"unquoted without extension", "@\\game -x", true, 740, 0, "runas|@\\game.exe|-x", nullptr},
    {"unquoted naming no file", "@\\none -x", true, 740, 0, "runas|%\\My|Game\\none -x", nullptr},
};

class ShellPath : public ::testing::TestWithParam<ShellCase> {};

TEST_P(ShellPath, StartsWhatThePlatformWillNot)
{
    const ShellCase& c = GetParam();
    TempDir dir;
    std::string folder = dir / "My Game";
    CreateDirectoryA(folder.c_str(), NULL);
    WriteFile(folder + "\\game.exe", "MZ");
    WriteFile(folder + "\\setup.msi", "package");
    auto expand = [&](std::string s) {
        for (size_t at; (at = s.find_first_of("@%")) != std::string::npos;)
            s.replace(at, 1, s[at] == '@' ? folder : dir.path);
        return s;
    };
    std::string app = Unique("shell") + ".exe";
    RegKey key(kAppPaths + app);
    key.Set(nullptr, expand(c.line) + '\0');
    if (c.path)
        key.Set("Path", folder + '\0');
    SetCurrentDirectoryA(dir.path.c_str());
    g_createError = c.createError;
    g_shellError = c.shellError;
    g_shell.clear();
    pCreateProcessA = FailingCreateProcess;
    pShellExecuteExA = RecordingShell;
    Outcome run = RunAnswering([&] { return CheckAndLaunch(key.sub.c_str(), "setup.exe"); });
    pCreateProcessA = CreateProcessA;
    pShellExecuteExA = ShellExecuteExA;
    SetCurrentDirectoryA("C:\\");

    std::string asked = expand(c.asked);
    if (*c.asked)
        asked += "|" + (c.path ? folder : dir.path) + "|" + std::to_string(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI) +
                 "|" + std::to_string(SW_SHOWNORMAL);
    EXPECT_EQ(asked, g_shell);
    EXPECT_EQ(c.box || c.shellError ? 0 : 1, run.result);
    ASSERT_EQ(c.box ? 1u : 0u, run.boxes.size());
    if (c.box) {
        EXPECT_EQ(c.box, run.boxes[0].text);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, ShellPath, ::testing::ValuesIn(kShellCases), CaseName());

TEST(Desktop, CopiesTextAndTellsThePlatform)
{
    for (size_t length : {0, 5, 70000}) {
        std::string text(length, 'a');
        ASSERT_EQ(1, CopyStringToClipboard(text.c_str(), NULL));
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
    Bmp bmp(4, 3, 2);
    std::string dib = bmp.Bytes().substr(sizeof(BITMAPFILEHEADER));
    int count = -1;
    HPALETTE hPal = CreateDIBPalette((const BITMAPINFO*)dib.data(), &count);
    EXPECT_EQ(16, count);
    PALETTEENTRY entries[16];
    ASSERT_EQ(16u, GetPaletteEntries(hPal, 0, 16, entries));
    EXPECT_EQ(RGB(7 * 15, 3 * 15, 240), *(DWORD*)&entries[15]);
    DeleteObject(hPal);
    Bmp rgb(24, 3, 2);
    EXPECT_EQ(NULL, CreateDIBPalette((const BITMAPINFO*)&rgb.info, &count));
    EXPECT_EQ(0, count);

    TempDir dir;
    std::string module = dir / "bitmaps.exe";
    ASSERT_TRUE(CopyFileA(WinPath(CHILD_EXE).c_str(), module.c_str(), FALSE));
    Bmp shortTable(8, 3, 2);
    shortTable.info.biClrUsed = 20;
    shortTable.table.resize(80);
    Bmp cut(8, 3, 2);
    cut.bits.pop_back();
    HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
    for (auto& r : {std::make_pair("GOOD", bmp), std::make_pair("SHORTTABLE", shortTable),
                    std::make_pair("CUT", cut)}) {
        std::string bytes = r.second.Bytes().substr(sizeof(BITMAPFILEHEADER));
        UpdateResourceA(update, RT_BITMAP, r.first, 0, &bytes[0], (DWORD)bytes.size());
    }
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    HMODULE h = LoadLibraryExA(module.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    for (const char* name : {"GOOD", "SHORTTABLE", "CUT", "MISSING"}) {
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

// What a user reads: the error texts, and the launcher's own dialog, icon and
// manifest as the platform loads them from the shipped file.
TEST(Resources, SayWhatTheUserSees)
{
    Outcome run = RunAnswering([] { return ReportError(IDS_NO_EXECUTABLE); });
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("Error", run.boxes[0].caption);
    char text[1024];
    run = RunAnswering([&] { return ReportWinExecError(11, text); });
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("WinExec failed. Return Code = 11.", run.boxes[0].text);

    HMODULE exe = LoadLibraryExA(LauncherPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    const std::pair<UINT, const char*> strings[] = {
        {IDS_ERROR, "Error"}, {IDS_INSTALL, "&Install"}, {IDS_CANNOT_INVOKE, kCannotInvoke},
        {IDS_NO_CURRENT_DRIVE, "Could not find current drive."},
        {IDS_NO_EXECUTABLE, "Could not find executable."},
        {IDS_NO_UNINSTALL, "Could not find uninstall string in Registry."},
        {IDS_WINEXEC_FAILED, "WinExec failed. Return Code = %i."},
        {IDS_INVALID_FILE_NAME, "Invalid File Name. Make sure file exists."},
        {IDS_INVALID_BITMAP, "Invalid Bitmap File. Make sure that file is a 256 colour BMP file."},
    };
    for (auto& s : strings) {
        EXPECT_TRUE(LoadStringA(exe, s.first, text, sizeof text)) << s.first;
        EXPECT_STREQ(s.second, text);
    }
    EXPECT_TRUE(LoadImageA(exe, "AUTORUN", IMAGE_ICON, 32, 32, 0));
    HWND dlg = SplashTemplate();
    ASSERT_TRUE(dlg);
    EXPECT_EQ("&Play", Text(GetDlgItem(dlg, IDC_FIRST_BUTTON)));
    EXPECT_EQ("Cancel", Text(GetDlgItem(dlg, IDC_CANCEL_BUTTON)));
    EXPECT_TRUE(GetDlgItem(dlg, IDC_PICTURE_FRAME));
    EXPECT_EQ("Copyright 2026 Talvik Software", Text(GetDlgItem(dlg, 0xFFFF)));
    DestroyWindow(dlg);

    // The platform's own parser reads the manifest: it runs the launcher as
    // whoever started it and pulls in no other assembly.
    std::string path = LauncherPath();
    ACTCTXA actctx;
    memset(&actctx, 0, sizeof actctx);
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actctx.lpSource = path.c_str();
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE ctx = CreateActCtxA(&actctx);
    ASSERT_NE(INVALID_HANDLE_VALUE, ctx) << "the manifest does not load";
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, RunlevelInformationInActivationContext, &level,
                             sizeof level, NULL));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);
    BYTE detail[4096];
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, ActivationContextDetailedInformation, detail,
                             sizeof detail, NULL));
    EXPECT_EQ(1u, ((ACTIVATION_CONTEXT_DETAILED_INFORMATION*)detail)->ulAssemblyCount);
    ReleaseActCtx(ctx);
    HRSRC res = FindResourceA(exe, MAKEINTRESOURCEA(1), RT_MANIFEST);
    std::string xml((const char*)LockResource(LoadResource(exe, res)), SizeofResource(exe, res));
    for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, xml.find(std::string("<supportedOS Id=\"{") + id + "}\"/>"));
    EXPECT_EQ(std::string::npos, xml.find("dpiAware"));
    FreeLibrary(exe);
}

// The shipped file: a GUI program within its size that imports only system
// DLLs and exports only its window procedure.
TEST(Resources, KeepTheExecutableSmallAndPlain)
{
    std::string exe = ReadFile(LauncherPath());
    ASSERT_GT(exe.size(), 1024u);
    auto nt = (const IMAGE_NT_HEADERS*)(exe.data() + ((const IMAGE_DOS_HEADER*)exe.data())->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
    EXPECT_LE(exe.size(), sizeof(void*) == 4 ? 65536u : 40960u);
    HMODULE h = LoadLibraryExA(LauncherPath().c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_TRUE(h);
    auto base = (const BYTE*)h;
    auto headers = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    auto& dirs = headers->OptionalHeader.DataDirectory;
    std::set<std::string> imports;
    auto desc = (const IMAGE_IMPORT_DESCRIPTOR*)(base + dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; desc->Name; desc++) {
        std::string name = (const char*)base + desc->Name;
        for (char& ch : name)
            ch = (char)toupper(ch);
        imports.insert(name);
    }
    EXPECT_EQ(std::set<std::string>({"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL",
                                     "OLE32.DLL", "SHELL32.DLL", "USER32.DLL"}), imports);
    auto exports = (const IMAGE_EXPORT_DIRECTORY*)(base + dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_STREQ("WndProc", (const char*)base + *(const DWORD*)(base + exports->AddressOfNames));
    FreeLibrary(h);
}

}  // namespace
