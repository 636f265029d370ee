// The current drive and the walk over the CD-ROM drives, on the test prefix's
// drives: C: and Z: hard disks, D: and E: CD-ROMs.
#include "runtime/runtime.h"
#include "util/util.h"
#include "support/cases.h"
#include "support/paths.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static const char kPoison = (char)0xdd;

// Checks that `buffer` holds `text`, then zeros up to `zeroTo`, then poison;
// with a null `text`, that it is all poison.
static void ExpectBuffer(const char* buffer, size_t size, const char* text, size_t zeroTo)
{
    size_t i = 0;
    if (text) {
        for (; text[i]; i++)
            ASSERT_EQ(text[i], buffer[i]) << "byte " << i << " of \"" << text << "\"";
        for (; i < zeroTo; i++)
            ASSERT_EQ(0, buffer[i]) << "byte " << i << " should be a terminator";
    }
    for (; i < size; i++)
        ASSERT_EQ(kPoison, buffer[i]) << "byte " << i << " was written";
}

static std::string ReportedDirectory()
{
    char dir[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n && n < sizeof dir ? std::string(dir, n) : std::string();
}

struct DiskCase {
    const char* name;
    const char* dir;       // made current
    const char* reported;  // what the system then reports as current
    int disk;
    const char* root;      // null: none
};
PRINT_CASE_AS_NAME(DiskCase)

static const DiskCase kDiskCases[] = {
    {"lower-case drive", "c:\\windows", "c:\\windows", 2, "C:\\"},
    {"root of C", "C:\\", "C:\\", 2, "C:\\"},
    {"root of a CD-ROM", "d:\\", "d:\\", 3, "D:\\"},
    {"Unix root drive", "Z:\\tmp", "Z:\\tmp", 25, "Z:\\"},
    // Wine lets a folder of its Unix namespace be current and then reports it
    // without a drive letter; network paths cannot be made current here.
    {"no drive letter", "\\\\?\\unix\\tmp", "unix\\tmp", -1, nullptr},
};

class CurrentDisk : public ::testing::TestWithParam<DiskCase> {};

TEST_P(CurrentDisk, Number)
{
    const DiskCase& c = GetParam();
    CurrentDirectory cd(c.dir);
    ASSERT_EQ(c.reported, ReportedDirectory()) << "precondition: current directory";

    EXPECT_EQ(c.disk, getdisk());
}

TEST_P(CurrentDisk, Root)
{
    const DiskCase& c = GetParam();
    CurrentDirectory cd(c.dir);
    ASSERT_EQ(c.reported, ReportedDirectory()) << "precondition: current directory";
    char buffer[64];
    memset(buffer, kPoison, sizeof buffer);

    EXPECT_EQ(c.root ? 1 : 0, GetCurrentDrive(buffer, sizeof buffer));
    ExpectBuffer(buffer, sizeof buffer, c.root, c.root ? strlen(c.root) + 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Directories, CurrentDisk, ::testing::ValuesIn(kDiskCases), CaseName());

struct RootLengthCase {
    const char* name;
    int length;
    int result;
    const char* root;  // null: untouched
};
PRINT_CASE_AS_NAME(RootLengthCase)

static const RootLengthCase kRootLengthCases[] = {
    {"negative", -1, 0, nullptr},
    {"zero", 0, 0, nullptr},
    {"three", 3, 0, nullptr},
    {"four", 4, 1, "C:\\"},
    {"five", 5, 1, "C:\\"},
};

class CurrentRootLength : public ::testing::TestWithParam<RootLengthCase> {};

TEST_P(CurrentRootLength, NeedsRoomForTheWholeRoot)
{
    const RootLengthCase& c = GetParam();
    CurrentDirectory cd("C:\\");
    char buffer[64];
    memset(buffer, kPoison, sizeof buffer);

    EXPECT_EQ(c.result, GetCurrentDrive(buffer, c.length));
    ExpectBuffer(buffer, sizeof buffer, c.root, c.root ? strlen(c.root) + 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CurrentRootLength, ::testing::ValuesIn(kRootLengthCases),
                         CaseName());

// The logical drives in the system's order.
static std::vector<std::string> LogicalDrives()
{
    char list[1024];
    DWORD n = GetLogicalDriveStringsA(sizeof list, list);
    std::vector<std::string> drives;
    if (n && n < sizeof list)
        for (const char* p = list; *p; p += strlen(p) + 1)
            drives.push_back(p);
    return drives;
}

// Where D: and E: are in the drive list; fails unless they are its only
// CD-ROM drives.
struct CdromLayout {
    int d = -1, e = -1, count = 0;
};

static void GetCdromLayout(CdromLayout* layout)
{
    std::vector<std::string> drives = LogicalDrives();
    ASSERT_FALSE(drives.empty()) << "precondition: no logical drives";
    layout->count = (int)drives.size();
    for (int i = 0; i < layout->count; i++) {
        const std::string& root = drives[i];
        bool cdrom = GetDriveTypeA(root.c_str()) == DRIVE_CDROM;
        if (root == "D:\\" || root == "E:\\")
            ASSERT_TRUE(cdrom) << "precondition: " << root << " is not a CD-ROM drive";
        else
            ASSERT_FALSE(cdrom) << "precondition: " << root << " is a CD-ROM drive";
        if (root == "D:\\")
            layout->d = i;
        if (root == "E:\\")
            layout->e = i;
    }
    ASSERT_NE(-1, layout->d) << "precondition: no drive D:";
    ASSERT_NE(-1, layout->e) << "precondition: no drive E:";
    ASSERT_LT(layout->d, layout->e) << "precondition: E: is listed before D:";
}

// Where the walk starts from.
enum class From { Start, FarBelow, EachBelowD, D, E, LastDrive, PastTheEnd };
enum class Gives { D, E, None };

struct WalkCase {
    const char* name;
    From from;
    Gives gives;
};
PRINT_CASE_AS_NAME(WalkCase)

static const WalkCase kWalkCases[] = {
    {"from the start", From::Start, Gives::D},
    {"from far below the start", From::FarBelow, Gives::D},
    {"from each drive before D", From::EachBelowD, Gives::D},
    {"from D", From::D, Gives::E},
    {"from E", From::E, Gives::None},
    {"from the last drive", From::LastDrive, Gives::None},
    {"from past the end", From::PastTheEnd, Gives::None},
};

static std::vector<int> StartIndexes(From from, const CdromLayout& l)
{
    switch (from) {
    case From::Start: return {-1};
    case From::FarBelow: return {-100};
    case From::EachBelowD: {
        std::vector<int> v;
        for (int i = 0; i < l.d; i++)
            v.push_back(i);
        return v;
    }
    case From::D: return {l.d};
    case From::E: return {l.e};
    case From::LastDrive: return {l.count - 1};
    case From::PastTheEnd: return {100};
    }
    return {};
}

class CdromWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(CdromWalk, FindsTheNextCdrom)
{
    const WalkCase& c = GetParam();
    CdromLayout layout;
    ASSERT_NO_FATAL_FAILURE(GetCdromLayout(&layout));
    std::vector<int> starts = StartIndexes(c.from, layout);
    ASSERT_FALSE(starts.empty()) << "precondition: no drive to start from";
    int index = c.gives == Gives::D ? layout.d : c.gives == Gives::E ? layout.e : -1;
    const char* root = c.gives == Gives::D ? "D:\\" : c.gives == Gives::E ? "E:\\" : nullptr;

    for (int start : starts) {
        SCOPED_TRACE("from index " + std::to_string(start));
        char buffer[64];
        memset(buffer, kPoison, sizeof buffer);
        EXPECT_EQ(index, GetCDROMDrive(buffer, 16, start));
        ExpectBuffer(buffer, sizeof buffer, root, 16);
    }
}

INSTANTIATE_TEST_SUITE_P(Starts, CdromWalk, ::testing::ValuesIn(kWalkCases), CaseName());

struct CdromLengthCase {
    const char* name;
    int length;
    const char* root;  // null: untouched
};
PRINT_CASE_AS_NAME(CdromLengthCase)

static const CdromLengthCase kCdromLengthCases[] = {
    {"negative", -1, nullptr},
    {"zero", 0, nullptr},
    {"one", 1, ""},
    {"two", 2, "D"},
    {"three", 3, "D:"},
    {"four", 4, "D:\\"},
    {"sixteen", 16, "D:\\"},
};

class CdromLength : public ::testing::TestWithParam<CdromLengthCase> {};

// The root is cut to fit and terminated; the rest of the given length is
// zeros, and nothing past it is written.
TEST_P(CdromLength, BoundsTheCopy)
{
    const CdromLengthCase& c = GetParam();
    CdromLayout layout;
    ASSERT_NO_FATAL_FAILURE(GetCdromLayout(&layout));
    char buffer[1024];
    memset(buffer, kPoison, sizeof buffer);

    EXPECT_EQ(layout.d, GetCDROMDrive(buffer, c.length, -1));
    ExpectBuffer(buffer, sizeof buffer, c.root, c.root ? c.length : 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CdromLength, ::testing::ValuesIn(kCdromLengthCases),
                         CaseName());

// Needs a session whose drives include no CD-ROM: tools/run_tests.sh makes
// one and sets AUTORUN_NO_CDROM=1 for this test alone.
TEST(WithoutCdrom, FindsNone)
{
    const char* flag = getenv("AUTORUN_NO_CDROM");
    if (!flag || strcmp(flag, "1") != 0)
        GTEST_SKIP() << "needs a session without CD-ROM drives and AUTORUN_NO_CDROM=1";
    std::vector<std::string> drives = LogicalDrives();
    ASSERT_FALSE(drives.empty()) << "precondition: no logical drives";
    for (const std::string& root : drives)
        ASSERT_NE((UINT)DRIVE_CDROM, GetDriveTypeA(root.c_str()))
            << "precondition: " << root << " is a CD-ROM drive";

    char buffer[64];
    memset(buffer, kPoison, sizeof buffer);
    memcpy(buffer, "X:\\", 4);
    EXPECT_EQ(-1, GetCDROMDrive(buffer, sizeof buffer, -1));
    EXPECT_STREQ("X:\\", buffer);
    ExpectBuffer(buffer + 4, sizeof buffer - 4, nullptr, 0);
}
