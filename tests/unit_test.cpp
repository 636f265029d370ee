// The shell utilities and the runtime services in-process, over the real
// registry, real files on the CD-ROM drives D: and E: and the real error
// boxes; what the actions ask of the platform is recorded where it starts
// programs (the launcher's own runs start real ones, in the end-to-end tests).
#include "common.h"
#include "runtime/runtime.h"
#include "util/util.h"

namespace {

TEST(Switches, TakeTheFirstValueOfTheirToken)
{
    // clang-format off
    const struct {
        const char *line, *token;
        int length;  // 0: as the launcher takes it, with its default, into OPTION_SIZE
        const char* value;
    } cases[] = {
        {"-Agame.exe -Isetup.exe", "-I", OPTION_SIZE, "setup.exe"},
        {"-C(My Game) -Sx.bmp", "-C", OPTION_SIZE, "My Game"},
        {"-C(My Game -Sx.bmp", "-C", OPTION_SIZE, "My Game -Sx.bmp"},
        {"-Ia.exe -Ib.exe", "-I", OPTION_SIZE, "a.exe"},
        {"-C(Hi-Sx) -Sy.bmp", "-S", OPTION_SIZE, "x)"},
        {"-Agame.exe", "-S", OPTION_SIZE, ""},
        {"-Agame.exe -I", "-I", OPTION_SIZE, ""},
        {"-Agame.exe", "-A", 5, "game"},
        {"-Agame.exe", "-A", 1, ""},
        {"-Agame.exe -I", "-I", 0, "setup.exe"},
    };
    // clang-format on
    for (auto& c : cases) {
        std::string line = c.line;
        char value[1100];
        memset(value, 'x', sizeof value);
        if (c.length)
            ParseCommandLine(line.c_str(), value, c.length, c.token);
        else
            GetSwitch(line.c_str(), c.token, value);
        EXPECT_EQ(c.value, std::string(value)) << c.line << " " << c.token;
        EXPECT_EQ(c.line, line) << "the caller's line changed";
        EXPECT_EQ('x', value[c.length ? c.length : OPTION_SIZE]) << c.line << ": written past the buffer";
    }
    // clang-format off
    const char* tails[][2] = {
        {"autorun.exe -Ax", "-Ax"}, {"\"C:\\My Disc\\a.exe\" -Ax", "-Ax"},
        {"  \t\"a b\"   -Ax  ", "-Ax  "}, {"a.exe\t-Ax", "-Ax"}, {"\"unclosed -Ax", ""},
        {"a.exe", ""}, {"\"a\"-Ax", "-Ax"}, {"", ""}, {"\"a\tb\" -Ax", "b\" -Ax"},
    };
    // clang-format on
    for (auto& t : tails)
        EXPECT_STREQ(t[1], SkipProgramName(t[0])) << t[0];
}

// A search with a wildcard gives the name as the folder holds it, and keeps
// no handle open.
TEST(Files, AreFoundByWildcard)
{
    TempDir dir;
    WriteFile(dir / "Splash.bmp", "12345");
    ffblk found = {};
    // The first search also makes what the platform makes once per process.
    findfirst((dir / "*.none").c_str(), &found, 0);
    const int handles = Handles();
    EXPECT_EQ(0, findfirst((dir / "spl*.bmp").c_str(), &found, 0));
    EXPECT_STREQ("Splash.bmp", found.ff_name);
    EXPECT_EQ(5u, found.ff_fsize);
    EXPECT_EQ(-1, findfirst((dir / "x*.bmp").c_str(), &found, 0));
    EXPECT_EQ(handles, Handles()) << "a search left its handle open";
}

// The runtime's string functions, which serve this whole program, at the
// ends of their strings and at their limits; the inputs are not constants,
// which the compiler would work out itself.
TEST(Strings, StopAtTheirEndsAndLimits)
{
    const std::string s[] = {"", " ", "  a b", "ab  ", "-A-Ax", "\xff", "abc", "ab"};
    EXPECT_EQ(5u, strlen(s[2].c_str()));
    EXPECT_EQ(2u, strspn(s[2].c_str(), s[1].c_str()));
    EXPECT_EQ(0u, strspn(s[0].c_str(), s[1].c_str()));
    EXPECT_EQ(2u, strcspn(s[3].c_str(), s[1].c_str()));
    EXPECT_EQ(0u, strcspn(s[2].c_str(), s[1].c_str()));
    EXPECT_EQ(4u, strcspn(s[3].c_str(), s[0].c_str()));
    EXPECT_EQ(s[4].c_str() + 2, strstr(s[4].c_str(), s[4].c_str() + 2));
    EXPECT_EQ(s[4].c_str(), strstr(s[4].c_str(), s[0].c_str()));
    EXPECT_EQ(nullptr, strstr(s[3].c_str(), s[6].c_str()));
    EXPECT_EQ(s[6].c_str() + 3, strchr(s[6].c_str(), 0));
    EXPECT_EQ(nullptr, strchr(s[6].c_str(), '-'));
    EXPECT_GT(0, strcmp(s[3].c_str(), s[6].c_str()));
    EXPECT_LT(0, strcmp(s[5].c_str(), s[6].c_str())) << "characters compare as unsigned";
    EXPECT_EQ(0, strcmp(s[6].c_str(), std::string(s[6]).c_str()));
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, memcmp("abxxxxxx", strncpy(buffer, s[6].c_str(), 2), 8)) << "no terminator at the limit";
    EXPECT_EQ(0, memcmp("ab\0\0xxxx", strncpy(buffer, s[7].c_str(), 4), 8));
    EXPECT_EQ(0, memcmp("ab-A\0xxx", strncat(buffer, s[4].c_str(), 2), 8));
}

