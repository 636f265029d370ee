// The DIB reader over files built field by field: what it accepts and the
// block it lays out, byte for byte; what it refuses, and that a refusal
// costs no memory; real files through TDib(name); the errors it raises.
#include "bmp_builder.h"
#include "image/file.h"
#include "support/cases.h"
#include "support/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Le32(uint32_t v)
{
    std::string s(4, '\0');
    memcpy(&s[0], &v, 4);
    return s;
}

std::string With16(std::string s, size_t at, uint16_t v)
{
    memcpy(&s[at], &v, 2);
    return s;
}

std::string With32(std::string s, size_t at, uint32_t v)
{
    memcpy(&s[at], &v, 4);
    return s;
}

std::string Keep(const std::string& s, size_t n)
{
    return s.substr(0, n);
}

// The block a reader must make of b: the normalised header with the given
// colour count and image size, the masks, the table widened to 4-byte
// entries, and the first sizeImage bytes of the bits.
std::string ExpectedBlock(const Bmp& b, uint32_t numColors, uint32_t sizeImage)
{
    std::string s = Le32(40);
    s += Le32(b.core ? (uint16_t)b.width : (uint32_t)b.width);
    s += Le32(b.core ? (uint16_t)b.height : (uint32_t)b.height);
    s += Le32(b.planes | (uint32_t)b.bitCount << 16);
    s += Le32(b.core ? 0 : b.compression);
    s += Le32(sizeImage);
    s += Le32(b.core ? 0 : (uint32_t)b.xPelsPerMeter);
    s += Le32(b.core ? 0 : (uint32_t)b.yPelsPerMeter);
    s += Le32(numColors);
    s += Le32(b.core ? 0 : b.clrImportant);
    for (uint32_t m : b.masks)
        s += Le32(m);
    size_t entry = b.core ? 3 : 4;
    for (size_t i = 0; i < numColors; i++)
        s += b.core ? b.table.substr(i * 3, 3) + '\0' : b.table.substr(i * entry, entry);
    return s + b.bits.substr(0, sizeImage);
}

std::string Hex(unsigned v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%02x", v);
    return buf;
}

// The block of dib against expected: size, lock, pointers into it, bytes.
void ExpectBlock(const DibProbe& dib, const std::string& expected, bool masks, long numColors)
{
    ASSERT_TRUE(dib.IsOK());
    const BYTE* block = (const BYTE*)dib.GetInfo();
    HANDLE h = dib.Block();
    EXPECT_EQ(h, GlobalHandle(block)) << "Info is not the start of the block";
    EXPECT_EQ(1u, GlobalFlags(h) & GMEM_LOCKCOUNT) << "lock count";
    ASSERT_EQ(expected.size(), GlobalSize(h)) << "block size";
    EXPECT_EQ(expected.size(), TDib::BlockStats().LastSize);
    EXPECT_TRUE(dib.Owned());
    EXPECT_FALSE(dib.ResHandle());
    EXPECT_EQ(0, dib.Usage());
    EXPECT_EQ(numColors, dib.NumColors());
    EXPECT_EQ((const void*)block, (const void*)dib.GetInfoHeader());
    EXPECT_EQ(masks ? (const void*)(block + 40) : nullptr, (const void*)dib.GetMask());
    const BYTE* table = block + 40 + (masks ? 12 : 0);
    EXPECT_EQ(numColors ? (const void*)table : nullptr, (const void*)dib.GetColors());
    EXPECT_EQ((const void*)(table + 4 * numColors), dib.GetBits());
    for (size_t i = 0; i < expected.size(); i++)
        ASSERT_EQ(Hex((BYTE)expected[i]), Hex(block[i])) << "block byte " << i << " of "
                                                         << expected.size();
}

struct Baseline {
    unsigned long requests = TDib::BlockStats().Requests;
    long held = TDib::BlockStats().Held;
};

// ---- Colour counts ----------------------------------------------------------

struct ColorsCase {
    const char* name;
    uint16 bitCount;
    long colors;
};
PRINT_CASE_AS_NAME(ColorsCase)

