// Palettes and device bitmaps made from DIBs on the real GDI, and the
// registry of reference counts that owns their handles.
#include "image/dc.h"
#include "image/gdiobj.h"
#include "image/bmp_builder.h"
#include "support/cases.h"

#include <memory>

// A DIB read from the bytes of a BMP file.
static std::unique_ptr<DibProbe> DibOf(const std::string& file)
{
    std::unique_ptr<DibProbe> dib(new DibProbe);
    MemoryIn in(file);
    EXPECT_TRUE(dib->Read(in, true)) << "the test's BMP was not read";
    return dib;
}

// The colour entries of a file's table as the file stores them (info form).
static std::vector<RGBQUAD> FileColors(const Bmp& bmp)
{
    std::vector<RGBQUAD> colors(bmp.table.size() / 4);
    memcpy(colors.data(), bmp.table.data(), colors.size() * 4);
    return colors;
}

struct PaletteCase {
    const char* name;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t colors;  // 0: the full table of the bit count
    UINT flags;
    int entries;
};
PRINT_CASE_AS_NAME(PaletteCase)

static const PaletteCase kPaletteCases[] = {
    {"1 bit", 1, BI_RGB, 0, 0, 2},
    {"4 bits", 4, BI_RGB, 0, 0, 16},
    {"8 bits", 8, BI_RGB, 0, 0, 256},
    {"8 bits with flags 4", 8, BI_RGB, 0, PC_NOCOLLAPSE, 256},
    {"300 colours", 8, BI_RGB, 300, 0, 300},
    {"table after the masks", 16, BI_BITFIELDS, 16, 0, 16},
};

class PaletteFromDib : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteFromDib, HoldsTheColourTable)
{
    const PaletteCase& c = GetParam();
    Bmp bmp = ValidBmp(c.bitCount, 5, 3, false, c.compression);
    if (c.colors)
        bmp.Colors(c.colors);
    auto dib = DibOf(bmp.Build());
    std::vector<RGBQUAD> colors = FileColors(bmp);
    ASSERT_EQ((size_t)c.entries, colors.size());

    TPalette palette(*dib, c.flags);

    HPALETTE h = palette.GetHandle();
    EXPECT_EQ(1, TGdiObject::RefCount(h));
    ASSERT_EQ((UINT)c.entries, GetPaletteEntries(h, 0, 0, NULL));
    std::vector<PALETTEENTRY> entries(c.entries);
    GetPaletteEntries(h, 0, c.entries, entries.data());
    for (int i = 0; i < c.entries; i++) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(colors[i].rgbRed, entries[i].peRed);
        EXPECT_EQ(colors[i].rgbGreen, entries[i].peGreen);
        EXPECT_EQ(colors[i].rgbBlue, entries[i].peBlue);
        EXPECT_EQ(c.flags, entries[i].peFlags);
        if (HasFailure())
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, PaletteFromDib, ::testing::ValuesIn(kPaletteCases), CaseName());

