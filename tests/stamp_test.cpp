// autorun-stamp over copies of the built launcher: every resource read back
// as the platform reads it, the stamped launcher run from D: and its notice
// read from its dialog; what it refuses, leaving the file as it was.
#include "common.h"

#include <map>

namespace {

// An .ico of square 32-bit DIB images of these sizes, each filled with its size.
std::string Icon(const std::vector<int>& sizes)
{
    std::string dir = std::string("\0\0\1\0", 4) + (char)sizes.size() + '\0', images;
    for (int size : sizes) {
        BITMAPINFOHEADER bih = {sizeof bih, size, 2 * size, 1, 32};
        std::string image = std::string((const char*)&bih, sizeof bih) + std::string(size * size * 4, (char)size) +
                            std::string((size + 31) / 32 * 4 * size, '\0');
        // width, height, colours, reserved; planes, bits; bytes; offset
        DWORD entry[4] = {(DWORD)(size & 0xFF) * 0x101, 1 | 32 << 16, (DWORD)image.size(),
                          (DWORD)(6 + 16 * sizes.size() + images.size())};
        dir.append((const char*)entry, sizeof entry);
        images += image;
    }
    return dir + images;
}

// autorun-stamp run on `exe` with `args`: its exit code and all it printed.
std::pair<DWORD, std::string> Stamp(const std::string& exe, const std::wstring& args)
{
    std::string out;
    std::wstring line = L"\"\"" STAMP_EXE "\" \"" + std::wstring(exe.begin(), exe.end()) + L"\" " + args + L" 2>&1\"";
    FILE* pipe = _wpopen(line.c_str(), L"rb");
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe));)
        out.append(buffer, n);
    return {pipe ? (DWORD)_pclose(pipe) : STILL_ACTIVE, out};
}

std::string Name(LPCSTR name)
{
    return IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : name;
}

// Every resource of a program file as the platform reads it, by "type name language".
std::map<std::string, std::string> Resources(const std::string& path)
{
    std::map<std::string, std::string> all;
    HMODULE module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EnumResourceTypesA(
        module,
        [](HMODULE m, LPSTR type, LONG_PTR p) WINAPI -> BOOL {
            return EnumResourceNamesA(
                m, type,
                [](HMODULE m2, LPCSTR type2, LPSTR name, LONG_PTR p2) WINAPI -> BOOL {
                    return EnumResourceLanguagesA(
                        m2, type2, name,
                        [](HMODULE m3, LPCSTR type3, LPCSTR name3, WORD lang, LONG_PTR p3) WINAPI -> BOOL {
                            HRSRC res = FindResourceExA(m3, type3, name3, lang);
                            (*(std::map<std::string, std::string>*)
                                 p3)[Name(type3) + " " + Name(name3) + " " + std::to_string(lang)] =
                                std::string((const char*)LockResource(LoadResource(m3, res)), SizeofResource(m3, res));
                            return TRUE;
                        },
                        p2);
                },
                p);
        },
        (LONG_PTR)&all);
    FreeLibrary(module);
    return all;
}

std::string Bytes(const std::wstring& s)
{
    return std::string((const char*)s.data(), 2 * s.size());
}