const ColorsCase kColorsCases[] = {
    {"1 bit", 1, 2},     {"4 bits", 4, 16},    {"8 bits", 8, 256},      {"16 bits", 16, 0},
    {"24 bits", 24, 0},  {"32 bits", 32, 0},   {"0 bits", 0, -1},       {"2 bits", 2, -1},
    {"3 bits", 3, -1},   {"15 bits", 15, -1},  {"64 bits", 64, -1},     {"65535 bits", 65535, -1},
};

class ColorCount : public ::testing::TestWithParam<ColorsCase> {};

TEST_P(ColorCount, FollowsTheBitCount)
{
    EXPECT_EQ(GetParam().colors, TDib::NColors(GetParam().bitCount));
}

INSTANTIATE_TEST_SUITE_P(BitCounts, ColorCount, ::testing::ValuesIn(kColorsCases), CaseName());

// ---- Accepted files ---------------------------------------------------------

struct ReadCase {
    const char* name;
    Bmp (*file)();
    long numColors;      // NumClrs, and biClrUsed in the block
    uint32_t sizeImage;  // biSizeImage in the block
    size_t blockSize;
    long skip;           // the one skip before the bits; 0: none
};
PRINT_CASE_AS_NAME(ReadCase)

const ReadCase kReadCases[] = {
    {"8 bit clrUsed 0 gives 256 entries", [] { return ValidBmp(8, 3, 2); }, 256, 8, 1072, 0},
    {"8 bit clrUsed 300 reads 300", [] { return ValidBmp(8, 3, 2).Colors(300); }, 300, 8, 1248, 0},
    {"8 bit clrUsed 2", [] { return ValidBmp(8, 3, 2).Colors(2); }, 2, 8, 56, 0},
    {"clrUsed 16 and offBits 1078 skip 960",
     [] { return ValidBmp(8, 3, 2).Colors(16).Gap(960).OffBits(1078); }, 16, 8, 112, 960},
    {"offBits 0 reads the bits after the table", [] { return ValidBmp(8, 3, 2).OffBits(0); },
     256, 8, 1072, 0},
    {"offBits at the table end", [] { return ValidBmp(8, 3, 2).OffBits(1078); }, 256, 8, 1072, 0},
    {"offBits into the header", [] { return ValidBmp(8, 3, 2).OffBits(30); }, 256, 8, 1072, 0},
    {"offBits into the table", [] { return ValidBmp(8, 3, 2).OffBits(566); }, 256, 8, 1072, 0},
    {"offBits below 14", [] { return ValidBmp(8, 3, 2).OffBits(5); }, 256, 8, 1072, 0},
    {"stored size wrong 3 px 8 bit stride 4", [] { return ValidBmp(8, 3, 1).Stored(999); }, 256,
     4, 1068, 0},
    {"33 px 1 bit stride 8", [] { return ValidBmp(1, 33, 1); }, 2, 8, 56, 0},
    {"1 px 24 bit stride 4", [] { return ValidBmp(24, 1, 1); }, 0, 4, 44, 0},
    {"4 bit 5 x 3", [] { return ValidBmp(4, 5, 3); }, 16, 12, 116, 0},
    {"32 bit no table", [] { return ValidBmp(32, 2, 2); }, 0, 16, 56, 0},
    {"16 bit bit fields masks then bits", [] { return ValidBmp(16, 2, 2, false, 3); }, 0, 8, 60,
     0},
    {"32 bit bit fields with 2 colours after the masks",
     [] { return ValidBmp(32, 1, 1, false, 3).Colors(2); }, 2, 4, 64, 0},
    {"8 bit bit fields", [] { return ValidBmp(8, 2, 1, false, 3); }, 256, 4, 1080, 0},
    {"RLE8 with size 0 reads no bits", [] { return ValidBmp(8, 3, 2, false, 1).Bits(0); }, 256,
     0, 1064, 0},
    {"RLE4 keeps its stored size", [] { return ValidBmp(4, 5, 3, false, 2).Stored(10).Bits(10); },
     16, 10, 114, 0},
    {"compression 7 keeps its stored size",
     [] { return ValidBmp(24, 2, 2, false, 7).Stored(5).Bits(5); }, 0, 5, 45, 0},
    {"core 8 bit widened", [] { return ValidBmp(8, 3, 2, true); }, 256, 8, 1072, 0},
    {"core 1 bit bcWidth 40000", [] { return ValidBmp(1, 40000, 1, true); }, 2, 5000, 5048, 0},
    {"core 4 bit gap before the bits", [] { return ValidBmp(4, 3, 3, true).Gap(10); }, 16, 12,
     116, 10},
    {"core 24 bit", [] { return ValidBmp(24, 2, 2, true); }, 0, 16, 56, 0},
    {"bytes after the bits and a wrong bfSize",
     [] {
         Bmp b = ValidBmp(8, 3, 2).Trailer(100);
         b.fileSize = 1;
         return b;
     },
     256, 8, 1072, 0},
    {"without file header", [] { return ValidBmp(4, 5, 3).NoFileHeader(); }, 16, 12, 116, 0},
    {"core without file header", [] { return ValidBmp(1, 9, 2, true).NoFileHeader(); }, 2, 8, 56,
     0},
    {"bit count 2 with a colour count", [] { return ValidBmp(2, 5, 2).Colors(4); }, 4, 8, 64, 0},
    {"resolution and clrImportant copied",
     [] {
         Bmp b = ValidBmp(8, 3, 2);
         b.xPelsPerMeter = -5;
         b.yPelsPerMeter = 0x12345678;
         b.clrImportant = 17;
         return b;
     },
     256, 8, 1072, 0},
    {"8 bit 640 x 480", [] { return ValidBmp(8, 640, 480); }, 256, 307200, 308264, 0},
};

