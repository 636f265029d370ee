// The built launcher as a file: what it imports and exports, and the
// resources it carries (splash dialog, strings, icon), checked byte for byte.
#include "support/cases.h"
#include "support/paths.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Fields = std::vector<std::string>;

std::string Hex(DWORD v, int digits = 8)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%0*lX", digits, (unsigned long)v);
    return buf;
}

// Copies a T from `at`; false when the bytes end first.
template <class T>
bool At(const Bytes& bytes, size_t at, T* out)
{
    if (at > bytes.size() || bytes.size() - at < sizeof(T))
        return false;
    memcpy(out, bytes.data() + at, sizeof(T));
    return true;
}

// ---- The PE file, parsed from its bytes -------------------------------------

class ExecutableImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        IMAGE_DOS_HEADER dos;
        DWORD signature = 0;
        ASSERT_TRUE(At(bytes, 0, &dos) && dos.e_magic == IMAGE_DOS_SIGNATURE)
            << "no DOS header: " << LauncherPath();
        size_t nt = (size_t)dos.e_lfanew, opt = nt + 4 + sizeof file;
        ASSERT_TRUE(At(bytes, nt, &signature) && signature == IMAGE_NT_SIGNATURE &&
                    At(bytes, nt + 4, &file) && At(bytes, opt, &magic)) << "no PE headers";
        // The tests are built for the launcher's target, PE32 or PE32+.
        const WORD native = sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                               : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
        ASSERT_EQ(Hex(native), Hex(magic));
        if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            ASSERT_NO_FATAL_FAILURE(TakeOptional<IMAGE_OPTIONAL_HEADER32>(opt));
        else
            ASSERT_NO_FATAL_FAILURE(TakeOptional<IMAGE_OPTIONAL_HEADER64>(opt));
        sections.resize(file.NumberOfSections);
        for (size_t i = 0; i < sections.size(); ++i)
            ASSERT_TRUE(At(bytes, opt + file.SizeOfOptionalHeader + i * sizeof sections[i],
                           &sections[i])) << "the section table is cut short";
    }
    template <class Optional>
    void TakeOptional(size_t at)
    {
        Optional o;
        ASSERT_TRUE(At(bytes, at, &o)) << "the optional header is cut short";
        subsystem = o.Subsystem;
        memcpy(dirs, o.DataDirectory, std::min<DWORD>(o.NumberOfRvaAndSizes, 16) * sizeof *dirs);
    }

    const IMAGE_SECTION_HEADER* SectionOf(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER& s : sections)
            if (rva >= s.VirtualAddress &&
                rva - s.VirtualAddress < std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return &s;
        return nullptr;
    }
    // Reads a T at `rva` through the section table; false when it is not all in the file.
    template <class T>
    bool Read(DWORD rva, T* out) const
    {
        const IMAGE_SECTION_HEADER* s = SectionOf(rva);
        size_t in = s ? rva - s->VirtualAddress : 0;
        return s && in + sizeof(T) <= s->SizeOfRawData && At(bytes, s->PointerToRawData + in, out);
    }
    std::string CString(DWORD rva) const
    {
        std::string s;
        for (char c; Read(rva, &c) && c; ++rva)
            s += c;
        return s;
    }

    static const Bytes& Launcher()
    {
        static Bytes read;
        if (FILE* f = read.empty() ? fopen(LauncherPath().c_str(), "rb") : nullptr) {
            BYTE buf[4096];
            for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
                read.insert(read.end(), buf, buf + n);
            fclose(f);
        }
        return read;
    }
    const Bytes& bytes = Launcher();
    IMAGE_FILE_HEADER file{};
    WORD magic = 0, subsystem = 0;
    IMAGE_DATA_DIRECTORY dirs[16]{};
    std::vector<IMAGE_SECTION_HEADER> sections;
};

TEST_F(ExecutableImage, IsAWindowsGuiProgram)
{
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, subsystem);
}