// The harness's drives are C:, D: and E: (CD-ROM drives), and Z:.
TEST(Drives, AreTheCurrentOneAndTheCdroms)
{
    char root[8] = "xxxxxxx";
    SetCurrentDirectoryA("e:\\");
    EXPECT_EQ(4, getdisk());
    EXPECT_EQ(0, GetCurrentDrive(root, 3));
    EXPECT_EQ(1, GetCurrentDrive(root, 4));
    EXPECT_STREQ("E:\\", root);
    SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(1, GetCDROMDrive(root, sizeof root, -1));
    EXPECT_STREQ("D:\\", root);
    EXPECT_EQ(2, GetCDROMDrive(root, 3, 1));
    EXPECT_STREQ("E:", root);
    EXPECT_EQ(-1, GetCDROMDrive(root, sizeof root, 2));
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
    // clang-format off
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
    // clang-format on
    for (auto& c : cases) {
        char value[1100];
        memset(value, '#', sizeof value);
        EXPECT_EQ(c.size, GetRegistryValueData(HKEY_LOCAL_MACHINE, (key.sub + c.sub).c_str(), c.name, value, 1024))
            << c.name;
        EXPECT_EQ(c.value ? c.value : "", std::string(value, c.value ? strlen(value) : 0)) << c.name;
        EXPECT_EQ('#', value[c.value ? c.size + 1 : 0]) << c.name << ": written past the value";
    }
}

// The platform's two ways of starting a program, recorded: the last call as
// "command line|directory" or "verb|file|parameters|directory", made to
// fail with the chosen errors. A started program's handles are real ones.
DWORD g_createError, g_shellError;
std::string g_asked;

BOOL WINAPI RecordCreate(LPCSTR, LPSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                         LPCSTR dir, LPSTARTUPINFOA, LPPROCESS_INFORMATION pi)
{
    g_asked = std::string(line) + "|" + (dir ? dir : "(null)");
    SetLastError(g_createError);
    HANDLE self = GetCurrentProcess();
    return !g_createError && DuplicateHandle(self, self, self, &pi->hProcess, 0, FALSE, DUPLICATE_SAME_ACCESS) &&
           DuplicateHandle(self, GetCurrentThread(), self, &pi->hThread, 0, FALSE, DUPLICATE_SAME_ACCESS);
}

BOOL WINAPI RecordShell(SHELLEXECUTEINFOA* sei)
{
    auto s = [](const char* p) { return std::string(p ? p : "(null)"); };
    g_asked = s(sei->lpVerb) + "|" + s(sei->lpFile) + "|" + s(sei->lpParameters) + "|" + s(sei->lpDirectory);
    EXPECT_EQ((ULONG)(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI), sei->fMask);
    EXPECT_EQ(SW_SHOWNORMAL, sei->nShow);
    SetLastError(g_shellError);
    return !g_shellError;
}

