// The splash picture end to end: the file the launcher is given, what it
// reports about it, and the frame laid out around what it draws.
#include "e2e/driver.h"
#include "e2e/layout.h"
#include "image/bmp_builder.h"
#include "support/cases.h"
#include "support/paths.h"
#include "support/screen.h"

#include <psapi.h>

static const char kNoFile[] = "Invalid File Name. Make sure file exists.";
static const char kNoBitmap[] =
    "Invalid Bitmap File. Make sure that file is a 256 colour BMP file.";

enum class File { Picture, Missing, Hidden, Directory, NotBmp, TrueColour, Wildcard };

struct PictureCase {
    const char* name;
    File file;
    uint16_t bitCount;
    int width, height;  // of the picture; relative to the frame's interior when negative
    const char* box;    // the one box before the dialog, or null
};
PRINT_CASE_AS_NAME(PictureCase)

// Widths and heights below -1000 are the interior's size plus (value + 2000).
static int Size(int value, int interior)
{
    return value < -1000 ? interior + value + 2000 : value;
}

static const PictureCase kPictureCases[] = {
    {"8-bit picture smaller than the frame", File::Picture, 8, 20, 10, nullptr},
    {"4-bit picture", File::Picture, 4, 33, 17, nullptr},
    {"1-bit picture", File::Picture, 1, 40, 40, nullptr},
    {"larger than the frame", File::Picture, 8, -1950, -1950, nullptr},
    {"one pixel wider than the interior", File::Picture, 8, -1999, 10, nullptr},
    {"missing file", File::Missing, 8, 0, 0, kNoFile},
    {"hidden file", File::Hidden, 8, 0, 0, kNoFile},
    {"directory of that name", File::Directory, 8, 0, 0, kNoFile},
    {"not a BMP", File::NotBmp, 8, 0, 0, kNoBitmap},
    {"24-bit picture", File::TrueColour, 24, 8, 8, kNoBitmap},
    {"wildcard name", File::Wildcard, 8, 8, 8, kNoBitmap},
};

// The colour of pixel (x, y), counted from the top, of a 1-, 4- or 8-bit
// picture, as 0x00RRGGBB.
static DWORD PictureColour(const Bmp& bmp, int x, int y)
{
    int stride = (bmp.bitCount * bmp.width + 31) / 32 * 4;
    int bit = x * bmp.bitCount;
    BYTE stored = (BYTE)bmp.bits[(bmp.height - 1 - y) * stride + bit / 8];
    int index = (stored >> (8 - bmp.bitCount - bit % 8)) & ((1 << bmp.bitCount) - 1);
    const BYTE* entry = (const BYTE*)bmp.table.data() + 4 * index;
    return (DWORD)entry[2] << 16 | (DWORD)entry[1] << 8 | entry[0];
}

class Picture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Picture, IsShownInItsFrameOrReported)
{
    const PictureCase& c = GetParam();
    const RECT& before = Reference().frame;
    // The frame's border under a 3D-look dialog: a client edge.
    int edge = GetSystemMetrics(SM_CXEDGE);
    int interiorW = before.right - before.left - 2 * edge;
    int interiorH = before.bottom - before.top - 2 * edge;
    int w = Size(c.width, interiorW), h = Size(c.height, interiorH);

    TempDir dir;
    std::string name = "splash.bmp";
    Bmp bmp = ValidBmp(c.bitCount, w, h);
    switch (c.file) {
    case File::Picture:
    case File::TrueColour:
        dir.WriteFile(name, bmp.Build());
        break;
    case File::Missing:
        break;
    case File::Hidden:
        SetFileAttributesA(dir.WriteFile(name, ValidBmp(8, 8, 8).Build()).c_str(),
                           FILE_ATTRIBUTE_HIDDEN);
        break;
    case File::Directory:
        CreateDirectoryA((dir.Path() + "\\" + name).c_str(), NULL);
        break;
    case File::NotBmp:
        dir.WriteFile(name, "This is a text file, not a picture.\r\n");
        break;
    case File::Wildcard:
        dir.WriteFile(name, ValidBmp(8, 8, 8).Build());
        name = "spl*.bmp";
        break;
    }

    Launcher launcher;
    ASSERT_TRUE(launcher.Start("-S" + name + " -C(Picture)", dir.Path()));
    HWND hwnd = launcher.WaitForWindow();
    ASSERT_TRUE(hwnd);
    ASSERT_TRUE(launcher.WaitForCaption(hwnd, "Picture"));