TEST_F(ExecutableImage, ImportsOnlySystemDlls)
{
    const std::set<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL",
                                           "ADVAPI32.DLL", "MSVCRT.DLL", "SHELL32.DLL",
                                           "OLE32.DLL"};
    const DWORD first = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    ASSERT_NE(0u, first) << "no import directory";
    std::set<std::string> imported;
    IMAGE_IMPORT_DESCRIPTOR d;
    for (DWORD rva = first;; rva += sizeof d) {
        ASSERT_TRUE(Read(rva, &d)) << "the import directory runs off the file at RVA " << Hex(rva);
        if (!d.Name)
            break;
        std::string name = CString(d.Name);
        CharUpperA(&name[0]);
        EXPECT_EQ(1u, allowed.count(name)) << "imports " << name;
        imported.insert(name);
    }
    for (const char* dll : {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL"})
        EXPECT_EQ(1u, imported.count(dll)) << "does not import " << dll;
}

TEST_F(ExecutableImage, ExportsOnlyWndProcFromItsCode)
{
    IMAGE_EXPORT_DIRECTORY exp;
    ASSERT_TRUE(Read(dirs[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress, &exp))
        << "no export directory";
    ASSERT_EQ(1u, exp.NumberOfNames);
    DWORD nameRva = 0, procRva = 0;
    WORD ordinal = 0;
    ASSERT_TRUE(Read(exp.AddressOfNames, &nameRva) && Read(exp.AddressOfNameOrdinals, &ordinal));
    EXPECT_EQ("WndProc", CString(nameRva));
    ASSERT_LT((DWORD)ordinal, exp.NumberOfFunctions);
    ASSERT_TRUE(Read(exp.AddressOfFunctions + 4 * ordinal, &procRva));
    const IMAGE_SECTION_HEADER* s = SectionOf(procRva);
    ASSERT_NE(nullptr, s) << "WndProc at RVA " << Hex(procRva) << " lies in no section";
    EXPECT_TRUE(s->Characteristics & IMAGE_SCN_MEM_EXECUTE)
        << "WndProc at RVA " << Hex(procRva) << " lies in "
        << std::string((const char*)s->Name, 8).c_str() << ", characteristics "
        << Hex(s->Characteristics);
}

// Exceptions included: at most 64 KiB for the 32-bit launcher, under 40 KiB
// for the 64-bit one.
TEST_F(ExecutableImage, FitsItsSize)
{
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        EXPECT_LE(bytes.size(), 65536u);
    else
        EXPECT_LT(bytes.size(), 40960u);
}

TEST_F(ExecutableImage, IsStripped)
{
    EXPECT_EQ(0u, file.PointerToSymbolTable);
    EXPECT_EQ(0u, file.NumberOfSymbols);
}

// ---- The resources, read through the loader ---------------------------------

class LauncherResources : public ::testing::Test {
protected:
    // Loaded once, as data, for the whole run.
    static HMODULE Load()
    {
        static const HMODULE loaded =
            LoadLibraryExA(LauncherPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return loaded;
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, module) << LauncherPath() << ": error " << GetLastError();
    }

    // The resource's bytes; empty when there is none.
    Bytes Resource(LPCSTR type, LPCSTR name) const
    {
        HRSRC r = FindResourceExA(module, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        auto p = static_cast<const BYTE*>(r ? LockResource(LoadResource(module, r)) : nullptr);
        return p ? Bytes(p, p + SizeofResource(module, r)) : Bytes();
    }
    const HMODULE module = Load();
};

std::string ResName(LPCSTR n, bool isType)
{
    static const std::map<ULONG_PTR, std::string> kTypes = {
        {1, "RT_CURSOR"}, {2, "RT_BITMAP"}, {3, "RT_ICON"}, {4, "RT_MENU"}, {5, "RT_DIALOG"},
        {6, "RT_STRING"}, {9, "RT_ACCELERATOR"}, {12, "RT_GROUP_CURSOR"}, {14, "RT_GROUP_ICON"},
        {16, "RT_VERSION"}, {24, "RT_MANIFEST"}};
    ULONG_PTR id = (ULONG_PTR)n;
    if (!IS_INTRESOURCE(n))
        return n;
    return isType && kTypes.count(id) ? kTypes.at(id) : "#" + std::to_string(id);
}

// Every resource as "type name", with the languages it comes in.
using Inventory = std::map<std::string, std::vector<WORD>>;

BOOL CALLBACK OnLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD lang, LONG_PTR inventory)
{
    (*(Inventory*)inventory)[ResName(type, true) + " " + ResName(name, false)].push_back(lang);
    return TRUE;
}
BOOL CALLBACK OnName(HMODULE m, LPCSTR type, LPSTR name, LONG_PTR inventory)
{
    return EnumResourceLanguagesA(m, type, name, OnLanguage, inventory);
}
BOOL CALLBACK OnType(HMODULE m, LPSTR type, LONG_PTR inventory)
{
    return EnumResourceNamesA(m, type, OnName, inventory);
}

TEST_F(LauncherResources, AreTheDialogStringsAndIconAllLanguageNeutral)
{
    Inventory inventory;
    ASSERT_TRUE(EnumResourceTypesA(module, OnType, (LONG_PTR)&inventory))
        << "error " << GetLastError();
    // String block n holds ids 16(n-1) to 16n-1: 101 is in block 7, 201..208 in 13 and 14.
    const Inventory expected = {
        {"RT_DIALOG SPLASH_SCREEN", {0}}, {"RT_STRING #7", {0}}, {"RT_STRING #13", {0}},
        {"RT_STRING #14", {0}}, {"RT_GROUP_ICON AUTORUN", {0}}, {"RT_ICON #1", {0}},
        {"RT_ICON #2", {0}}, {"RT_ICON #3", {0}}, {"RT_ICON #4", {0}}, {"RT_ICON #5", {0}},
        {"RT_MANIFEST #1", {0}}};
    EXPECT_EQ(expected, inventory);
}

TEST_F(LauncherResources, HaveNoOtherIconGroupThanTheLaunchers)
{
    HRSRC ours = FindResourceA(module, "AUTORUN", RT_GROUP_ICON);
    HRSRC other = FindResourceA(module, "TALVIKBIG", RT_GROUP_ICON);
    EXPECT_NE(nullptr, ours) << "no icon group AUTORUN";
    EXPECT_EQ(nullptr, other) << "an icon group TALVIKBIG";
}

// The platform's own loader reads the manifest: it must parse, run the
// launcher as whoever started it and pull in no other assembly (the controls
// keep their classic look); the text lists Vista to Windows 10/11.
TEST_F(LauncherResources, HaveAManifestThatRunsAsTheInvoker)
{
    ACTCTXA actctx = {};
    actctx.cbSize = sizeof actctx;
    actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    std::string path = LauncherPath();
    actctx.lpSource = path.c_str();
    actctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE h = CreateActCtxA(&actctx);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << "the manifest does not load: error " << GetLastError();
    // What the loader made of a part of the manifest, or null.
    static BYTE buffer[4096];
    auto query = [&](ULONG what) {
        memset(buffer, 0, sizeof buffer);
        return QueryActCtxW(0, h, nullptr, what, buffer, sizeof buffer, nullptr) ? buffer : nullptr;
    };
    auto level = (const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*)query(
        RunlevelInformationInActivationContext);
    ASSERT_NE(nullptr, level) << "error " << GetLastError();
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level->RunLevel);
    EXPECT_EQ(0u, level->UiAccess);
    auto detail = (const ACTIVATION_CONTEXT_DETAILED_INFORMATION*)query(
        ActivationContextDetailedInformation);
    ASSERT_NE(nullptr, detail) << "error " << GetLastError();
    EXPECT_EQ(1u, detail->ulAssemblyCount) << "assemblies besides the launcher's own";
    ReleaseActCtx(h);
    Bytes text = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    const std::string xml(text.begin(), text.end());
    for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, xml.find(std::string("<supportedOS Id=\"{") + id + "}\"/>")) << id;
    EXPECT_EQ(std::string::npos, xml.find("dpiAware"));
}

