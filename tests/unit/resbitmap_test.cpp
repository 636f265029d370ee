// Bitmap resources of this test program (tests/unit/bitmaps.rc) loaded as
// device bitmaps with their palettes, checked against the BMP files they
// were compiled from, which the tests decode themselves.
#include "util/util.h"
#include "support/cases.h"
#include "support/paths.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A palette handle value that no call makes, to see whether one was stored.
static const HPALETTE kPoisonPalette = (HPALETTE)(ULONG_PTR)0x5eed0;

static std::string ReadBitmapFile(const std::string& file)
{
    std::ifstream in(WindowsPath(TEST_BITMAPS_DIR "/" + file), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << file;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static uint32_t Le(const std::string& b, size_t at, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; i--)
        v = v << 8 | (uint8_t)b.at(at + i);
    return v;
}

static uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t)r << 16 | g << 8 | b; }

// A BMP file's picture: its colour table and its pixels as 0xRRGGBB, top row
// first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> table, pixels;
};

static Picture Decode(const std::string& file)
{
    std::string b = ReadBitmapFile(file);
    Picture p;
    uint32_t bitsAt = Le(b, 10, 4), headerSize = Le(b, 14, 4);
    p.width = (int32_t)Le(b, 18, 4);
    int32_t height = (int32_t)Le(b, 22, 4);
    p.height = height < 0 ? -height : height;
    int bits = (int)Le(b, 28, 2);
    uint32_t used = Le(b, 46, 4);
    uint32_t entries = used ? used : bits <= 8 ? 1u << bits : 0;
    for (uint32_t i = 0; i < entries; i++) {
        size_t at = 14 + headerSize + 4 * i;
        p.table.push_back(Rgb(b.at(at + 2), b.at(at + 1), b.at(at)));
    }
    size_t stride = (p.width * bits + 31) / 32 * 4;
    for (int y = 0; y < p.height; y++) {
        size_t row = bitsAt + stride * (height < 0 ? y : p.height - 1 - y);
        for (int x = 0; x < p.width; x++) {
            if (bits == 24) {
                size_t at = row + 3 * x;
                p.pixels.push_back(Rgb(b.at(at + 2), b.at(at + 1), b.at(at)));
            } else {
                size_t bit = (size_t)x * bits;
                int index = (uint8_t)b.at(row + bit / 8) >> (8 - bits - bit % 8) & ((1 << bits) - 1);
                p.pixels.push_back(p.table.at(index));
            }
        }
    }
    return p;
}

// A device bitmap's pixels as 0xRRGGBB, top row first.
static std::vector<uint32_t> ReadPixels(HBITMAP hbm, int width, int height)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(width * height);
    HDC hdc = GetDC(NULL);
    int lines = GetDIBits(hdc, hbm, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(NULL, hdc);
    EXPECT_EQ(height, lines) << "GetDIBits";
    for (uint32_t& p : pixels)
        p &= 0xffffff;
    return pixels;
}

// Deletes a GDI object and checks that it is gone.
static void Delete(HGDIOBJ h)
{
    EXPECT_TRUE(DeleteObject(h)) << "DeleteObject";
    EXPECT_EQ(0u, GetObjectType(h)) << "the object outlives DeleteObject";
}

// A palette's entries, in order, as 0xRRGGBB, with every non-zero peFlags
// reported.
static std::vector<uint32_t> PaletteColours(HPALETTE hpal)
{
    UINT n = GetPaletteEntries(hpal, 0, 0, nullptr);
    std::vector<PALETTEENTRY> entries(n);
    EXPECT_EQ(n, GetPaletteEntries(hpal, 0, n, entries.data()));
    std::vector<uint32_t> colours;
    for (UINT i = 0; i < n; i++) {
        EXPECT_EQ(0, entries[i].peFlags) << "peFlags of entry " << i;
        colours.push_back(Rgb(entries[i].peRed, entries[i].peGreen, entries[i].peBlue));
    }
    return colours;
}

struct LoadCase {
    const char* name;
    const char* resource;
    const char* file;
    int colours;  // palette entries; 0: no palette
};
PRINT_CASE_AS_NAME(LoadCase)

static const LoadCase kLoadCases[] = {
    {"1 bit", "PAL1", "pal1.bmp", 2},
    {"4 bits with the table size given", "PAL4", "pal4.bmp", 16},
    {"8 bits stored top-down", "PAL8", "pal8.bmp", 256},
    {"24 bits", "RGB24", "rgb24.bmp", 0},
};

class ResourceBitmap : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ResourceBitmap, GivesThePictureAndItsPalette)
{
    const LoadCase& c = GetParam();
    Picture want = Decode(c.file);
    ASSERT_EQ((size_t)want.width * want.height, want.pixels.size());

    HPALETTE hpal = kPoisonPalette;
    HBITMAP hbm = LoadResourceBitmap(GetModuleHandleA(NULL), c.resource, &hpal);
    ASSERT_NE(nullptr, hbm);

    if (c.colours == 0) {
        EXPECT_EQ(nullptr, hpal);
    } else {
        ASSERT_NE(nullptr, hpal);
        ASSERT_NE(kPoisonPalette, hpal);
        EXPECT_EQ(OBJ_PAL, GetObjectType(hpal));
        ASSERT_EQ((size_t)c.colours, want.table.size()) << "the file's table";
        std::vector<uint32_t> got = PaletteColours(hpal);
        ASSERT_EQ((size_t)c.colours, got.size()) << "palette entries";
        for (int i = 0; i < c.colours; i++)
            EXPECT_EQ(want.table[i], got[i]) << "palette entry " << i;
        Delete(hpal);
    }