class Accepted : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Accepted, LaysOutTheBlock)
{
    const ReadCase& c = GetParam();
    Bmp b = c.file();
    std::string bytes = b.Build();
    Baseline before;
    {
        MemoryIn in(bytes);
        DibProbe dib;

        ASSERT_TRUE(dib.Read(in, b.fileHeader));

        ExpectBlock(dib, ExpectedBlock(b, (uint32_t)c.numColors, c.sizeImage), !b.masks.empty(),
                    c.numColors);
        EXPECT_EQ(c.blockSize, GlobalSize(dib.Block()));
        EXPECT_EQ(before.requests + 1, TDib::BlockStats().Requests);
        EXPECT_EQ(before.held + 1, TDib::BlockStats().Held);
        EXPECT_EQ(b.trailer.size(), in.Remaining()) << "stopped short of, or read past, the bits";
        EXPECT_EQ(c.skip ? std::vector<long>{c.skip} : std::vector<long>{}, in.skips);
    }
    EXPECT_EQ(before.held, TDib::BlockStats().Held) << "the destructor did not free the block";
}

INSTANTIATE_TEST_SUITE_P(Files, Accepted, ::testing::ValuesIn(kReadCases), CaseName());

// ---- Refused files ----------------------------------------------------------

std::string V8() { return ValidBmp(8, 3, 2).Build(); }
std::string Core8() { return ValidBmp(8, 3, 2, true).Build(); }
std::string Rle8() { return ValidBmp(8, 3, 2, false, 1).Build(); }

Bmp HeaderSize(Bmp b, uint32_t size)
{
    b.headerSize = size;
    return b;
}

struct RefuseCase {
    const char* name;
    std::string (*bytes)();
};
PRINT_CASE_AS_NAME(RefuseCase)