enum Action { Launch, FromCd, Uninstall };

// One action of each row, with the current directory D:\. @ is the folder
// "D:\My Game", which holds game.exe, game launcher.exe and setup.msi; the
// App Paths key is made when the row has a value (for Uninstall, always).
TEST(Actions, StartOneProgramOrSayWhyNot)
{
    // clang-format off
    const struct {
        Action action;
        const char* value;  // the unnamed value, or "UninstallString"; + adds 1500 blanks, *
                            // blanks up to 1024 bytes with the terminator
        bool path;          // the key has "Path" @
        const char* on;     // the CD-ROM drives holding cd.exe (FromCd)
        DWORD createError, shellError;
        const char* asked;  // the last start asked for; for Uninstall, what started
        const char* box;
    } cases[] = {
        {Launch, nullptr, false, "", 0, 0, "D:\\setup.exe|(null)", nullptr},
        {Launch, "", false, "", 0, 0, "D:\\setup.exe|(null)", nullptr},
        {Launch, "\"@\\game.exe\" -x", true, "", 0, 0, "\"@\\game.exe\" -x|@", nullptr},
        {Launch, "@\\game.exe -x", false, "", 0, 0, "@\\game.exe -x|(null)", nullptr},
        {Launch, "@\\game.exe+", false, "", 0, 0, "", kCannotInvoke},
        {Launch, "@\\game.exe*", false, "", 0, 0, "", kCannotInvoke},
        {Launch, "\"@\\game.exe\"", true, "", 2, 0, "\"@\\game.exe\"|@", kCannotInvoke},
        {Launch, "\"@\\game.exe\" -x /y", true, "", 740, 0, "runas|@\\game.exe|-x /y|@", nullptr},
        {Launch, "\"@\\game.exe\"", true, "", 740, 1223, "runas|@\\game.exe||@", nullptr},
        {Launch, "\"@\\game.exe\"", true, "", 740, 5, "runas|@\\game.exe||@", kCannotInvoke},
        {Launch, "@\\setup.msi /qn", false, "", 193, 0, "(null)|@\\setup.msi|/qn|D:\\", nullptr},
        {Launch, "@\\game.exe  -x", true, "", 740, 0, "runas|@\\game.exe|-x|@", nullptr},
        {Launch, "@\\game -x", true, "", 740, 0, "runas|@\\game.exe|-x|@", nullptr},
        {Launch, "@\\none -x", true, "", 740, 0, "runas|D:\\My|Game\\none -x|@", nullptr},
        {Launch, "@\\game launcher.exe", true, "", 740, 0, "runas|@\\game launcher.exe||@", nullptr},
        {FromCd, "", true, "DE", 0, 0, "D:\\cd.exe|@", nullptr},
        {FromCd, "", false, "E", 0, 0, "E:\\cd.exe|(null)", nullptr},
        {FromCd, "", false, "", 0, 0, "", "Error|Could not find executable."},
        {FromCd, nullptr, false, "DE", 0, 0, "D:\\setup.exe|(null)", nullptr},
        {Uninstall, "\"@\\un.exe\" /remove", false, "", 0, 0, "\"@\\un.exe\" /remove|D:\\|1", nullptr},
        {Uninstall, nullptr, false, "", 0, 0, "", "Error|Could not find uninstall string in Registry."},
        {Uninstall, "@\\un.exe+", false, "", 0, 0, "", "Error|Could not find uninstall string in Registry."},
        {Uninstall, "@\\none.exe", false, "", 0, 0, "", "Error|WinExec failed. Return Code = 2."},
    };
    // clang-format on
    const std::string folder = "D:\\My Game";
    auto expand = [&](std::string s) {
        for (size_t at; (at = s.find_first_of("@+*")) != std::string::npos;)
            s.replace(at, 1, s[at] == '@' ? folder : std::string(s[at] == '+' ? 1500 : 1024 - s.size(), ' '));
        return s;
    };
    CreateDirectoryA(folder.c_str(), NULL);
    WriteFile(folder + "\\game.exe", "MZ");
    WriteFile(folder + "\\game launcher.exe", "MZ");
    WriteFile(folder + "\\setup.msi", "package");
    Child uninstaller(folder + "\\un.exe");
    pCreateProcessA = RecordCreate;
    pShellExecuteExA = RecordShell;
    SetCurrentDirectoryA("D:\\");
    // Twice: the first pass also makes what the platform makes once per
    // process (the second has no excuse to leave a handle open).
    for (int pass = 0; pass < 2; pass++)
        for (auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.action) + " " + (c.value ? c.value : "(no key)") + " " + c.asked);
            RegKey key(kAppPaths + Unique("app"), c.value || c.action == Uninstall);
            if (c.value)
                key.Set(c.action == Uninstall ? "UninstallString" : nullptr, expand(c.value) + '\0');
            if (c.path)
                key.Set("Path", folder + '\0');
            for (char drive : std::string(c.on))
                WriteFile(drive + std::string(":\\cd.exe"), "MZ");
            g_createError = c.createError, g_shellError = c.shellError;
            g_asked.clear();
            int result = -1;
            // WinExec itself keeps a handle under Wine; the uninstall has none of its own.
            const int handles = pass && c.action != Uninstall ? Handles() : -1;
            auto boxes = RunAnswering([&] {
                result = c.action == Launch   ? CheckAndLaunch(key.sub.c_str(), "setup.exe")
                         : c.action == FromCd ? CheckAndLaunchFromCD(key.sub.c_str(), "cd.exe", "setup.exe")
                                              : RunUninstall(key.sub.c_str());
            });
            for (char drive : std::string(c.on))
                DeleteFileA((drive + std::string(":\\cd.exe")).c_str());
            EXPECT_EQ(handles, handles < 0 ? -1 : Handles()) << "the action left a handle open";
            EXPECT_EQ(c.box || c.shellError ? 0 : 1, result);
            EXPECT_EQ(c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}, boxes);
            if (c.action == Uninstall && !c.box && uninstaller.Wait())
                g_asked = uninstaller.line + "|" + uninstaller.dir + "|" + uninstaller.show;
            EXPECT_EQ(expand(c.asked), g_asked);
            DeleteFileA((uninstaller.path + ".run").c_str());
        }
    SetCurrentDirectoryA("C:\\");
    pCreateProcessA = CreateProcessA;
    pShellExecuteExA = NULL;
}