    BITMAP bm;
    ASSERT_EQ((int)sizeof bm, GetObjectA(hbm, sizeof bm, &bm));
    EXPECT_EQ(want.width, bm.bmWidth);
    EXPECT_EQ(want.height, bm.bmHeight);
    std::vector<uint32_t> got = ReadPixels(hbm, want.width, want.height);
    int wrong = 0;
    for (size_t i = 0; i < got.size() && wrong < 5; i++)
        if (got[i] != want.pixels[i])
            ADD_FAILURE() << std::hex << "pixel (" << std::dec << i % want.width << ","
                          << i / want.width << std::hex << "): got 0x" << got[i] << ", want 0x"
                          << want.pixels[i] << (++wrong == 5 ? " (and maybe more)" : "");
    Delete(hbm);
}

INSTANTIATE_TEST_SUITE_P(Served, ResourceBitmap, ::testing::ValuesIn(kLoadCases), CaseName());

struct RejectCase {
    const char* name;
    const char* resource;
    const char* file;
};
PRINT_CASE_AS_NAME(RejectCase)

static const RejectCase kRejectCases[] = {
    {"108-byte header", "V4HEADER", "v4header.bmp"},
    {"16 bits with bit-field masks", "BITFIELDS", "bitfields.bmp"},
    {"8 bits with a 16-entry table", "SHORTTABLE", "shorttable.bmp"},
    {"24 bits with a table", "TABLE24", "table24.bmp"},
    {"bits cut short", "SHORTBITS", "shortbits.bmp"},
    {"table cut short", "SHORTTABLE8", "shorttable8.bmp"},
    {"zero width", "ZEROWIDTH", "zerowidth.bmp"},
    {"zero height", "ZEROHEIGHT", "zeroheight.bmp"},
};

class UnservedBitmap : public ::testing::TestWithParam<RejectCase> {};

TEST_P(UnservedBitmap, GivesNeitherBitmapNorPalette)
{
    const RejectCase& c = GetParam();
    // The resource is there, and holds the file without its file header.
    HMODULE module = GetModuleHandleA(NULL);
    HRSRC hrsrc = FindResourceA(module, c.resource, (LPCSTR)RT_BITMAP);
    ASSERT_NE(nullptr, hrsrc) << c.resource;
    std::string file = ReadBitmapFile(c.file);
    ASSERT_EQ(file.size() - 14, SizeofResource(module, hrsrc));
    ASSERT_EQ(0, memcmp(file.data() + 14, LockResource(LoadResource(module, hrsrc)),
                        file.size() - 14));

    HPALETTE hpal = kPoisonPalette;
    HBITMAP hbm = LoadResourceBitmap(module, c.resource, &hpal);
    EXPECT_EQ(nullptr, hbm);
    EXPECT_EQ(nullptr, hpal);
    if (hbm)
        Delete(hbm);
    if (hpal && hpal != kPoisonPalette)
        Delete(hpal);
}

INSTANTIATE_TEST_SUITE_P(OutOfContract, UnservedBitmap, ::testing::ValuesIn(kRejectCases),
                         CaseName());

TEST(MissingBitmap, LeavesThePaletteAsItWas)
{
    HPALETTE hpal = kPoisonPalette;
    HBITMAP hbm = LoadResourceBitmap(GetModuleHandleA(NULL), "NOSUCHBITMAP", &hpal);
    EXPECT_EQ(nullptr, hbm);
    EXPECT_EQ(kPoisonPalette, hpal);
}

struct PaletteCase {
    const char* name;
    WORD bits;
    DWORD clrUsed;
    int count;  // what is reported; 0: no palette
};
PRINT_CASE_AS_NAME(PaletteCase)

static const PaletteCase kPaletteCases[] = {
    {"0 bits", 0, 0, 1},
    {"1 bit", 1, 0, 2},
    {"4 bits", 4, 0, 16},
    {"8 bits", 8, 0, 256},
    {"8 bits with 16 colours used", 8, 16, 256},
    {"16 bits", 16, 0, 0},
    {"24 bits", 24, 0, 0},
    {"32 bits", 32, 0, 0},
};

class DibPalette : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(DibPalette, HoldsTheTableAndReportsItsSize)
{
    const PaletteCase& c = GetParam();
    // A header and 256 distinct colours, each with a reserved byte that must
    // not become the entry's flags.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib = {};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = dib.header.biHeight = 4;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = c.bits;
    dib.header.biClrUsed = c.clrUsed;
    for (int i = 0; i < 256; i++)
        dib.colours[i] = {(BYTE)(255 - i), (BYTE)(i * 7 + 3), (BYTE)i, (BYTE)(0xa5 ^ i)};

    int count = -7;
    HPALETTE hpal = CreateDIBPalette((const BITMAPINFO*)&dib, &count);
    EXPECT_EQ(c.count, count);
    if (c.count == 0) {
        EXPECT_EQ(nullptr, hpal);
        return;
    }
    ASSERT_NE(nullptr, hpal);
    std::vector<uint32_t> got = PaletteColours(hpal);
    ASSERT_EQ((size_t)c.count, got.size()) << "palette entries";
    for (int i = 0; i < c.count; i++)
        EXPECT_EQ(Rgb(i, i * 7 + 3, 255 - i), got[i]) << "palette entry " << i;
    Delete(hpal);
}

INSTANTIATE_TEST_SUITE_P(BitCounts, DibPalette, ::testing::ValuesIn(kPaletteCases), CaseName());