TEST(Stamp, MakesACopyOfTheLauncherOneDiscsOwn)
{
    const std::wstring kBuilt = L"Copyright 2026 Talvik Software";
    // clang-format off
    const struct {
        const wchar_t* notice;  // none: no --notice
        const wchar_t* shown;   // by the dialog, when not the notice given
        std::vector<int> icon;  // its images' sizes; none: no --icon
        const char* warning;
    } cases[] = {
        {L"© 2026 Zoë Spiele GmbH", nullptr, {16, 32}, nullptr},
        {nullptr, kBuilt.c_str(), {48, 32, 256, 13}, nullptr},
        {L"", nullptr, {}, nullptr},
        {L"中文 2026", L"?? 2026", {}, "warning: the notice has characters beyond this machine's ANSI code page (1252)"},
        {L"Talvik & Söhne", nullptr, {}, "warning: the notice has a single &"},
        {L"Copyright 2026 Talvik Software GmbH and Company KG", nullptr, {32}, "warning: the notice is "},
    };
    // clang-format on
    const auto built = Resources(kLauncher);
    for (auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        TempDir disc("D:\\");
        const std::string exe = disc / "autorun.exe", ico = Icon(c.icon), icoPath = disc / "disc.ico";
        ASSERT_TRUE(CopyFileA(AUTORUN_EXE, exe.c_str(), FALSE));
        WriteFile(disc / "splash.bmp", Bmp(8, 8, 8).Bytes());
        WriteFile(icoPath, ico);
        auto [code, said] =
            Stamp(exe, (c.notice ? L"--notice \"" + std::wstring(c.notice) + L"\"" : L"") +
                           (c.icon.empty() ? L"" : L" --icon " + std::wstring(icoPath.begin(), icoPath.end())));
        EXPECT_EQ(0u, code) << said;
        EXPECT_EQ(said.find("warning:"), said.find(c.warning ? c.warning : "warning:")) << said;

        auto expected = built;
        std::string& tmpl = expected["#5 SPLASH_SCREEN 0"];
        size_t at = tmpl.find(Bytes(kBuilt) + std::string(4, '\0')), end = at + Bytes(kBuilt).size() + 4;
        ASSERT_NE(std::string::npos, at);
        std::string head = tmpl.substr(0, at) + Bytes(c.notice ? c.notice : kBuilt) + std::string(4, '\0');
        head.resize((head.size() + 3) / 4 * 4, '\0');
        tmpl = head + tmpl.substr((end + 3) / 4 * 4);
        for (auto it = expected.begin(); !c.icon.empty() && it != expected.end();)
            it = it->first.rfind("#3 ", 0) ? std::next(it) : expected.erase(it);
        if (!c.icon.empty())
            expected["#14 AUTORUN 0"] = ico.substr(0, 6);
        for (size_t k = 0; k < c.icon.size(); k++) {
            const char* entry = &ico[6 + 16 * k];
            expected["#14 AUTORUN 0"] += std::string(entry, 12) + (char)(k + 1) + '\0';
            expected["#3 #" + std::to_string(k + 1) + " 0"] = ico.substr(*(DWORD*)(entry + 12), *(DWORD*)(entry + 8));
        }
        const auto stamped = Resources(exe);
        for (auto& [key, bytes] : stamped)
            EXPECT_TRUE(expected.count(key) && expected[key] == bytes) << key << " is not as expected";
        EXPECT_EQ(expected.size(), stamped.size());
        std::string group = stamped.count("#14 AUTORUN 0") ? stamped.at("#14 AUTORUN 0") : "";
        if (!c.icon.empty()) {  // the image the platform takes for 32 x 32
            EXPECT_EQ(std::find(c.icon.begin(), c.icon.end(), 32) - c.icon.begin() + 1,
                      LookupIconIdFromDirectoryEx((BYTE*)&group[0], TRUE, 32, 32, 0));
        }

        Launcher launcher(exe, "-Anone.exe", disc.path);
        HWND hwnd = launcher.Window();
        ASSERT_TRUE(hwnd) << "no dialog";
        WCHAR text[200];
        RECT client;
        InternalGetWindowText(GetDlgItem(hwnd, 0xFFFF), text, 200);
        GetClientRect(GetDlgItem(hwnd, 0xFFFF), &client);
        EXPECT_EQ(c.shown ? c.shown : c.notice, std::wstring(text));
        if (c.warning && strstr(c.warning, "notice is")) {  // the notice's control, as wide as the dialog makes it
            EXPECT_NE(std::string::npos, said.find(" " + std::to_string(client.right) + ": the control cuts it"))
                << said;
        }
        PostMessageA(hwnd, WM_COMMAND, 43, 0);
        EXPECT_EQ(0u, launcher.Exit());
    }
}

TEST(Stamp, RefusesWhatIsNotTheLauncherOrNotAnIcon)
{
    std::string tallImage = Icon({16});
    tallImage[7] = 8;
    // clang-format off
    const struct {
        const char* name;
        const char* launcher;  // copied, or written as "MZ" when null
        std::string icon;      // as disc.ico
        std::wstring args;
        DWORD code;
        const char* said;
    } cases[] = {
        {"not an icon", AUTORUN_EXE, "GIF89a", L"--icon disc.ico", 1, "disc.ico: not an icon file"},
        {"only 13 x 13", AUTORUN_EXE, Icon({13, 13}), L"--icon disc.ico", 1, "disc.ico: it holds no image of a size Windows uses"},
        {"an icon cut short", AUTORUN_EXE, Icon({16, 32}).substr(0, 1000), L"--icon disc.ico", 1, "image 1 of its directory lies outside the file"},
        {"an entry not its image's size", AUTORUN_EXE, tallImage, L"--icon disc.ico", 1, "image 1 of its directory is a DIB, but not"},
        {"another program", CHILD_EXE, "", L"--notice x", 1, "not the launcher: it has no dialog template SPLASH_SCREEN"},
        {"no program", nullptr, "", L"--notice x", 1, "cannot be loaded as a program file"},
        {"read-only", AUTORUN_EXE, "", L"--notice x", 1, "cannot be changed: it is read-only"},
        {"nothing to stamp", AUTORUN_EXE, "", L"", 2, "usage: autorun-stamp LAUNCHER.exe"},
        {"an unknown switch", AUTORUN_EXE, Icon({16}), L"--icon disc.ico --label x", 2, "usage: "},
        {"a switch twice", AUTORUN_EXE, "", L"--notice x --notice y", 2, "usage: "},
        {"help", AUTORUN_EXE, "", L"--notice x --help", 0, "usage: "},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string exe = dir / "autorun.exe";
        c.launcher ? (void)CopyFileA(c.launcher, exe.c_str(), FALSE) : WriteFile(exe, "MZ");
        WriteFile(dir / "disc.ico", c.icon);
        SetFileAttributesA(strstr(c.name, "read-only") ? exe.c_str() : "", FILE_ATTRIBUTE_READONLY);
        SetCurrentDirectoryA(dir.path.c_str());
        const std::string before = ReadFile(exe);
        auto [code, said] = Stamp(exe, c.args);
        EXPECT_EQ(c.code, code) << said;
        EXPECT_NE(std::string::npos, said.find(c.said)) << said;
        EXPECT_TRUE(before == ReadFile(exe)) << "the file changed";
        SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_NORMAL);
        SetCurrentDirectoryA("C:\\");
    }
}

}  // namespace