    if (c.box) {
        ASSERT_EQ(1u, launcher.StartBoxes().size());
        EXPECT_EQ("Error", launcher.StartBoxes()[0].caption);
        EXPECT_EQ(c.box, launcher.StartBoxes()[0].text);
        w = h = 0;
    } else {
        EXPECT_TRUE(launcher.StartBoxes().empty()) << launcher.StartBoxes()[0].text;
    }
    // The drawn area: centred where the picture is smaller than the interior,
    // from its corner and cut to the interior where it is larger.
    int offX = (interiorW - w) / 2, offY = (interiorH - h) / 2;
    int drawnW = offX < 0 ? interiorW : w, drawnH = offY < 0 ? interiorH : h;
    offX = offX < 0 ? 0 : offX;
    offY = offY < 0 ? 0 : offY;
    int x = before.left + edge + offX - edge, y = before.top + edge + offY - edge;
    EXPECT_EQ((RECT{x, y, x + drawnW + 2 * edge, y + drawnH + 2 * edge}),
              ChildRect(GetDlgItem(hwnd, 45)))
        << "picture " << w << " x " << h << " in " << interiorW << " x " << interiorH;

    // On the screen, the drawn area shows the picture's top-left part.
    if (c.file == File::Picture) {
        POINT origin = {0, 0};
        ClientToScreen(GetDlgItem(hwnd, 45), &origin);
        Screenshot shot;
        ASSERT_TRUE(shot.Take()) << shot.Error();
        int wrong = 0;
        for (int py = 0; py < drawnH; py++)
            for (int px = 0; px < drawnW; px++)
                if (shot.At(origin.x + px, origin.y + py) != PictureColour(bmp, px, py) && !wrong++)
                    ADD_FAILURE() << "pixel " << px << "," << py << " is 0x" << std::hex
                                  << shot.At(origin.x + px, origin.y + py) << ", not 0x"
                                  << PictureColour(bmp, px, py);
        EXPECT_EQ(0, wrong) << "wrong pixels of " << drawnW * drawnH;
    }

    ClickWindow(GetDlgItem(hwnd, 43));
    EXPECT_EQ(0u, launcher.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Files, Picture, ::testing::ValuesIn(kPictureCases), CaseName());

// The most memory the launcher has held so far, in bytes: its peak working
// set (Wine keeps no peak of the committed memory, and its allocator touches
// a large block's pages).
static SIZE_T PeakMemory(const Launcher& launcher)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    EXPECT_TRUE(GetProcessMemoryInfo(launcher.Process(), &counters, sizeof counters));
    return counters.PeakWorkingSetSize;
}

// The launcher's peak memory with the picture `bytes` (none when empty),
// once it shows its dialog.
static SIZE_T PeakWith(const std::string& bytes, size_t* boxes)
{
    TempDir dir;
    if (!bytes.empty())
        dir.WriteFile("splash.bmp", bytes);
    Launcher launcher;
    EXPECT_TRUE(launcher.Start("", dir.Path()));
    HWND hwnd = launcher.WaitForWindow();
    EXPECT_TRUE(hwnd);
    SIZE_T peak = PeakMemory(launcher);
    *boxes = launcher.StartBoxes().size();
    ClickWindow(GetDlgItem(hwnd, 43));
    EXPECT_EQ(0u, launcher.WaitForExit());
    return peak;
}

// A file that claims far more than it holds is refused before anything is
// allocated for the claim: the launcher's peak memory is that of a run with
// no picture at all. (Wine's own libraries make up most of either figure.)
TEST(HostilePicture, CostsNoMoreMemoryThanItsSize)
{
    size_t boxes;
    SIZE_T none = PeakWith("", &boxes);
    ASSERT_EQ(1u, boxes);
    // The last claim is one the platform could grant: 100 MB of pixels.
    const std::string files[] = {Colors300M().Build(), Huge(3000000, 2000000, 24).Build(),
                                 Huge(10000, 10000, 8).Build()};
    for (const std::string& file : files) {
        SIZE_T peak = PeakWith(file, &boxes);
        EXPECT_EQ(1u, boxes) << "box 208";
        EXPECT_LT((long long)peak - (long long)none, 1 << 20)
            << "a " << file.size() << "-byte file cost " << (peak - none) << " bytes more than none";
    }
}