const RefuseCase kRefuseCases[] = {
    {"empty", [] { return std::string(); }},
    {"file header 13 bytes", [] { return Keep(V8(), 13); }},
    {"bfType MB", [] { return With16(V8(), 0, 0x424D); }},
    {"no header size", [] { return Keep(V8(), 14); }},
    {"header size cut", [] { return Keep(V8(), 17); }},
    {"header size 0", [] { return With32(V8(), 14, 0); }},
    {"header size 39", [] { return With32(V8(), 14, 39); }},
    {"header size 41", [] { return With32(V8(), 14, 41); }},
    {"header of 108 bytes", [] { return HeaderSize(ValidBmp(8, 3, 2), 108).Build(); }},
    {"header of 124 bytes", [] { return HeaderSize(ValidBmp(24, 3, 2), 124).Build(); }},
    {"info body cut", [] { return Keep(V8(), 14 + 39); }},
    {"core body cut", [] { return Keep(Core8(), 14 + 11); }},
    {"planes 0", [] { return With16(V8(), 26, 0); }},
    {"planes 2", [] { return With16(V8(), 26, 2); }},
    {"core planes 0", [] { return With16(Core8(), 22, 0); }},
    {"bit count 0", [] { return With16(V8(), 28, 0); }},
    {"bit count 2", [] { return With16(V8(), 28, 2); }},
    {"bit count 48", [] { return With16(V8(), 28, 48); }},
    {"core bit count 3", [] { return With16(Core8(), 24, 3); }},
    {"masks cut", [] { return Keep(ValidBmp(16, 2, 2, false, 3).Build(), 14 + 40 + 8); }},
    {"table cut", [] { return Keep(V8(), 14 + 40 + 1023); }},
    {"core table cut", [] { return Keep(Core8(), 14 + 12 + 767); }},
    {"bits one byte short", [] { return ValidBmp(8, 3, 2).Cut(1).Build(); }},
    {"core bits one byte short", [] { return ValidBmp(4, 7, 3, true).Cut(1).Build(); }},
    {"RLE size one past the end", [] { return ValidBmp(8, 3, 2, false, 1).Stored(9).Build(); }},
    {"offBits at the end of the file",
     [] { return ValidBmp(8, 3, 2).OffBits(1087).Trailer(1).Build(); }},
    {"offBits 0xffffffff", [] { return ValidBmp(8, 3, 2).OffBits(0xffffffff).Build(); }},
    {"width 0", [] { return With32(V8(), 18, 0); }},
    {"height 0", [] { return With32(V8(), 22, 0); }},
    {"width -1", [] { return With32(V8(), 18, (uint32_t)-1); }},
    {"width INT_MIN", [] { return With32(V8(), 18, 0x80000000); }},
    {"height -2 top-down", [] { return With32(V8(), 22, (uint32_t)-2); }},
    {"RLE width -1", [] { return With32(Rle8(), 18, (uint32_t)-1); }},
    {"RLE height -1 top-down", [] { return With32(Rle8(), 22, (uint32_t)-1); }},
    {"core width 0", [] { return With16(Core8(), 18, 0); }},
    {"core height 0", [] { return With16(Core8(), 20, 0); }},
    {"300 million colours in 9 KB", [] { return Colors300M().Build(); }},
    {"3000000 x 2000000 pixels in 24 KB", [] { return Huge(3000000, 2000000, 24).Build(); }},
    {"row of 2^31 bits", [] { return Huge(0x4000000, 1, 32).Build(); }},
    {"65536 x 65536 at 32 bits", [] { return Huge(65536, 65536, 32).Build(); }},
    {"2000 x 2000 at 24 bits in 24 KB", [] { return Huge(2000, 2000, 24).Build(); }},
    {"core 65535 x 65535 at 24 bits", [] {
         Bmp b = Huge(65535, 65535, 24);
         b.core = true;
         return b.Build();
     }},
    {"clrUsed 0xffffffff", [] { return With32(V8(), 46, 0xffffffff); }},
    {"clrUsed 0x40000000", [] { return With32(V8(), 46, 0x40000000); }},
    {"RLE size 0xffffffff", [] { return ValidBmp(8, 3, 2, false, 1).Stored(0xffffffff).Build(); }},
    {"RLE size 0x7fffffff", [] { return ValidBmp(8, 3, 2, false, 2).Stored(0x7fffffff).Build(); }},
};

class Refused : public ::testing::TestWithParam<RefuseCase> {};

TEST_P(Refused, WithoutAskingForABlock)
{
    std::string bytes = GetParam().bytes();
    ASSERT_LT(bytes.size(), 32u * 1024) << "the case's file is not small";
    MemoryIn in(bytes);
    DibProbe dib;
    Baseline before;

    EXPECT_FALSE(dib.Read(in, true));

    EXPECT_FALSE(dib.IsOK());
    EXPECT_EQ(nullptr, dib.GetInfo());
    EXPECT_EQ(nullptr, dib.Block());
    EXPECT_EQ(before.requests, TDib::BlockStats().Requests)
        << "asked for a block of " << TDib::BlockStats().LastSize << " bytes";
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
    // Only the headers may be asked for beyond the end: nothing the headers
    // state is read before it is known to be there.
    EXPECT_LE(in.largestShortRead, 36);
}