// ---- The splash dialog's template -------------------------------------------

// Reads a template's fields as text, so that a mismatch shows what the bytes say.
class TemplateReader {
public:
    explicit TemplateReader(const Bytes& b) : m_b(b) {}
    bool Truncated() const { return m_truncated; }
    size_t Pos() const { return m_pos; }
    void AlignDword() { m_pos = (m_pos + 3) & ~(size_t)3; }
    WORD Word()
    {
        WORD w = 0;
        m_truncated = m_truncated || !At(m_b, m_pos, &w);
        m_pos += 2;
        return w;
    }
    std::string Number() { return std::to_string(Word()); }
    std::string Dword() { DWORD lo = Word(); return Hex(lo | (DWORD)Word() << 16); }
    std::string Rect()
    {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += (i ? "," : "") + std::to_string((short)Word());
        return s;
    }
    std::string String()
    {
        std::string s = "\"";
        for (WORD c; (c = Word()) != 0 && !m_truncated;)
            s += c < 0x80 ? std::string(1, (char)c) : "\\u" + Hex(c, 4).substr(2);
        return s + "\"";
    }
    std::string NameOrOrdinal()
    {
        WORD first = 0;
        if (!At(m_b, m_pos, &first) || first != 0xFFFF)
            return String();
        Word();
        return "ordinal " + Hex(Word(), 4);
    }
    // The count of creation data bytes, which are skipped.
    std::string CreationData()
    {
        WORD n = Word();
        m_pos += n;
        return std::to_string(n);
    }

private:
    const Bytes& m_b;
    size_t m_pos = 0;
    bool m_truncated = false;
};

