// autorun-check over disc folders made here: a good disc, each problem it
// knows, each outcome of the picture, and hostile files.
#include "common.h"

namespace {

// A change to the good disc: its autorun.inf replaced by `text`.
std::function<void(const TempDir&)> Inf(const std::string& text)
{
    return [text](const TempDir& disc) { WriteFile(disc / "autorun.inf", text); };
}

// A change to the good disc: its splash.bmp replaced by `bmp` changed by `edit`.
std::function<void(const TempDir&)> Picture(Bmp bmp, const std::function<void(Bmp&)>& edit = {})
{
    if (edit)
        edit(bmp);
    return [bmp](const TempDir& disc) { WriteFile(disc / "splash.bmp", bmp.Bytes()); };
}

// `text` in UTF-16, little- or big-endian, after its byte-order mark.
std::string Utf16(const std::wstring& text, bool big = false)
{
    std::string bytes = big ? "\xfe\xff" : "\xff\xfe";
    for (wchar_t c : text)
        bytes += big ? std::string{(char)(c >> 8), (char)c} : std::string{(char)c, (char)(c >> 8)};
    return bytes;
}

// A run-length picture of 4096 columns and `rows` rows whose bits end at once.
void Rle(Bmp& b, LONG rows)
{
    b.info.biCompression = BI_RLE8;
    b.info.biWidth = 4096, b.info.biHeight = rows, b.info.biSizeImage = 2;
    b.bits.assign("\0\1", 2);
}

TEST(Checker, SaysWhatTheLauncherWillDoWithADisc)
{
    const std::string open = "[autorun]\r\nopen=autorun.exe -Agame.exe ";
    const std::string lead =
        "problem: picture splash.bmp: box 208 \"Invalid Bitmap File. Make sure that "
        "file is a 256 colour BMP file.\" instead, before the dialog: ";
    // clang-format off
    const struct {
        const char* name;
        std::function<void(const TempDir&)> change;
        DWORD code;
        std::vector<std::string> said;
    } cases[] = {
        {"a good disc", [](const TempDir&) {}, 0,
         {"caption: \"My Game\"", "icon: autorun.exe: on the disc", "picture: splash.bmp, 37 x 21: shown whole at 87,140 in",
          "installer: setup.exe: at the disc's root; started directly",
          "App Paths\\game.exe: not installed on this machine; the first button reads \"&Install\""}},
        {"no autorun.inf", [](const TempDir& d) { DeleteFileA((d / "autorun.inf").c_str()); }, 1, {"no autorun.inf"}},
        {"no [autorun]", Inf("[other]\nopen=autorun.exe"), 1, {"problem: autorun.inf has no [autorun] section"}},
        {"no open=", Inf("[AutoRun]\nicon=autorun.exe"), 1, {"problem: autorun.inf has no open= or shellexecute= line"}},
        {"shellexecute= alone, a program", Inf("[autorun]\nshellexecute=setup.exe -C(x)"), 0, {"caption: \"x\""}},
        {"shellexecute= alone, a package", Inf("[autorun]\nshellexecute=setup.msi"), 0,
         {"shellexecute: setup.msi: not a program: the shell opens it with its default verb"}},
        {"both, and the second open= passed over", Inf(open + "-C(a)\nshellexecute=setup.exe -C(b)\nopen=x.exe"), 0,
         {"warning: both open= and shellexecute= are set", "caption: \"a\"", "caption: \"b\"",
          "warning: open= in [autorun] is given twice in autorun.inf: Windows reads the first"}},
        {"a whole value in quotes", [](const TempDir& d) { WriteFile(d / "autorun.inf", "[autorun]\nopen=\"\"Start Me.exe\"\"");
                                                           WriteFile(d / "Start Me.exe", "MZ"); }, 0, {"open: \"Start Me.exe\"\r"}},
        {"another line for 64-bit Windows", Inf(open + "\n[AutoRun.Amd64]\nopen=x64.exe -C(y)"), 1,
         {"64-bit Windows takes open= from [AutoRun.Amd64]", "problem: [AutoRun.Amd64]'s open= starts x64.exe",
          "caption: \"y\""}},
        {"a NUL in a line", Inf(std::string("[autorun]\nopen=autorun.exe -C(n\0m)", 34)), 0,
         {"line 2 of autorun.inf holds a NUL", "caption: \"n\""}},
        {"keys in any case, no newline at the end", Inf("[AUTORUN]\r\nOpen = autorun.exe -C(x)"), 0, {"caption: \"x\""}},
        {"a program not on the disc", Inf("[autorun]\nopen=\"start me.exe\" -Agame.exe"), 1,
         {"problem: open= starts start me.exe, which is not a file on the disc"}},
        {"a blank outside parentheses", Inf(open + "-CMy Game"), 0,
         {"warning: \"Game\" is no switch and is ignored: the value of -C ends", "caption: \"My\""}},
        {"a token inside a value", Inf(open + "-C(Hi-Sx) -Ssplash.bmp"), 1,
         {"warning: the scanner finds -S first in \"-Sx) -Ssplash.bmp\", inside another value: it takes -S's value "
          "from there, not the -S given", "switch: -S \"x)\"",
          "problem: picture x): box 207 \"Invalid File Name. Make sure file exists.\" instead"}},
        {"tokens of switches not given inside a value", Inf(open + "-C(Kinder-Pack -Deluxe)"), 0,
         {"finds -P first in \"-Pack -Deluxe)\", inside another value: it takes -P's value from there, though the line "
          "gives no -P", "finds -D first in \"-Deluxe)\"", "switch: -D \"eluxe)\"", "switch: -C \"Kinder-Pack -Deluxe\""}},
        {"a switch twice", Inf(open + "-Isetup.exe -Iother.exe"), 0, {"warning: -I is given more than once"}},
        {"an unclosed parenthesis", Inf(open + "-C(My Game"), 0,
         {"warning: the parenthesis after -C is never closed", "caption: \"My Game\""}},
        {"a caption of 1100 characters", Inf(open + "-C" + std::string(1100, 'c')), 0,
         {"warning: the value of -C has 1100 characters: the launcher keeps the first 1023"}},
        {"a missing icon", Inf(open + "\nicon=none.ico,0"), 0, {"warning: none.ico: icon= names a file not on"}},
        {"names Windows does not read back", [](const TempDir& d) { WriteFile(d / std::string(104, 'n'), "");
                                                                   WriteFile(d / "a;b", ""); },
         0, {"a name of 104 characters: Windows reads its first 103", "a;b: Joliet holds ; as _"}},
        {"an installer missing", [](const TempDir& d) { DeleteFileA((d / "setup.exe").c_str()); }, 1,
         {"problem: installer setup.exe: not a file at the disc's root"}},
        {"an MSI package", Inf(open + "-I(setup.msi /qn)"), 0, {"setup.msi /qn: at the disc's root; not a program"}},
        {"an installer on a drive of its own, there", [open](const TempDir& d) { WriteFile(d / "autorun.inf", open + "-IC:setup.exe");
                                                                            SetCurrentDirectoryA(d.path.c_str()); },
         1, {"problem: installer C:setup.exe: not a file"}},
        {"an installer on a share", Inf(open + "-I\\\\server\\setup.exe"), 1, {"problem: installer \\\\server\\setup.exe: not a"}},
        {"an installer at the root, rooted", Inf(open + "-I\\setup.exe"), 0, {"installer: \\setup.exe: at the disc's root; started"}},
        {"a picture cut to the frame", Picture(Bmp(8, 300, 20)), 0, {"300 x 20: cut to the frame's inside of "}},
        {"a hidden picture", [](const TempDir& d) { SetFileAttributesA((d / "splash.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN); },
         1, {"box 207 \"Invalid File Name. Make sure file exists.\" instead, before the dialog: it is hidden"}},
        {"a folder for a picture", Inf(open + "-Spictures"), 1, {"before the dialog: it is a folder"}},
        {"a picture of 24 bits", Picture(Bmp(24, 8, 8)), 1, {lead + "it has no colour table: 24 bits per pixel"}},
        {"no BMP", [](const TempDir& d) { WriteFile(d / "splash.bmp", "GIF89a"); }, 1, {lead + "it does not start with"}},
        {"a header of 124 bytes", Picture(Bmp(8, 8, 8), [](Bmp& b) { b.info.biSize = 124; }), 1,
         {lead + "its header is 124 bytes, and the launcher reads only those of 12 and 40: make-splash makes"}},
        {"a width of 0", Picture(Bmp(8, 8, 8), [](Bmp& b) { b.info.biWidth = 0; }), 1, {lead + "its width is not above 0"}},
        {"2^31 colours claimed", Picture(Bmp(8, 8, 8), [](Bmp& b) { b.info.biClrUsed = 0x7fffffff; }),
         1, {lead + "the sizes it states are too large to hold"}},
        {"4096 x 4096 in a few run-length bytes", Picture(Bmp(8, 1, 1), [](Bmp& b) { Rle(b, 4096); }), 0,
         {"4096 x 4096: cut to the frame's inside"}},
        {"a row more", Picture(Bmp(8, 1, 1), [](Bmp& b) { Rle(b, 4097); }), 1,
         {lead + "it states 4096 x 4097 pixels, more than the launcher takes: 16777216 (4096 x 4096)"}},
        {"binary junk and a huge line", Inf(std::string("\0\x01\xff\n[autorun]\n", 14) + std::string(300000, 'x') +
                                            "\nopen=autorun.exe -C(\x01\x02)\n\0\0"), 0, {"caption: \"??\""}},
    };
    // clang-format on
    char start[MAX_PATH];
    GetCurrentDirectoryA(sizeof start, start);
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir disc;
        WriteFile(disc / "autorun.inf", open + "-C(My Game)\r\nicon=autorun.exe\r\n");
        WriteFile(disc / "autorun.exe", "MZ");
        WriteFile(disc / "setup.msi", "package");
        WriteFile(disc / "splash.bmp", Bmp(8, 37, 21).Bytes());
        CreateDirectoryA((disc / "pictures").c_str(), NULL);
        ASSERT_TRUE(CopyFileA(CHILD_EXE, (disc / "setup.exe").c_str(), FALSE));
        c.change(disc);
        auto [code, out] = RunCheck(disc.path);
        SetCurrentDirectoryA(start);
        EXPECT_EQ(c.code, code) << out;
        ExpectSaid(out, c.said);
    }
}

// autorun.inf in each encoding the platform reads: the checker's label and
// open= line (as the launcher is handed it, in UTF-8 by its manifest) are
// what the platform's own profile functions read from the file.
TEST(Checker, ReadsAutorunInfAsTheProfileFunctionsDo)
{
    const std::wstring text = L"[autorun]\r\nopen=autorun.exe -C(Zoë \x0414)\r\nlabel=Zoë \x0414\r\n";
    const std::string kUtf8 = "warning: autorun.inf is UTF-8 without a byte-order mark",
                      kLost =
                          "the caption \"Zoë \xd0\x94\" shows whole on Windows 10 version 1903 and later; "
                          "on earlier Windows in no ANSI code page, elsewhere (as with this system's 1252) with ?",
                      kShown = "caption: \"Zoë \xd0\x94\"";
    // clang-format off
    const struct { const char* name; std::string bytes; std::vector<std::string> said, unsaid; } cases[] = {
        {"UTF-16LE", Utf16(text), {kLost, kShown}},
        {"UTF-16BE", Utf16(text, true), {kLost, kShown}},
        {"UTF-8 with its mark", "\xef\xbb\xbf" + Narrow(CP_UTF8, text), {kLost, kShown}},
        {"UTF-8 without a mark", Narrow(CP_UTF8, text), {kUtf8 + ", which Windows reads in the ANSI code page: "
                                                         "the caption shows as \"ZoÃ« Ð”\" and the label as"}},
        {"the ANSI code page", Narrow(1252, text), {"caption: \"Zoë ?\""}, {kLost}},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir disc;
        WriteFile(disc / "autorun.inf", c.bytes);
        WCHAR label[64], open[64];
        const std::wstring inf = Wide(CP_ACP, disc / "autorun.inf");
        GetPrivateProfileStringW(L"autorun", L"label", L"", label, 64, inf.c_str());
        GetPrivateProfileStringW(L"autorun", L"open", L"", open, 64, inf.c_str());
        auto [code, out] = RunCheck(disc.path);
        ExpectSaid(out, c.said, c.unsaid);
        ExpectSaid(out, {"label: " + Narrow(CP_UTF8, label) + "\r\n", "open: " + Narrow(CP_UTF8, open)});
    }
}

// What make-disc rewrites an author's autorun.inf from (--inf): each line as
// it stands, the keys of the first [autorun] section and their first values
// as the profile functions take them, the encoding, and whether open= starts
// the launcher beside the file, however the line names it.
TEST(Checker, SaysAnAutorunInfForMakeDisc)
{
    // clang-format off
    const struct { const char* name; std::string bytes; DWORD code; std::vector<std::string> said, unsaid; } cases[] = {
        {"ANSI, names in any case, blanks and quotes", "; mine\r\n[ AutoRun ]\r\n Open = \"AUTORUN.exe\" \r\nLabel=F\xfcr\r\n", 0,
         {"encoding\x1f" "ANSI\x1f" "1252\r\n", "line\x1f\x1f; mine\r\n", "line\x1f[\x1f[ AutoRun ]\r\n",
          "line\x1fopen\x1f Open = \"AUTORUN.exe\" \r\n", "first\x1f" "label\x1f" "F\xc3\xbcr\r\n", "launcher\x1fyes"}, {}},
        {"UTF-8 without a mark, as written", "[autorun]\nlabel=F\xc3\xbcr", 0,
         {"encoding\x1fUTF-8 unmarked\x1f", "first\x1f" "label\x1f" "F\xc3\xbcr\r\n", "launcher\x1fno"}, {}},
        {"UTF-16LE", Utf16(L"[autorun]\r\nopen=.\\autorun.exe -Ax\r\n"), 0, {"encoding\x1fUTF-16LE", "launcher\x1fyes"}, {}},
        {"UTF-8's mark, then no UTF-8", "\xef\xbb\xbf[autorun]\n\xff", 1, {"refused\x1f"}, {"line\x1f"}},
        {"the launcher from the root", "[autorun]\nopen=\\autorun.exe", 0, {"launcher\x1fyes"}, {}},
        {"another program", "[autorun]\nopen=setup.exe -Aautorun.exe", 0, {"launcher\x1fno"}, {}},
        {"one in a folder", "[autorun]\nopen=sub\\autorun.exe", 0, {"launcher\x1fno"}, {}},
        {"the first section and key only", "[autorun]\nopen=setup.exe\nopen=autorun.exe\n[x]\nicon=x.ico\n[AUTORUN]\nicon=a.ico", 0,
         {"line\x1fopen\x1fopen=autorun.exe\r\n", "line\x1f\x1ficon=x.ico\r\n", "line\x1f\x1f[AUTORUN]\r\n",
          "first\x1fopen\x1fsetup.exe\r\n", "launcher\x1fno"}, {"first\x1ficon"}},
    };
    // clang-format on
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir disc;
        WriteFile(disc / "autorun.inf", c.bytes);
        auto [code, out] = RunCheck(disc / "autorun.inf", "--inf");
        EXPECT_EQ(c.code, code) << out;
        // Where the platform reads the text as written, its first values are
        // the profile functions' own.
        for (const wchar_t* key : {L"open", L"label", L"icon"}) {
            WCHAR value[64];
            GetPrivateProfileStringW(L"autorun", key, L"\x01", value, 64, Wide(CP_ACP, disc / "autorun.inf").c_str());
            std::string record = "first\x1f" + std::string(key, key + wcslen(key)) + "\x1f";
            const bool asWritten = code == 0 && out.find("unmarked") == std::string::npos;
            EXPECT_TRUE(!asWritten ||
                        (value[0] != 1) == (out.find(record + Narrow(CP_UTF8, value) + "\r\n") != std::string::npos))
                << record << out;
        }
        ExpectSaid(out, c.said, c.unsaid);
    }
}

}  // namespace