INSTANTIATE_TEST_SUITE_P(Files, Refused, ::testing::ValuesIn(kRefuseCases), CaseName());

// ---- Releasing what a read made ---------------------------------------------

// Claims more than it has, as a file shrinking under the reader would.
class ShrinkingIn : public MemoryIn {
public:
    using MemoryIn::MemoryIn;
    uint64 Remaining() override { return 1u << 20; }
};

// Raises on its fourth read, the colour table's.
class ThrowingIn : public MemoryIn {
public:
    using MemoryIn::MemoryIn;
    bool Read(void* buffer, long size) override
    {
        if (++reads == 4)
            throw 42;
        return MemoryIn::Read(buffer, size);
    }
    int reads = 0;
};

TEST(DibRelease, ASourceRunningDryFreesTheBlock)
{
    std::string bytes = Keep(V8(), 14 + 40 + 100);
    ShrinkingIn in(bytes);
    DibProbe dib;
    Baseline before;

    EXPECT_FALSE(dib.Read(in, true));

    EXPECT_FALSE(dib.IsOK());
    EXPECT_EQ(nullptr, dib.Block());
    EXPECT_EQ(before.requests + 1, TDib::BlockStats().Requests);
    EXPECT_EQ(1072u, TDib::BlockStats().LastSize);
    EXPECT_EQ(before.held, TDib::BlockStats().Held) << "the block of the failed read is held";
}

TEST(DibRelease, AnErrorOfTheSourceFreesTheBlock)
{
    std::string bytes = V8();
    ThrowingIn in(bytes);
    DibProbe dib;
    Baseline before;

    EXPECT_THROW(dib.Read(in, true), int);

    EXPECT_EQ(4, in.reads);
    EXPECT_FALSE(dib.IsOK());
    EXPECT_EQ(before.requests + 1, TDib::BlockStats().Requests);
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
}

TEST(DibRelease, AFailedReadEmptiesALoadedDib)
{
    std::string good = V8(), bad = With32(V8(), 14, 108);
    MemoryIn first(good), second(bad);
    DibProbe dib;
    Baseline before;
    ASSERT_TRUE(dib.Read(first, true));

    EXPECT_FALSE(dib.Read(second, true));

    EXPECT_FALSE(dib.IsOK());
    EXPECT_EQ(nullptr, dib.Block());
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
}

TEST(DibRelease, ReadingAgainReplacesTheBlock)
{
    std::string small = ValidBmp(1, 8, 1).Build(), large = ValidBmp(24, 10, 10).Build();
    MemoryIn first(large), second(small);
    DibProbe dib;
    Baseline before;
    ASSERT_TRUE(dib.Read(first, true));

    ASSERT_TRUE(dib.Read(second, true));

    EXPECT_EQ(before.held + 1, TDib::BlockStats().Held);
    EXPECT_EQ(8, dib.GetInfoHeader()->biWidth);
    EXPECT_EQ(52u, GlobalSize(dib.Block()));
}

// ---- The block from a header ------------------------------------------------

BITMAPINFOHEADER Header(uint16 bitCount, DWORD clrUsed, DWORD compression, DWORD sizeImage)
{
    BITMAPINFOHEADER h = {};
    h.biSize = 40;
    h.biWidth = 1;
    h.biHeight = 1;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = compression;
    h.biSizeImage = sizeImage;
    h.biClrUsed = clrUsed;
    return h;
}

struct HeaderCase {
    const char* name;
    BITMAPINFOHEADER header;
    size_t blockSize;
    long numColors;
    bool masks;
};
PRINT_CASE_AS_NAME(HeaderCase)