// The pixels of a bitmap in 32-bit RGB, rows from the bottom.
static std::vector<RGBQUAD> Pixels(HBITMAP h, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<RGBQUAD> pixels(width * height);
    HDC dc = GetDC(NULL);
    int rows = GetDIBits(dc, h, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(NULL, dc);
    EXPECT_EQ(height, rows);
    return pixels;
}

struct PixelCase {
    const char* name;
    uint16_t bitCount;
    int width, height;
};
PRINT_CASE_AS_NAME(PixelCase)

static const PixelCase kPixelCases[] = {
    {"1 bit", 1, 19, 3},
    {"4 bits", 4, 7, 5},
    {"8 bits", 8, 13, 6},
};

class BitmapFromDib : public ::testing::TestWithParam<PixelCase> {};

// On a 24-bit screen the bitmap holds exactly the colours the file's
// indices name.
TEST_P(BitmapFromDib, HoldsTheFilesPixels)
{
    const PixelCase& c = GetParam();
    Bmp bmp = ValidBmp(c.bitCount, c.width, c.height);
    auto dib = DibOf(bmp.Build());
    std::vector<RGBQUAD> colors = FileColors(bmp);
    HBITMAP h;
    {
        TBitmap bitmap(*dib, nullptr);
        h = bitmap.GetHandle();
        EXPECT_EQ(OBJ_BITMAP, (int)GetObjectType(h));
        std::vector<RGBQUAD> pixels = Pixels(h, c.width, c.height);
        int stride = (c.bitCount * c.width + 31) / 32 * 4;
        for (int y = 0; y < c.height && !HasFailure(); y++)
            for (int x = 0; x < c.width && !HasFailure(); x++) {
                int bit = x * c.bitCount;
                BYTE stored = (BYTE)bmp.bits[y * stride + bit / 8];
                int index = (stored >> (8 - c.bitCount - bit % 8)) & ((1 << c.bitCount) - 1);
                const RGBQUAD& got = pixels[y * c.width + x];
                EXPECT_TRUE(got.rgbRed == colors[index].rgbRed && got.rgbGreen == colors[index].rgbGreen
                            && got.rgbBlue == colors[index].rgbBlue)
                    << "pixel " << x << "," << y << " index " << index;
            }
    }
    // Deleting the object deletes its bitmap at once.
    EXPECT_EQ(0u, GetObjectType(h));
    EXPECT_EQ(-1, TGdiObject::RefCount(h));
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapFromDib, ::testing::ValuesIn(kPixelCases), CaseName());

TEST(BitmapFromDib, LeavesOnlyItselfRegisteredAndTheScreenAsItWas)
{
    auto dib = DibOf(ValidBmp(8, 8, 8).Build());
    ASSERT_EQ(0, TGdiObject::RefRecords());
    {
        TBitmap bitmap(*dib, nullptr);
        // The temporary palette is gone; the bitmap alone holds a record.
        EXPECT_EQ(1, TGdiObject::RefRecords());
        EXPECT_EQ(1, TGdiObject::RefCount(bitmap.GetHandle()));
        HDC screen = GetWindowDC(NULL);
        EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), GetCurrentObject(screen, OBJ_PAL));
        ReleaseDC(NULL, screen);
        {
            TPalette palette(*dib, 0);
            EXPECT_EQ(2, TGdiObject::RefRecords());
        }
    }
    // The registry's table goes with its last record.
    EXPECT_EQ(0, TGdiObject::RefRecords());
}

TEST(ScreenDC, HoldsAReferenceWhileAPaletteIsSelected)
{
    auto dib = DibOf(ValidBmp(8, 2, 2).Build());
    TPalette first(*dib, 0), second(*dib, 0);
    HPALETTE initial;
    {
        TScreenDC dc;
        initial = (HPALETTE)GetCurrentObject(dc, OBJ_PAL);
        dc.SelectObject(first, false);
        EXPECT_EQ(first.GetHandle(), GetCurrentObject(dc, OBJ_PAL));
        EXPECT_EQ(2, TGdiObject::RefCount(first.GetHandle()));
        // Selecting another gives the first its selection reference back.
        dc.SelectObject(second, false);
        EXPECT_EQ(1, TGdiObject::RefCount(first.GetHandle()));
        EXPECT_EQ(2, TGdiObject::RefCount(second.GetHandle()));
    }
    EXPECT_EQ(1, TGdiObject::RefCount(second.GetHandle()));
    HDC screen = GetWindowDC(NULL);
    EXPECT_EQ(initial, GetCurrentObject(screen, OBJ_PAL));
    ReleaseDC(NULL, screen);
}

TEST(GdiFromDib, OutlivesTheDib)
{
    Bmp bmp = ValidBmp(8, 4, 4);
    std::unique_ptr<TPalette> palette;
    std::unique_ptr<TBitmap> bitmap;
    {
        auto dib = DibOf(bmp.Build());
        palette.reset(new TPalette(*dib, 0));
        bitmap.reset(new TBitmap(*dib, palette.get()));
    }
    EXPECT_EQ(OBJ_PAL, (int)GetObjectType(palette->GetHandle()));
    EXPECT_EQ(OBJ_BITMAP, (int)GetObjectType(bitmap->GetHandle()));
    PALETTEENTRY entry;
    ASSERT_EQ(1u, GetPaletteEntries(palette->GetHandle(), 255, 1, &entry));
    EXPECT_EQ((BYTE)bmp.table[255 * 4 + 2], entry.peRed);
    std::vector<RGBQUAD> pixels = Pixels(bitmap->GetHandle(), 4, 4);
    BYTE index = (BYTE)bmp.bits[0];
    EXPECT_EQ((BYTE)bmp.table[index * 4], pixels[0].rgbBlue);
}