class DialogTemplate : public LauncherResources {
protected:
    void SetUp() override
    {
        LauncherResources::SetUp();
        bytes = Resource(RT_DIALOG, "SPLASH_SCREEN");
        ASSERT_FALSE(bytes.empty()) << "no dialog SPLASH_SCREEN";
        TemplateReader r(bytes);
        DWORD style = 0;
        WORD count = 0;
        At(bytes, 0, &style), At(bytes, 8, &count);
        // The fields of a braced list are read in order.
        header = {"style " + r.Dword(), "exstyle " + r.Dword(), "controls " + r.Number(),
                  "rect " + r.Rect(), "menu " + r.NameOrOrdinal(), "class " + r.NameOrOrdinal(),
                  "title " + r.String()};
        if (style & DS_SETFONT)
            header.insert(header.end(), {"points " + r.Number(), "typeface " + r.String()});
        for (WORD i = 0; i < count && !r.Truncated(); ++i) {
            r.AlignDword();
            controls.push_back({"style " + r.Dword(), "exstyle " + r.Dword(), "rect " + r.Rect(),
                                "id " + r.Number(), "class " + r.NameOrOrdinal(),
                                "text " + r.NameOrOrdinal(), "creation data " + r.CreationData()});
        }
        consumed = r.Pos();
        ASSERT_FALSE(r.Truncated())
            << "the template (" << bytes.size() << " bytes) ends inside a field";
    }
    Bytes bytes;
    Fields header;                 // style exstyle controls rect menu class title [points typeface]
    std::vector<Fields> controls;  // style exstyle rect id class text creation-data
    size_t consumed = 0;
};

TEST_F(DialogTemplate, HasTheSplashWindowsHeader)
{
    const Fields expected = {"style 0x90C800C4", "exstyle 0x00070009", "controls 4",
                             "rect 0,0,160,234", "menu \"\"", "class \"SPLASH_SCREEN\"",
                             "title \"Talvik\"", "points 8", "typeface \"MS Sans Serif\""};
    EXPECT_EQ(expected, header);
}

TEST_F(DialogTemplate, EndsWithItsFourControls)
{
    EXPECT_EQ(4u, controls.size());
    EXPECT_LE(consumed, bytes.size());
    EXPECT_LE(bytes.size(), consumed + 3)
        << "parsed " << consumed << " of " << bytes.size() << " bytes";
}

struct ControlCase {
    const char* name;
    size_t index;
    WORD id, atom;
    DWORD style;
    const char* rect;  // x,y,cx,cy
    const char* text;  // null: the publisher's notice
};
PRINT_CASE_AS_NAME(ControlCase)

const ControlCase kControls[] = {
    {"play button", 0, 42, 0x0080, 0x50010300, "23,196,50,14", "&Play"},
    {"cancel button", 1, 43, 0x0080, 0x50010300, "87,196,50,14", "Cancel"},
    {"publisher notice", 2, 0xFFFF, 0x0082, 0x50001001, "14,213,135,11", nullptr},
    {"picture frame", 3, 45, 0x0082, 0x5080000D, "4,4,144,188", ""},
};

class DialogControl : public DialogTemplate, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(DialogControl, IsAsLaidOut)
{
    const ControlCase& e = GetParam();
    ASSERT_LT(e.index, controls.size());
    const Fields& got = controls[e.index];
    const std::string text = e.text ? "text \"" + std::string(e.text) + "\"" : got[5];
    const Fields expected = {"style " + Hex(e.style), "exstyle " + Hex(0),
                             std::string("rect ") + e.rect, "id " + std::to_string(e.id),
                             "class ordinal " + Hex(e.atom, 4), text, "creation data 0"};
    EXPECT_EQ(expected, got);
    if (!e.text) {  // one line of text, not empty, with the year
        EXPECT_TRUE(text.rfind("text \"", 0) == 0 && text != "text \"\"" &&
                    text.find("2026") != std::string::npos &&
                    text.find_first_of("\r\n") == std::string::npos) << "the notice is " << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Splash, DialogControl, ::testing::ValuesIn(kControls), CaseName());

// ---- The string table -------------------------------------------------------

struct StringCase {
    const char* name;
    UINT id;
    const char* text;
};
PRINT_CASE_AS_NAME(StringCase)

const StringCase kStrings[] = {
    {"install", 101, "&Install"},
    {"error", 201, "Error"},
    {"no current drive", 202, "Could not find current drive."},
    {"cannot invoke", 203, "Could not invoke executable."},
    {"no uninstall", 204, "Could not find uninstall string in Registry."},
    {"winexec failed", 205, "WinExec failed. Return Code = %i."},
    {"no executable", 206, "Could not find executable."},
    {"invalid file name", 207, "Invalid File Name. Make sure file exists."},
    {"invalid bitmap", 208, "Invalid Bitmap File. Make sure that file is a 256 colour BMP file."},
};

class StringTable : public LauncherResources, public ::testing::WithParamInterface<StringCase> {};

TEST_P(StringTable, HoldsTheText)
{
    const StringCase& e = GetParam();
    char buf[256];
    memset(buf, 0x5a, sizeof buf - 1);
    buf[sizeof buf - 1] = '\0';
    EXPECT_EQ((int)strlen(e.text), LoadStringA(module, e.id, buf, sizeof buf)) << "string " << e.id;
    EXPECT_STREQ(e.text, buf) << "string " << e.id;
}

INSTANTIATE_TEST_SUITE_P(Launcher, StringTable, ::testing::ValuesIn(kStrings), CaseName());

TEST_F(StringTable, HoldsNoOtherStringsInItsBlocks)
{
    std::set<UINT> known;
    for (const StringCase& s : kStrings)
        known.insert(s.id);
    for (UINT id = 96; id < 224; id = id == 111 ? 192 : id + 1) {
        char buf[256] = "";
        if (!known.count(id)) {
            EXPECT_EQ(0, LoadStringA(module, id, buf, sizeof buf))
                << "string " << id << " is \"" << buf << "\"";
        }
    }
}

// ---- The icon group and its images ------------------------------------------

#pragma pack(push, 2)
struct GroupDir { WORD reserved, type, count; };
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupDir) == 6 && sizeof(GroupEntry) == 14, "the group's records are packed");