// The colour count that lays out the table is the one that sizes the block,
// also for headers the parser would not have made.
const HeaderCase kHeaderCases[] = {
    {"normalised 8 bit", Header(8, 256, 0, 4), 1068, 256, false},
    {"8 bit clrUsed 0 sized for 256", Header(8, 0, 0, 4), 1068, 256, false},
    {"bit count 3 clrUsed 0 has no table", Header(3, 0, 0, 4), 44, 0, false},
    {"bit fields with 3 colours", Header(16, 3, 3, 8), 72, 3, true},
    {"no bits at all", Header(24, 0, 1, 0), 40, 0, false},
};

class BlockFromHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BlockFromHeader, MatchesItsLayout)
{
    const HeaderCase& c = GetParam();
    DibProbe dib;

    dib.InfoFromHeader(c.header);

    // Only the header is written; the rest of the block is not looked at.
    ASSERT_EQ(c.blockSize, GlobalSize(dib.Block()));
    EXPECT_EQ(0, memcmp(&c.header, dib.GetInfo(), 40));
    EXPECT_EQ(c.numColors, dib.NumColors());
    const BYTE* block = (const BYTE*)dib.GetInfo();
    const BYTE* table = block + 40 + (c.masks ? 12 : 0);
    EXPECT_EQ(c.masks ? (const void*)(block + 40) : nullptr, (const void*)dib.GetMask());
    EXPECT_EQ(c.numColors ? (const void*)table : nullptr, (const void*)dib.GetColors());
    EXPECT_EQ((const void*)(table + 4 * c.numColors), dib.GetBits());
    EXPECT_LE((size_t)((const BYTE*)dib.GetBits() - block) + dib.GetInfoHeader()->biSizeImage,
              c.blockSize);
}

INSTANTIATE_TEST_SUITE_P(Headers, BlockFromHeader, ::testing::ValuesIn(kHeaderCases), CaseName());

TEST(BlockFromHeader, AnOverflowingSizeIsNeverAskedFor)
{
    DibProbe dib;
    Baseline before;
    for (BITMAPINFOHEADER h : {Header(8, 0xffffffff, 0, 0), Header(24, 0, 1, 0xffffffff),
                               Header(8, 0x20000000, 3, 0x7fffffff)}) {
        try {
            dib.InfoFromHeader(h);
            ADD_FAILURE() << "no error for clrUsed " << h.biClrUsed << " size "
                          << h.biSizeImage;
        } catch (const TXOutOfMemory& x) {
            EXPECT_EQ(32761u, x.ResId);
        }
    }
    EXPECT_EQ(before.requests, TDib::BlockStats().Requests);
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
}

TEST(BlockFromHeader, A2GBBlockCannotBeHadIn32Bits)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "a 64-bit process can have it";
    DibProbe dib;
    Baseline before;
    EXPECT_THROW(dib.InfoFromHeader(Header(24, 0, 1, 0x7fff0000)), TXOutOfMemory);
    EXPECT_EQ(before.requests + 1, TDib::BlockStats().Requests);
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
    EXPECT_FALSE(dib.IsOK());
}

TEST(BlockFromHeader, AHeaderNotOf40BytesRaisesAndIsFreedWithTheDib)
{
    Baseline before;
    {
        DibProbe dib;
        BITMAPINFOHEADER h = Header(8, 0, 0, 4);
        h.biSize = 12;
        try {
            dib.InfoFromHeader(h);
            ADD_FAILURE() << "no error";
        } catch (const TXGdi& x) {
            EXPECT_EQ(32732u, x.ResId);
            EXPECT_STREQ("Exception #32732 (no message available).", x.Text());
        }
        EXPECT_FALSE(dib.IsOK());
        EXPECT_EQ(before.held + 1, TDib::BlockStats().Held);
    }
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
}

// ---- Real files ---------------------------------------------------------------

enum class Entry { File, Missing, Directory };

struct FileCase {
    const char* name;
    Entry entry;
    std::string (*bytes)();
    const char* fileName;
    bool ok;
};
PRINT_CASE_AS_NAME(FileCase)

