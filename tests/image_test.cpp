// The picture path in-process: the BMP reader over good, damaged and
// hostile files, the palette and bitmap made from what it read, and the
// splash loader's pair.
#include "common.h"
#include "filebmp.h"
#include "image/dc.h"
#include "image/dib.h"
#include "image/except.h"
#include "image/gdiobj.h"

#include <psapi.h>

#include <cstring>
#include <memory>

namespace {

class MemoryIn : public TDib::IFileIn {
public:
    explicit MemoryIn(const std::string& s) : p(s.data()), end(s.data() + s.size()) {}
    // What Skip passed over is what was read.
    bool Read(void* buffer, long size) override { return Skip(size) && memcpy(buffer, p - size, size); }
    bool Skip(long size) override { return size >= 0 && size <= end - p && (p += size); }
    uint64 Remaining() override { return (uint64)(end - p); }
    const char *p, *end;
};

// The masks of 5-6-5 bit fields: red, green, blue.
const std::string k565("\0\xf8\0\0\xe0\x07\0\0\x1f\0\0\0", 12);

// The reader's table of forms, accepted and refused; each is damaged too.
// clang-format off
const struct {
    const char* name;
    std::function<void(Bmp&)> change;
    bool accepted;
    long colours;  // in the block's table, when accepted
} kForms[] = {
    {"8 bits", [](Bmp&) {}, true, 256},
    {"4 bits", [](Bmp& b) { b = Bmp(4, 5, 3); }, true, 16},
    {"1 bit", [](Bmp& b) { b = Bmp(1, 5, 3); }, true, 2},
    {"rows one bit past a dword", [](Bmp& b) { b = Bmp(1, 33, 3); }, true, 2},
    {"24 bits", [](Bmp& b) { b = Bmp(24, 5, 3); }, true, 0},
    {"core header", [](Bmp& b) { b = Bmp(8, 5, 3, true); }, true, 256},
    {"fewer colours and a gap before the bits",
     [](Bmp& b) { b.info.biClrUsed = 12; b.table.resize(48); b.gap = "gap!"; }, true, 12},
    {"300 colours", [](Bmp& b) { b.info.biClrUsed = 300; b.table += b.table.substr(0, 176); },
     true, 300},
    {"bit fields", [](Bmp& b) { b = Bmp(16, 5, 3); b.info.biCompression = BI_BITFIELDS; b.masks = k565; }, true, 0},
    {"run-length bits of the stated size",
     [](Bmp& b) { b.info.biCompression = BI_RLE8; b.info.biSizeImage = 6; b.bits.assign("\2\1\0\1\0\1", 6); },
     true, 256},
    {"bits offset inside the table", [](Bmp& b) { b.file.bfOffBits = 60; }, true, 256},
    {"bytes after the bits and a wrong file size",
     [](Bmp& b) { b.bits += "more"; b.file.bfSize = 3; }, true, 256},
    {"no BM", [](Bmp& b) { b.file.bfType = 0x4D43; }, false, 0},
    {"108-byte header", [](Bmp& b) { b.info.biSize = 108; }, false, 0},
    {"two planes", [](Bmp& b) { b.info.biPlanes = 2; }, false, 0},
    {"7 bits", [](Bmp& b) { b.info.biBitCount = 7; }, false, 0},
    {"width 0", [](Bmp& b) { b.info.biWidth = 0; }, false, 0},
    {"width below 0", [](Bmp& b) { b.info.biWidth = -5; }, false, 0},
    {"height 0", [](Bmp& b) { b.info.biHeight = 0; }, false, 0},
    {"top-down rows", [](Bmp& b) { b.info.biHeight = -3; }, false, 0},
    {"bits one byte short", [](Bmp& b) { b.bits.pop_back(); }, false, 0},
    {"table one byte short", [](Bmp& b) { b.table.pop_back(); b.bits.clear(); }, false, 0},
    {"300 million colours", [](Bmp& b) { b.info.biClrUsed = 300000000; }, false, 0},
    {"2^31 pixels", [](Bmp& b) { b.info.biWidth = 65536; b.info.biHeight = 32768; }, false, 0},
    {"run-length size past the end",
     [](Bmp& b) { b.info.biCompression = BI_RLE8; b.info.biSizeImage = 100000; }, false, 0},
    {"bits offset past the end", [](Bmp& b) { b.file.bfOffBits = 1000000; }, false, 0},
};
// clang-format on

// make fuzz's settings: how many variants, from which seed, how many of
// them through the checker.
unsigned long long Setting(const char* name, unsigned long long unset)
{
    return getenv(name) ? strtoull(getenv(name), NULL, 0) : unset;
}
const unsigned long long kSeed = 0x1d2b3c4d5e6f7081ULL;

// Each form damaged at random, as many times as make fuzz says (1000 each
// unless told), from its seed: bytes changed, set to 0 or 255, the file cut,
// bytes inserted. `variant` is given the form, the bytes and the count.
// A fatal failure ends the run.
void ForEachDamaged(const std::function<void(const char*, const std::string&, unsigned long long)>& variant)
{
    const unsigned long long variants = Setting("AUTORUN_FUZZ_VARIANTS", 26000) / std::size(kForms);
    unsigned long long seed = Setting("AUTORUN_FUZZ_SEED", kSeed), made = 0;
    auto next = [&] {
        seed ^= seed >> 12, seed ^= seed << 25, seed ^= seed >> 27;
        return (uint32_t)((seed * 0x2545F4914F6CDD1DULL) >> 32);
    };
    for (auto& c : kForms)
        for (unsigned long long i = 0; i < variants && !::testing::Test::HasFatalFailure(); i++) {
            Bmp bmp(8, 5, 3);
            c.change(bmp);
            std::string bytes = bmp.Bytes();
            for (int n = 1 + next() % 4; n--;) {
                size_t at = next() % bytes.size();
                switch (next() % 4) {
                case 0: bytes[at] = (char)next(); break;
                case 1: bytes[at] = (char)(next() % 2 ? 0xff : 0); break;
                case 2: bytes.resize(at + 1); break;
                default: bytes.insert(at, std::string(next() % 9, (char)next())); break;
                }
            }
            variant(c.name, bytes, made++);
        }
}

// An accepted file is read whole into a block of the 40-byte form; a refused
// one costs no allocation at all, and no block outlives its DIB.
TEST(Reader, AcceptsOrRefusesEachForm)
{
    for (auto& c : kForms) {
        SCOPED_TRACE(c.name);
        Bmp bmp(8, 5, 3);
        c.change(bmp);
        TempDir dir;
        WriteFile(dir / "p.bmp", bmp.Bytes());
        std::unique_ptr<TDib> dib;
        TReadResult result = {};
        try {
            dib.reset(new TDib((dir / "p.bmp").c_str(), &result));
        } catch (const TXGdi& e) {
            EXPECT_EQ(IDS_DIB_READ_FAILED, e.ResId);
        }
        EXPECT_EQ(c.accepted, dib != nullptr) << (c.accepted ? "refused" : "accepted");
        EXPECT_EQ(c.accepted, result.BlockSize != 0) << "a refused file allocated, or an accepted one did not";
        if (dib) {
            const BITMAPINFOHEADER* h = dib->GetInfoHeader();
            EXPECT_EQ(40u, h->biSize);
            EXPECT_EQ(bmp.info.biWidth, h->biWidth);
            EXPECT_EQ(c.colours, dib->NumColors());
            EXPECT_EQ(bmp.masks, std::string((const char*)dib->GetMask(), dib->GetMask() ? 12 : 0));
            std::string table((const char*)dib->GetColors(), 4 * dib->NumColors()), want;
            for (long i = 0; i < dib->NumColors(); i++)
                want += bmp.core ? bmp.table.substr(3 * i, 3) + '\0' : bmp.table.substr(4 * i, 4);
            EXPECT_EQ(want, table);
            const DWORD image = bmp.info.biCompression == BI_RLE8
                                    ? bmp.info.biSizeImage
                                    : (bmp.info.biBitCount * bmp.info.biWidth + 31) / 32 * 4 * bmp.info.biHeight;
            EXPECT_EQ(image, h->biSizeImage);
            EXPECT_EQ(bmp.bits.substr(0, image), std::string((const char*)dib->GetBits(), image));
            HGLOBAL block = GlobalHandle(dib->GetInfo());
            dib.reset();
            EXPECT_EQ(0u, GlobalSize(block)) << "a block outlived its DIB";
        }
    }
}

// Each damaged variant is refused or read into a block that its own bytes
// could fill, and made a palette and a bitmap when it has a table; none
// crashes.
TEST(Reader, RefusesOrBoundsEachDamagedFile)
{
    unsigned long long made = 0, accepted = 0, largest = 0, pixels = 0;
    double worst = 0;
    const DWORD start = GetTickCount();
    ForEachDamaged([&](const char* form, const std::string& bytes, unsigned long long i) {
        struct Probe : TDib {
        } damaged;
        MemoryIn in(bytes);
        TReadResult result = {};
        const bool ok = damaged.Read(in, true, &result);
        made++;
        accepted += ok;
        ASSERT_EQ(ok, damaged.IsOK()) << form << ", variant " << i << ": Read and IsOK disagree";
        ASSERT_LE(result.BlockSize, ok ? 52 + bytes.size() * 4 / 3 : 0)
            << form << ", variant " << i
            << (ok ? ": a block larger than its bytes can fill" : ": refused, but a block");
        largest = std::max<unsigned long long>(largest, bytes.size());
        worst = std::max(worst, (double)result.BlockSize / bytes.size());
        try {
            if (ok && damaged.NumColors() > 0) {
                TPalette palette(damaged, 0);
                TBitmap bitmap(damaged, &palette);
                pixels = std::max(pixels, 1ULL * damaged.GetInfoHeader()->biWidth * damaged.GetInfoHeader()->biHeight);
            }
        } catch (const TXBase&) {
        }
    });
    PROCESS_MEMORY_COUNTERS memory = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    printf(
        "damaged variants: %llu (%llu accepted, %llu refused), seed %#llx; largest file %llu bytes, largest block "
        "%.2f times its file, largest bitmap %llu pixels, peak memory %llu KiB; %lu ms\n",
        made, accepted, made - accepted, Setting("AUTORUN_FUZZ_SEED", kSeed), largest, worst, pixels,
        (unsigned long long)memory.PeakWorkingSetSize / 1024, GetTickCount() - start);
}

// Damaged variants as a disc's picture, as many as make fuzz says (one
// unless told): the checker judges each and ends with 0 or 1.
TEST(Reader, DamagedFilesLeaveTheCheckerStanding)
{
    const unsigned long long every =
        std::max(1ULL, Setting("AUTORUN_FUZZ_VARIANTS", 26000) / std::max(1ULL, Setting("AUTORUN_FUZZ_CHECKS", 1)));
    TempDir disc;
    WriteFile(disc / "autorun.inf", "[autorun]\nopen=autorun.exe");
    ForEachDamaged([&](const char* form, const std::string& bytes, unsigned long long i) {
        if (i % every)
            return;
        WriteFile(disc / "splash.bmp", bytes);
        auto [code, said] = RunCheck(disc.path);
        ASSERT_LE(code, 1u) << form << ", variant " << i << ": the checker ended with " << code << ":\n" << said;
    });
}

// The palette holds the table's colours (after the masks, for bit fields);
// both handles go when their objects go, and not while a context still holds
// the palette. The splash loader's pair is released whole.
TEST(Gdi, PaletteAndBitmapHoldThePicture)
{
    for (WORD bits : {1, 4, 8, 16}) {
        Bmp bmp(bits, 9, 4);
        bmp.info.biClrUsed = bits >= 8 ? 12 : 0;
        bmp.table = Bmp(8, 1, 1).table.substr(0, bits >= 8 ? 48 : bmp.table.size());
        if (bits == 16)
            bmp.info.biCompression = BI_BITFIELDS, bmp.masks = k565;
        TempDir dir;
        std::string name = dir / "p.bmp";
        WriteFile(name, bmp.Bytes());
        TDib dib(name.c_str());
        auto* palette = new TPalette(dib, PC_NOCOLLAPSE);
        auto* bitmap = new TBitmap(dib, palette);
        HPALETTE hPal = palette->GetHandle();
        HBITMAP hBmp = bitmap->GetHandle();
        PALETTEENTRY entries[256];
        ASSERT_EQ(bmp.table.size() / 4, GetPaletteEntries(hPal, 0, 256, entries));
        for (size_t i = 0; i < bmp.table.size() / 4; i++)
            EXPECT_EQ(RGB(7 * i, 3 * i, 255 - i) | PC_NOCOLLAPSE << 24, *(DWORD*)&entries[i]) << i;
        EXPECT_EQ(1, TGdiObject::RefCount(hPal));
        {
            TScreenDC dc;
            dc.SelectObject(*palette, false);
            delete palette;
            EXPECT_EQ(OBJ_PAL, GetObjectType(hPal)) << "deleted while selected";
        }
        EXPECT_EQ(0u, GetObjectType(hPal));
        delete bitmap;
        EXPECT_EQ(0u, GetObjectType(hBmp));
        hBmp = LoadFileBitmap(&name[0], &hPal);
        EXPECT_EQ((DWORD)OBJ_BITMAP, GetObjectType(hBmp));
        DeleteBitmap(hBmp, hPal);
        EXPECT_EQ(std::make_pair(0ul, 0ul), std::make_pair(GetObjectType(hBmp), GetObjectType(hPal)))
            << "the loaded pair stays";
    }
    EXPECT_EQ(0, TGdiObject::RefRecords());
}

}  // namespace
