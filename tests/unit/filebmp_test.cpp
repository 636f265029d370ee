// Loading the splash picture and releasing it, in-process: the objects made,
// the boxes shown, and what is left afterwards.
#include "filebmp.h"
#include "image/bmp_builder.h"
#include "image/gdiobj.h"
#include "support/cases.h"
#include "support/desktop.h"
#include "support/paths.h"

static const HPALETTE kUntouched = (HPALETTE)(ULONG_PTR)0x1234;

TEST(SplashPicture, IsAPaletteAndABitmapUntilReleased)
{
    TempDir dir;
    std::string path = dir.WriteFile("splash.bmp", ValidBmp(8, 30, 20).Build());
    HPALETTE hPalette = kUntouched;
    HBITMAP hBitmap = NULL;

    ActionRun run = RunAnsweringBoxes([&] {
        hBitmap = LoadFileBitmap(&path[0], &hPalette);
        return 0;
    });

    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(OBJ_BITMAP, (int)GetObjectType(hBitmap));
    ASSERT_EQ(OBJ_PAL, (int)GetObjectType(hPalette));
    BITMAP bm;
    ASSERT_EQ((int)sizeof bm, GetObjectA(hBitmap, sizeof bm, &bm));
    EXPECT_EQ(30, bm.bmWidth);
    EXPECT_EQ(20, bm.bmHeight);
    EXPECT_EQ(256u, GetPaletteEntries(hPalette, 0, 0, NULL));
    // The bitmap's temporary palette is gone: two handles, one reference each.
    EXPECT_EQ(2, TGdiObject::RefRecords());
    EXPECT_EQ(1, TGdiObject::RefCount(hBitmap));
    EXPECT_EQ(1, TGdiObject::RefCount(hPalette));

    DeleteBitmap(hBitmap, hPalette);
    EXPECT_EQ(0u, GetObjectType(hBitmap));
    EXPECT_EQ(0u, GetObjectType(hPalette));
    EXPECT_EQ(0, TGdiObject::RefRecords());
}

struct RefusedCase {
    const char* name;
    const char* file;     // written as splash.bmp, or null
    bool hidden;
    const char* box;
};
PRINT_CASE_AS_NAME(RefusedCase)

static const RefusedCase kRefusedCases[] = {
    {"missing", nullptr, false, "Invalid File Name. Make sure file exists."},
    {"hidden", "bmp8", true, "Invalid File Name. Make sure file exists."},
    {"not a BMP", "text", false,
     "Invalid Bitmap File. Make sure that file is a 256 colour BMP file."},
    {"24 bits", "bmp24", false,
     "Invalid Bitmap File. Make sure that file is a 256 colour BMP file."},
};

class RefusedPicture : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedPicture, GivesOneBoxAndLeavesNothing)
{
    const RefusedCase& c = GetParam();
    TempDir dir;
    std::string path = dir.Path() + "\\splash.bmp";
    if (c.file) {
        std::string bytes = std::string(c.file) == "text" ? std::string("not a picture")
                            : std::string(c.file) == "bmp24" ? ValidBmp(24, 9, 9).Build()
                                                             : ValidBmp(8, 9, 9).Build();
        dir.WriteFile("splash.bmp", bytes);
        if (c.hidden)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    HPALETTE hPalette = kUntouched;
    HBITMAP hBitmap = (HBITMAP)1;

    ActionRun run = RunAnsweringBoxes([&] {
        hBitmap = LoadFileBitmap(&path[0], &hPalette);
        return 0;
    });

    ASSERT_TRUE(run.finished);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("Error", run.boxes[0].caption);
    EXPECT_EQ(c.box, run.boxes[0].text);
    EXPECT_EQ(NULL, hBitmap);
    EXPECT_EQ(kUntouched, hPalette);
    EXPECT_EQ(0, TGdiObject::RefRecords());
    // Releasing after a failed load passes the null handles on harmlessly.
    DeleteBitmap(NULL, NULL);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedPicture, ::testing::ValuesIn(kRefusedCases), CaseName());