const FileCase kFileCases[] = {
    {"8 bit", Entry::File, [] { return V8(); }, "splash.bmp", true},
    {"core 4 bit with a gap", Entry::File, [] { return ValidBmp(4, 3, 3, true).Gap(10).Build(); },
     "splash.bmp", true},
    {"bytes after the bits", Entry::File, [] { return ValidBmp(8, 20, 20).Trailer(50).Build(); },
     "splash.bmp", true},
    {"missing", Entry::Missing, nullptr, "splash.bmp", false},
    {"directory", Entry::Directory, nullptr, "splash.bmp", false},
    {"wildcard name", Entry::File, [] { return V8(); }, "spl*.bmp", false},
    {"empty", Entry::File, [] { return std::string(); }, "splash.bmp", false},
    {"bits one byte short", Entry::File, [] { return ValidBmp(8, 20, 20).Cut(1).Build(); },
     "splash.bmp", false},
    {"header of 108 bytes", Entry::File, [] { return With32(V8(), 14, 108); }, "splash.bmp",
     false},
    {"300 million colours in 9 KB", Entry::File, [] { return Colors300M().Build(); },
     "splash.bmp", false},
    {"3000000 x 2000000 pixels in 24 KB", Entry::File,
     [] { return Huge(3000000, 2000000, 24).Build(); }, "splash.bmp", false},
    {"RLE size 0x7fffffff", Entry::File, [] { return With32(Rle8(), 34, 0x7fffffff); },
     "splash.bmp", false},
};

class DibFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(DibFile, IsReadOrRaises)
{
    const FileCase& c = GetParam();
    TempDir dir;
    std::string path = dir.Path() + "\\splash.bmp";
    std::string bytes = c.bytes ? c.bytes() : std::string();
    if (c.entry == Entry::File) {
        dir.WriteFile("splash.bmp", bytes);
    } else if (c.entry == Entry::Directory) {
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL));
    }
    std::string name = dir.Path() + "\\" + c.fileName;
    Baseline before;

    try {
        TDib dib(name.c_str());
        EXPECT_TRUE(c.ok) << "read a file it should have refused";
        ASSERT_TRUE(dib.IsOK());
        MemoryIn in(bytes);
        DibProbe fromMemory;
        ASSERT_TRUE(fromMemory.Read(in, true));
        size_t size = GlobalSize(GlobalHandle(fromMemory.GetInfo()));
        ASSERT_EQ(size, GlobalSize(GlobalHandle(dib.GetInfo())));
        EXPECT_EQ(0, memcmp(fromMemory.GetInfo(), dib.GetInfo(), size))
            << "the file gave another block than its bytes from memory";
    } catch (const TXGdi& x) {
        EXPECT_FALSE(c.ok) << "raised " << x.ResId;
        EXPECT_EQ(32735u, x.ResId);
        EXPECT_STREQ("Exception #32735 (no message available).", x.Text());
        EXPECT_EQ(before.requests, TDib::BlockStats().Requests)
            << "asked for a block of " << TDib::BlockStats().LastSize << " bytes";
    }
    EXPECT_EQ(before.held, TDib::BlockStats().Held);
    // Open, the file could not be deleted: it is shared for reading and
    // writing only.
    if (c.entry == Entry::File) {
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file was left open";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DibFile, ::testing::ValuesIn(kFileCases), CaseName());

// ---- File access --------------------------------------------------------------

TEST(File, OpensOnceAndClosesOnce)
{
    TempDir dir;
    std::string path = dir.WriteFile("a.bin", "0123456789");
    TFile file;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Close()) << "closed a file that is not open";

    ASSERT_TRUE(file.Open(path.c_str(), 0, 0x180));
    HANDLE h = file.GetHandle();
    EXPECT_FALSE(file.Open(path.c_str(), 0, 0x180)) << "opened while open";
    EXPECT_EQ(h, file.GetHandle()) << "the second Open replaced the handle";
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "open, the file could be deleted";

    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(file.Open(path.c_str(), 0, 0x180)) << "opened a missing file";
}

TEST(File, TheDestructorClosesWhenAsked)
{
    TempDir dir;
    std::string path = dir.WriteFile("a.bin", "0123456789");
    { TFile file; ASSERT_TRUE(file.Open(path.c_str(), 0, 0x180)); }
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the destructor left the file open";

    path = dir.WriteFile("b.bin", "0123456789");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                           NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    { TFile file(h, false); }
    EXPECT_TRUE(CloseHandle(h)) << "closed although told not to";
}

