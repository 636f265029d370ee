// Damaged files by the thousand: a few good files of every form, with bytes
// flipped, fields set to boundary values, cut short or lengthened, through
// the reader in-process. Each must be refused, or read into a consistent
// block that the file's own bytes could fill. Deterministic: a fixed seed.
#include "bmp_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kVariants = 100000;
const double kTimeLimitSeconds = 8;

// xorshift64*: the same sequence on every run and both targets.
class Rng {
public:
    uint32_t Next()
    {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return (uint32_t)((s * 0x2545F4914F6CDD1DULL) >> 32);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint64_t s = 0x1d2b3c4d5e6f7081ULL;
};

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start); }
    double Seconds() const
    {
        LARGE_INTEGER now, freq;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&freq);
        return (double)(now.QuadPart - start.QuadPart) / (double)freq.QuadPart;
    }

private:
    LARGE_INTEGER start;
};

std::vector<std::string> Seeds()
{
    std::vector<Bmp> files = {ValidBmp(1, 17, 5), ValidBmp(8, 7, 3), ValidBmp(24, 3, 3),
                              ValidBmp(8, 5, 2, true), ValidBmp(4, 3, 3, true),
                              ValidBmp(16, 3, 2, false, 3)};
    Bmp gap = ValidBmp(4, 9, 4);
    gap.clrUsed = 12;
    gap.table = ColorTable(12, 4);
    gap.gap = std::string(16, '\xee');
    files.push_back(gap);
    Bmp rle = ValidBmp(8, 6, 4, false, 1);
    rle.sizeImage = 20;
    rle.bits = Pattern(20, 4);
    files.push_back(rle);
    Bmp masked = ValidBmp(32, 2, 2, false, 3);
    masked.clrUsed = 2;
    masked.table = ColorTable(2, 4);
    files.push_back(masked);
    std::vector<std::string> seeds;
    for (const Bmp& b : files)
        seeds.push_back(b.Build());
    return seeds;
}

// Where the fields of both header forms and the masks start.
const size_t kFields[] = {0, 2, 6, 10, 14, 18, 20, 22, 24, 26, 28, 30, 34, 38, 42, 46, 50,
                          54, 58, 62};
const uint32_t kValues[] = {0, 1, 2, 3, 4, 8, 12, 14, 16, 24, 32, 40, 54, 108, 255, 256, 300,
                            1078, 0x7fff, 0x8000, 0xffff, 0x10000, 0x7fffffff, 0x80000000,
                            0xfffffffe, 0xffffffff};

std::string Mutate(const std::string& seed, Rng& rng)
{
    std::string s = seed;
    for (int edits = 1 + (int)rng.Below(3); edits > 0 && !s.empty(); edits--) {
        switch (rng.Below(5)) {
        case 0:  // a bit
            s[rng.Below((uint32_t)s.size())] ^= (char)(1 << rng.Below(8));
            break;
        case 1:  // a byte, anywhere
            s[rng.Below((uint32_t)s.size())] = (char)rng.Next();
            break;
        case 2: {  // a field, 2 or 4 bytes, set to a boundary value
            size_t at = kFields[rng.Below(sizeof kFields / sizeof kFields[0])];
            uint32_t v = kValues[rng.Below(sizeof kValues / sizeof kValues[0])];
            size_t n = rng.Below(2) ? 4 : 2;
            for (size_t i = 0; i < n && at + i < s.size(); i++)
                s[at + i] = (char)(v >> (8 * i));
            break;
        }
        case 3:  // cut short
            s.resize(rng.Below((uint32_t)s.size()));
            break;
        default:  // lengthened
            s += Pattern(rng.Below(64), rng.Next());
            break;
        }
    }
    return s;
}

uint32_t At32(const std::string& s, size_t at)
{
    uint32_t v;
    memcpy(&v, s.data() + at, 4);
    return v;
}

uint16_t At16(const std::string& s, size_t at)
{
    uint16_t v;
    memcpy(&v, s.data() + at, 2);
    return v;
}

std::string Dump(const std::string& s)
{
    std::string out;
    char buf[4];
    for (size_t i = 0; i < s.size() && i < 80; i++) {
        snprintf(buf, sizeof buf, "%02x", (unsigned char)s[i]);
        out += buf;
    }
    return out + (s.size() > 80 ? "..." : "");
}

// The most a file of `length` bytes can make the reader allocate: the info
// form stores its table in 4-byte entries, so its block is never larger
// than the file; the core form's 3-byte triples grow by a third.
uint64 Bound(size_t length)
{
    return 40 + 4 * (uint64)length / 3;
}