struct NoTableCase {
    const char* name;
    bool bitmap;
};
PRINT_CASE_AS_NAME(NoTableCase)

static const NoTableCase kNoTableCases[] = {{"palette", false}, {"bitmap", true}};

class WithoutColourTable : public ::testing::TestWithParam<NoTableCase> {};

TEST_P(WithoutColourTable, RaisesAndLeavesNothingRegistered)
{
    auto dib = DibOf(ValidBmp(24, 3, 3).Build());
    ASSERT_EQ(0, dib->NumColors());
    try {
        if (GetParam().bitmap)
            TBitmap bitmap(*dib, nullptr);
        else
            TPalette palette(*dib, 0);
        ADD_FAILURE() << "nothing was raised";
    } catch (const TXGdi& x) {
        EXPECT_EQ(32739u, x.ResId);
        EXPECT_STREQ("Exception #32739 (no message available).", x.Text());
    }
    EXPECT_EQ(0, TGdiObject::RefRecords());
}

INSTANTIATE_TEST_SUITE_P(Objects, WithoutColourTable, ::testing::ValuesIn(kNoTableCases),
                         CaseName());

TEST(GdiRegistry, GrowsAndDeletesOnlyWhatItHolds)
{
    LOGPALETTE one = {0x300, 1, {{1, 2, 3, 0}}};
    std::vector<HPALETTE> handles;
    for (int i = 0; i < 100; i++) {
        handles.push_back(CreatePalette(&one));
        ASSERT_TRUE(TGdiObject::RefAdd(handles.back(), TGdiObject::Palette));
    }
    EXPECT_EQ(100, TGdiObject::RefRecords());
    for (HPALETTE h : handles)
        ASSERT_EQ(1, TGdiObject::RefCount(h));
    for (HPALETTE h : handles) {
        TGdiObject::RefDec(h, true);
        EXPECT_EQ(0u, GetObjectType(h));
    }
    EXPECT_EQ(0, TGdiObject::RefRecords());

    // A handle that was never registered is left alone.
    HPALETTE stranger = CreatePalette(&one);
    TGdiObject::RefDec(stranger, true);
    EXPECT_EQ(OBJ_PAL, (int)GetObjectType(stranger));
    EXPECT_EQ(-1, TGdiObject::RefCount(stranger));
    DeleteObject(stranger);
}

// On a palette device (an 8-bit screen, in a pass of its own), the
// picture's palette is selected and realized when its bitmap is made. The
// colours such a screen gives back are not compared: they are not faithful.
TEST(PaletteDevice, SelectsAndRealizesThePicturesPalette)
{
    if (!getenv("AUTORUN_PALETTE_DEVICE"))
        GTEST_SKIP() << "runs only on the 8-bit screen pass";
    HDC screen = GetDC(NULL);
    bool paletted = GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE;
    ReleaseDC(NULL, screen);
    ASSERT_TRUE(paletted) << "precondition: the screen is not a palette device";

    Bmp bmp = ValidBmp(8, 16, 16);
    auto dib = DibOf(bmp.Build());
    TPalette palette(*dib, 0);
    {
        TScreenDC dc;
        dc.SelectObject(palette, false);
        EXPECT_EQ(palette.GetHandle(), GetCurrentObject(dc, OBJ_PAL));
        EXPECT_GT(RealizePalette(dc), 0u) << "nothing of the palette was realized";
    }
    TBitmap bitmap(*dib, &palette);
    EXPECT_EQ(OBJ_BITMAP, (int)GetObjectType(bitmap.GetHandle()));
    EXPECT_EQ(1, TGdiObject::RefCount(palette.GetHandle()));
    // The palette, the bitmap and this one: its temporary palette is gone.
    TBitmap own(*dib, nullptr);
    EXPECT_EQ(3, TGdiObject::RefRecords());
}