TEST(FileIO, CountsWhatIsLeftFromThePosition)
{
    TempDir dir;
    std::string path = dir.WriteFile("a.bin", "0123456789abcdefghij");
    TFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 0, 0x180));
    SetFilePointer(file.GetHandle(), 3, NULL, FILE_BEGIN);
    TFileIO io(file);
    char buf[8] = {};

    EXPECT_EQ(17u, io.Remaining());
    EXPECT_TRUE(io.Read(buf, 4));
    EXPECT_STREQ("3456", buf);
    EXPECT_EQ(13u, io.Remaining());
    io.Skip(5);
    EXPECT_EQ(8u, io.Remaining());
    EXPECT_TRUE(io.Read(buf, 2));
    EXPECT_EQ('c', buf[0]);
    EXPECT_FALSE(io.Read(buf, 7)) << "a short read succeeded";
    EXPECT_EQ(0u, io.Remaining());
    io.Skip(100);
    EXPECT_EQ(0u, io.Remaining());
}

// ---- Errors and the handle base -------------------------------------------------

struct ErrorCase {
    const char* name;
    uint resId;
    const char* text;
};
PRINT_CASE_AS_NAME(ErrorCase)

const ErrorCase kErrorCases[] = {
    {"read failed", 32735, "Exception #32735 (no message available)."},
    {"not the info form", 32732, "Exception #32732 (no message available)."},
    {"zero", 0, "Exception #0 (no message available)."},
    {"largest id unsigned", 4294967295u, "Exception #4294967295 (no message available)."},
};

class GdiError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(GdiError, IsRaisedWithItsIdAndText)
{
    const ErrorCase& c = GetParam();
    try {
        TXGdi::Raise(c.resId, (HANDLE)0x1234);
        ADD_FAILURE() << "Raise returned";
    } catch (const TXLib& x) {
        EXPECT_EQ(c.resId, x.ResId);
        EXPECT_STREQ(c.text, x.Text());
    }
}

INSTANTIATE_TEST_SUITE_P(Ids, GdiError, ::testing::ValuesIn(kErrorCases), CaseName());

TEST(OutOfMemory, Is32761)
{
    TXOutOfMemory x;
    EXPECT_EQ(32761u, x.ResId);
    EXPECT_STREQ("Exception #32761 (no message available).", x.Text());
    EXPECT_STREQ("", TXBase().Text());
    EXPECT_STREQ("own text", TXBase("own text").Text());
}

class GdiProbe : public TGdiBase {
public:
    GdiProbe() {}
    GdiProbe(HANDLE h, TAutoDelete a) : TGdiBase(h, a) {}
    HANDLE GetHandle() const { return Handle; }
    bool Owns() const { return ShouldDelete; }
};

TEST(GdiBase, OwnsWhatItIsToldTo)
{
    HANDLE h = (HANDLE)0x5678;
    EXPECT_EQ(0, (int)TGdiBase::NoAutoDelete);
    EXPECT_EQ(1, (int)TGdiBase::AutoDelete);
    GdiProbe none, kept(h, TGdiBase::NoAutoDelete), owned(h, TGdiBase::AutoDelete);
    EXPECT_EQ(nullptr, none.GetHandle());
    EXPECT_TRUE(none.Owns());
    EXPECT_EQ(h, kept.GetHandle());
    EXPECT_FALSE(kept.Owns());
    EXPECT_EQ(h, owned.GetHandle());
    EXPECT_TRUE(owned.Owns());
}

TEST(GdiBase, CheckValidRaisesOnANullHandleOnly)
{
    GdiProbe none, some((HANDLE)0x5678, TGdiBase::NoAutoDelete);
    EXPECT_NO_THROW(some.CheckValid(32739));
    EXPECT_NO_THROW(TGdiBase::CheckValid((HANDLE)0x5678, 32739));
    for (int form = 0; form < 2; form++) {
        try {
            if (form == 0)
                none.CheckValid(32739);
            else
                TGdiBase::CheckValid(NULL, 32734);
            ADD_FAILURE() << "no error, form " << form;
        } catch (const TXGdi& x) {
            EXPECT_EQ(form == 0 ? 32739u : 32734u, x.ResId);
        }
    }
}

}  // namespace