// A start through the shell takes the shell and COM from the system folder,
// not the DLLs of their names beside the program that starts (here the
// child, which leaves the search as it is, unlike the launcher). The file is
// no program, and none opens it: the shell is asked, and refuses.
TEST(Actions, TakeTheShellFromTheSystemFolder)
{
    TempDir dir;
    Child starter(dir / "starter.exe");
    for (const char* dll : {"shell32.dll", "ole32.dll"})
        ASSERT_TRUE(CopyFileA(PLANTED_DLL, (dir / dll).c_str(), FALSE));
    WriteFile(dir / "paper.autorun-test", "");
    SearchedDlls searched("starter.exe", {"shell32", "ole32"});
    Launcher run(starter.path, "/start " + dir / "paper.autorun-test", dir.path);
    EXPECT_EQ(1u, run.Exit()) << "the shell did not refuse the file";
    EXPECT_EQ("", ReadFile(dir / "shell32.dll.run") + ReadFile(dir / "ole32.dll.run")) << "loaded from beside it";
}

TEST(Desktop, CopiesTextToTheClipboard)
{
    for (size_t length : {0, 5, 70000}) {
        std::string text(length, 'a');
        ASSERT_EQ(1, CopyStringToClipboard(text.c_str(), NULL));
        EXPECT_FALSE(CloseClipboard()) << "the clipboard was left open";
        ASSERT_TRUE(OpenClipboard(NULL));
        const char* held = (const char*)GetClipboardData(CF_TEXT);
        EXPECT_EQ(text, held ? held : "(none)");
        CloseClipboard();
    }
}

