// autorun-stamp on copies of the launcher: every resource read back, the launcher run; its refusals, the file kept.
#include "common.h"

namespace {

// Every resource of a program file as the platform reads it, by "type name language".
struct Resources : std::map<std::string, std::string> {
    explicit Resources(const std::string& path)
    {
        HMODULE module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        EnumResourceTypesA(module, Type, (LONG_PTR)this);
        FreeLibrary(module);
    }
    static BOOL WINAPI Type(HMODULE m, LPSTR type, LPARAM p) { return EnumResourceNamesA(m, type, Name, p); }
    static BOOL WINAPI Name(HMODULE m, LPCSTR t, LPSTR n, LPARAM p) { return EnumResourceLanguagesA(m, t, n, Add, p); }
    static BOOL WINAPI Add(HMODULE m, LPCSTR type, LPCSTR name, WORD lang, LPARAM p)
    {
        auto said = [](LPCSTR s) { return IS_INTRESOURCE(s) ? "#" + std::to_string((ULONG_PTR)s) : std::string(s); };
        HRSRC res = FindResourceExA(m, type, name, lang);
        (*(Resources*)p)[said(type) + " " + said(name) + " " + std::to_string(lang)] =
            std::string((const char*)LockResource(LoadResource(m, res)), SizeofResource(m, res));
        return TRUE;
    }
};

// An .ico of square 32-bit DIBs of these sizes (below 0: PNG headers); the resources for it in place of a program's.
std::string Icon(const std::vector<int>& sizes, std::map<std::string, std::string>* resources = nullptr)
{
    std::map<std::string, std::string> none;
    resources = resources ? resources : &none;
    resources->erase(resources->lower_bound("#3 "), resources->lower_bound("#3!"));
    std::string dir = std::string("\0\0\1\0", 4) + (char)sizes.size() + '\0', images, group = dir;
    for (int size : sizes) {
        const int n = std::abs(size);
        const std::string be = {0, 0, (char)(n >> 8), (char)n}, png = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        BITMAPINFOHEADER bih = {sizeof bih, n, 2 * n, 1, 32};
        std::string image = size < 0 ? png + be + be + std::string("\x08\x06\0\0\0", 5)
                                     : std::string((const char*)&bih, sizeof bih) +
                                           std::string(n * n * 4 + (n + 31) / 32 * 4 * n, (char)n);
        // width, height, colours, reserved; planes, bits; bytes; offset (in the group: the image's id)
        DWORD entry[4] = {(DWORD)(n & 0xFF) * 0x101, 1 | 32 << 16, (DWORD)image.size(),
                          (DWORD)(6 + 16 * sizes.size() + images.size())};
        dir.append((const char*)entry, sizeof entry);
        images += image;
        group += std::string((const char*)entry, 12) + (char)(group.size() / 14 + 1) + '\0';
        (*resources)["#3 #" + std::to_string(group.size() / 14) + " 0"] = image;
    }
    (*resources)["#14 AUTORUN 0"] = group;
    return dir + images;
}

TEST(Stamp, MakesACopyOfTheLauncherOneDiscsOwn)
{
    const std::wstring kBuilt = L"Copyright 2026 Talvik Software";
    auto bytes = [](const std::wstring& s) { return std::string((const char*)s.data(), 2 * s.size()); };
    // A row: the notice (none: no --notice), as shown if not as given, the icon's sizes (none: no --icon), a warning.
    // clang-format off
    const struct { const wchar_t *notice, *shown; std::vector<int> icon; const char* warning; } cases[] = {
        {L"© 2026 Zoë Spiele GmbH", nullptr, {16, 32}, nullptr},
        {nullptr, kBuilt.c_str(), {48, 32, -256, 13}, nullptr},
        {L"", nullptr, {}, nullptr},
        {L"中文 2026", nullptr, {}, "warning: the notice shows whole on Windows 10 version 1903 and later; on earlier "
                                   "Windows only where the ANSI code page is 932 (Japanese), 936 (Simplified Chinese)"},
        {L"Talvik & Söhne", nullptr, {}, "warning: the notice has a single &"},
        {L"Copyright 2026 Talvik Software GmbH and Company KG", nullptr, {32}, "warning: the notice is "},
    };
    // clang-format on
    const Resources built(kLauncher);
    for (auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TempDir disc("D:\\");
        ASSERT_TRUE(CopyFileA(AUTORUN_EXE, (disc / "autorun.exe").c_str(), FALSE));
        WriteFile(disc / "splash.bmp", Bmp(8, 8, 8).Bytes());
        Resources expected = built;
        WriteFile(disc / "disc.ico", Icon(c.icon, c.icon.empty() ? nullptr : &expected));
        std::wstring args = L"autorun.exe" + (c.notice ? L" --notice \"" + std::wstring(c.notice) + L"\"" : L"");
        auto [code, said] = RunTool(L"" STAMP_EXE, args + (c.icon.empty() ? L"" : L" --icon disc.ico"), disc.path);
        EXPECT_EQ(0u, code) << said;
        // A row without a warning: none is printed.
        EXPECT_EQ(c.warning != nullptr, said.find(c.warning ? c.warning : "warning:") != std::string::npos) << said;
        // The template as built but for the notice and the padding after it.
        std::string& tmpl = expected["#5 SPLASH_SCREEN 0"];
        size_t at = tmpl.find(bytes(kBuilt) + std::string(4, '\0')), end = at + bytes(kBuilt).size() + 4;
        std::string head = tmpl.substr(0, at) + bytes(c.notice ? c.notice : kBuilt) + std::string(4, '\0');
        tmpl = head + std::string(-head.size() % 4, '\0') + tmpl.substr((end + 3) / 4 * 4);
        Resources stamped(disc / "autorun.exe");
        for (auto& [key, data] : expected)
            EXPECT_EQ(data, stamped[key]) << key;
        EXPECT_EQ(expected.size(), stamped.size());
        Launcher launcher(disc / "autorun.exe", "-Anone.exe", disc.path);
        HWND hwnd = launcher.Window(), notice = GetDlgItem(hwnd, IDC_NOTICE);
        ASSERT_TRUE(hwnd) << launcher.NoDialog();
        WCHAR text[200];
        RECT client;
        GetClientRect(notice, &client);
        EXPECT_EQ(c.shown ? c.shown : c.notice, std::wstring(text, InternalGetWindowText(notice, text, 200)));
        EXPECT_EQ(c.warning && strstr(c.warning, "notice is"),  // measured against the control as the dialog has it
                  said.find(" " + std::to_string(client.right) + ": the control cuts it") != std::string::npos)
            << said;
        PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
        EXPECT_EQ(0u, launcher.Exit());
    }
}

TEST(Stamp, RefusesWhatIsNotTheLauncherOrNotAnIcon)
{
    const std::string launcher = ReadFile(kLauncher), notice((const char*)L"Copyright", 18);
    auto edit = [](std::string bytes, size_t at, char to) { return bytes.replace(at, 1, 1, to); };
    // A row: the launcher's bytes, disc.ico's, the switches, exit code, what it says (read-only: the launcher made so).
    // clang-format off
    const struct { std::string launcher, icon; std::wstring args; DWORD code; const char* said; } cases[] = {
        {launcher, "GIF89a", L"--icon disc.ico", 1, "disc.ico: not an icon file"},
        {launcher, Icon({13, 13}), L"--icon disc.ico", 1, "disc.ico: it holds no image of a size Windows uses"},
        {launcher, Icon({16, 32}).substr(0, 1000), L"--icon disc.ico", 1, "image 1 of its directory lies outside the file"},
        {launcher, edit(Icon({16}), 7, 8), L"--icon disc.ico", 1, "image 1 of its directory is a DIB, but not"},
        {launcher, edit(Icon({16}), 14, 0x28), L"--icon disc.ico", 1, "image 1 of its directory is a DIB of 1064 bytes, short of the 1128"},
        {launcher, edit(Icon({-16}), 41, 8), L"--icon disc.ico", 1, "image 1 of its directory is a PNG, but not of the size"},
        {ReadFile(CHILD_EXE), "", L"--notice x", 1, "autorun.exe: not the launcher: it has no dialog template SPLASH_SCREEN"},
        {edit(launcher, launcher.find(notice) - 2, 0x80), "", L"--notice x", 1, "its template SPLASH_SCREEN is not the splash dialog's"},
        {"MZ", "", L"--notice x", 1, "autorun.exe: cannot be loaded as a program file"},
        {launcher, "", L"--notice x", 1, "autorun.exe: cannot be changed: it is read-only"},
        {launcher, "", L"", 2, "usage: autorun-stamp LAUNCHER.exe"},
        {launcher, Icon({16}), L"--icon disc.ico --label x", 2, "usage: "},
        {launcher, "", L"--notice x --help", 0, "usage: "},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.said);
        TempDir dir;
        WriteFile(dir / "autorun.exe", c.launcher);
        WriteFile(dir / "disc.ico", c.icon);
        SetFileAttributesA(strstr(c.said, "read-only") ? (dir / "autorun.exe").c_str() : "", FILE_ATTRIBUTE_READONLY);
        auto [code, said] = RunTool(L"" STAMP_EXE, L"autorun.exe " + c.args, dir.path);
        EXPECT_EQ(c.code, code) << said;
        ExpectSaid(said, {c.said});
        EXPECT_TRUE(c.launcher == ReadFile(dir / "autorun.exe")) << "the file changed";
    }
}

}  // namespace