struct IconCase {
    const char* name;
    WORD id;  // also the entry's place in the group, from 1
    BYTE width, height, colours;
    WORD bits;
    DWORD bytes;
};
PRINT_CASE_AS_NAME(IconCase)

const IconCase kIcons[] = {
    {"large 16 colour", 1, 32, 32, 16, 4, 744},
    {"small 16 colour", 2, 16, 16, 16, 4, 296},
    {"wide monochrome", 3, 32, 16, 2, 1, 176},
    {"small monochrome", 4, 16, 16, 2, 1, 176},
    {"large monochrome", 5, 32, 32, 2, 1, 304},
};

class IconGroup : public LauncherResources, public ::testing::WithParamInterface<IconCase> {
protected:
    void SetUp() override
    {
        LauncherResources::SetUp();
        group = Resource(RT_GROUP_ICON, "AUTORUN");
        ASSERT_TRUE(At(group, 0, &dir)) << "no icon group AUTORUN";
    }
    Bytes group;
    GroupDir dir{};
};

TEST_F(IconGroup, ListsFiveImages)
{
    EXPECT_EQ((std::vector<int>{0, 1, 5}), (std::vector<int>{dir.reserved, dir.type, dir.count}))
        << "reserved, type, count";
    EXPECT_EQ(sizeof(GroupDir) + dir.count * sizeof(GroupEntry), group.size());
}

TEST_P(IconGroup, ImageIsListedAndUsable)
{
    const IconCase& e = GetParam();
    GroupEntry g;
    ASSERT_TRUE(At(group, sizeof(GroupDir) + (e.id - 1) * sizeof g, &g))
        << "the group ends before entry " << e.id;
    EXPECT_EQ(e.id, g.id);
    EXPECT_EQ((std::vector<int>{e.width, e.height, e.colours, e.bits, (int)e.bytes}),
              (std::vector<int>{g.width, g.height, g.colours, g.bitCount, (int)g.bytes}))
        << "width, height, colours, bits, bytes";

    Bytes image = Resource(RT_ICON, MAKEINTRESOURCEA(e.id));
    ASSERT_EQ(e.bytes, image.size()) << "bytes of icon " << e.id;
    BITMAPINFOHEADER bi;
    ASSERT_TRUE(At(image, 0, &bi));
    EXPECT_EQ((std::vector<LONG>{40, e.width, 2 * e.height, 1, e.bits}),
              (std::vector<LONG>{(LONG)bi.biSize, bi.biWidth, bi.biHeight, bi.biPlanes,
                                 bi.biBitCount}))
        << "header size, width, height with mask, planes, bits";
    HICON icon = CreateIconFromResourceEx(image.data(), (DWORD)image.size(), TRUE, 0x00030000,
                                          e.width, e.height, LR_DEFAULTCOLOR);
    EXPECT_NE(nullptr, icon) << "icon " << e.id << ": error " << GetLastError();
    if (icon)
        DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(Autorun, IconGroup, ::testing::ValuesIn(kIcons), CaseName());

}  // namespace