// The child, Wine told to be each Windows for it, says whether it runs on
// the Windows 95 family.
TEST(Desktop, TellsTheWindows95FamilyFromNt)
{
    const std::pair<const char*, DWORD> versions[] = {
        {"win95", 1}, {"win98", 1}, {"winme", 1}, {"nt40", 0}, {"win10", 0}};
    TempDir dir;
    Child child(dir / "platform.exe");
    RegKey key("Software\\Wine\\AppDefaults\\platform.exe", true, HKEY_CURRENT_USER);
    for (auto& [version, family] : versions) {
        key.Set("Version", version + std::string(1, '\0'));
        Launcher run(child.path, "/platform", dir.path);
        EXPECT_EQ(family, run.Exit()) << version;
    }
}

// Bitmap resources served with the palette of their table, or refused.
TEST(Resources, MakeBitmapsAndPalettes)
{
    Bmp good(4, 3, 2), rgb(24, 3, 2), shortTable(8, 3, 2), cut(8, 3, 2);
    shortTable.info.biClrUsed = 20;
    shortTable.table.resize(80);
    shortTable.bits.append(1000, '\0');  // long enough for a full table: refused for its count
    cut.bits.pop_back();
    TempDir dir;
    const std::string module = dir / "bitmaps.exe";
    ASSERT_TRUE(CopyFileA(CHILD_EXE, module.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(module.c_str(), FALSE);
    for (auto& r : {std::make_pair("GOOD", good), {"RGB", rgb}, {"SHORT", shortTable}, {"CUT", cut}}) {
        std::string bytes = r.second.Bytes().substr(sizeof(BITMAPFILEHEADER));
        UpdateResourceA(update, RT_BITMAP, r.first, 0, &bytes[0], (DWORD)bytes.size());
    }
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    HMODULE h = LoadLibraryExA(module.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    // The bitmap's width (0: none) and the palette: "untouched", "none", or
    // its entries, the last one's colour and the colour of pixel (1, 0).
    // clang-format off
    const std::pair<const char*, std::string> cases[] = {
        {"GOOD", "3 16 " + std::to_string(RGB(105, 45, 240)) + " " + std::to_string(RGB(7, 3, 254))}, {"RGB", "3 none"},
        {"SHORT", "0 none"}, {"CUT", "0 none"}, {"MISSING", "0 untouched"},
    };
    // clang-format on
    for (auto& c : cases) {
        HPALETTE palette = (HPALETTE)1;
        HBITMAP bitmap = LoadResourceBitmap(h, c.first, &palette);
        BITMAP b = {};
        GetObjectA(bitmap, sizeof b, &b);
        DWORD entries[256] = {};
        UINT n = palette == (HPALETTE)1 ? 0 : GetPaletteEntries(palette, 0, 256, (PALETTEENTRY*)entries);
        std::string got =
            std::to_string(b.bmWidth) + (palette == (HPALETTE)1 ? " untouched" : "") + (palette ? "" : " none");
        HDC dc = CreateCompatibleDC(NULL);
        SelectObject(dc, bitmap);
        if (n)
            got += " " + std::to_string(n) + " " + std::to_string(entries[n - 1]) + " " +
                   std::to_string(GetPixel(dc, 1, 0));
        DeleteDC(dc);
        EXPECT_EQ(c.second, got) << c.first;
        DeleteObject(bitmap);
        DeleteObject(n ? palette : NULL);
    }
    FreeLibrary(h);
}

// The manifest as the platform reads it: the launcher runs as whoever
// started it, with the controls' classic look.
TEST(Resources, RunTheLauncherAsItsUser)
{
    ACTCTXA actctx = {sizeof actctx, ACTCTX_FLAG_RESOURCE_NAME_VALID, kLauncher.c_str()};
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE ctx = CreateActCtxA(&actctx);
    ASSERT_NE(INVALID_HANDLE_VALUE, ctx) << "the manifest does not load";
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    BYTE detail[4096];
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, RunlevelInformationInActivationContext, &level, sizeof level, NULL));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);
    ASSERT_TRUE(QueryActCtxW(0, ctx, NULL, ActivationContextDetailedInformation, detail, sizeof detail, NULL));
    EXPECT_EQ(1u, ((ACTIVATION_CONTEXT_DETAILED_INFORMATION*)detail)->ulAssemblyCount)
        << "assemblies besides the launcher's own: the controls would change their look";
    ReleaseActCtx(ctx);
}

}  // namespace