// An accepted variant: the block's header is the file's, normalised, and
// the block holds exactly its pieces.
void ExpectConsistent(const DibProbe& dib, const MemoryIn& in, const std::string& file)
{
    const BITMAPINFOHEADER& h = *dib.GetInfoHeader();
    bool core = At32(file, 14) == 12;
    ASSERT_TRUE(core || At32(file, 14) == 40) << "accepted header size " << At32(file, 14);
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_GT(h.biWidth, 0);
    EXPECT_GT(h.biHeight, 0);
    if (core) {
        EXPECT_EQ(At16(file, 18), h.biWidth);
        EXPECT_EQ(At16(file, 20), h.biHeight);
        EXPECT_EQ(At16(file, 24), h.biBitCount);
        EXPECT_EQ(0u, h.biCompression);
    } else {
        EXPECT_EQ(0, memcmp(file.data() + 18, &h.biWidth, 16)) << "width to compression";
        EXPECT_EQ(0, memcmp(file.data() + 38, &h.biXPelsPerMeter, 8)) << "resolution";
        EXPECT_EQ(At32(file, 50), h.biClrImportant);
        if (At32(file, 46)) {
            EXPECT_EQ(At32(file, 46), h.biClrUsed);
        }
    }
    if (h.biCompression == 0 || h.biCompression == 3) {
        uint64 stride = ((uint64)h.biBitCount * (uint64)h.biWidth + 31) / 32 * 4;
        EXPECT_EQ(stride * (uint64)h.biHeight, h.biSizeImage);
    } else {
        EXPECT_EQ(At32(file, 34), h.biSizeImage);
    }
    EXPECT_EQ((long)h.biClrUsed, dib.NumColors());

    uint64 masks = h.biCompression == 3 ? 12 : 0;
    uint64 size = 40 + masks + 4 * (uint64)h.biClrUsed + h.biSizeImage;
    EXPECT_EQ(size, TDib::BlockStats().LastSize);
    EXPECT_LE(size, GlobalSize(dib.Block()));
    EXPECT_LE(size, Bound(file.size()));
    const BYTE* block = (const BYTE*)dib.GetInfo();
    EXPECT_EQ((const void*)(block + size - h.biSizeImage), dib.GetBits());
    EXPECT_EQ(masks ? (const void*)(block + 40) : nullptr, (const void*)dib.GetMask());
    EXPECT_EQ(h.biClrUsed ? (const void*)(block + 40 + masks) : nullptr,
              (const void*)dib.GetColors());

    // The reads into the block stay inside it and fill masks, table and bits.
    uintptr_t first = (uintptr_t)block, last = first + GlobalSize(dib.Block());
    uint64 filled = 0;
    for (const MemoryIn::ReadCall& r : in.reads) {
        uintptr_t to = (uintptr_t)r.buffer;
        if (to >= first && to < last) {
            EXPECT_LE(to + (uintptr_t)r.size, last) << "read past the block";
            filled += (uint64)r.size;
        }
    }
    EXPECT_EQ(masks + (core ? 3 : 4) * (uint64)h.biClrUsed + h.biSizeImage, filled);
}

TEST(Mutation, EveryVariantIsRefusedOrReadWithinItsBounds)
{
    std::vector<std::string> seeds = Seeds();
    Rng rng;
    Stopwatch total;
    const long held = TDib::BlockStats().Held;
    int n = 0, accepted = 0;
    for (; n < kVariants && total.Seconds() < kTimeLimitSeconds; n++) {
        std::string file = Mutate(seeds[(size_t)n % seeds.size()], rng);
        MemoryIn in(file);
        unsigned long requests = TDib::BlockStats().Requests;
        {
            DibProbe dib;
            bool ok = dib.Read(in, true);
            EXPECT_EQ(ok, dib.IsOK());
            if (TDib::BlockStats().Requests != requests) {
                EXPECT_LE(TDib::BlockStats().LastSize, Bound(file.size()))
                    << "asked for more than the file can fill";
            }
            EXPECT_LE(in.largestShortRead, 36) << "read past the end beyond the headers";
            if (ok) {
                accepted++;
                ExpectConsistent(dib, in, file);
            } else {
                EXPECT_EQ(held, TDib::BlockStats().Held) << "a refusal kept its block";
            }
        }
        EXPECT_EQ(held, TDib::BlockStats().Held) << "the destructor kept the block";
        if (HasFailure()) {
            ADD_FAILURE() << "variant " << n << " of seed " << n % seeds.size() << ", "
                          << file.size() << " bytes: " << Dump(file);
            break;
        }
    }
    printf("[          ] %d variants in %.2f s, %d accepted\n", n, total.Seconds(), accepted);
    if (HasFailure())
        return;
    // The variants must reach both outcomes, or they test little.
    EXPECT_GT(accepted, n / 20);
    EXPECT_LT(accepted, n - n / 20);
    EXPECT_GE(n, 5000) << "too slow to try enough variants";
}

}  // namespace
