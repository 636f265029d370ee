// BMP files for the DIB reader's tests, written field by field, and the
// byte sources and DIB access the tests read them through.
#ifndef AUTORUN_TESTS_BMP_BUILDER_H
#define AUTORUN_TESTS_BMP_BUILDER_H

#include "image/dib.h"

#include <cstdint>
#include <string>
#include <vector>

// A BMP file. Offsets are from the start of the file, file header included;
// the core form's fields are in the second column.
struct Bmp {
    bool fileHeader = true;        // the 14-byte file header is written
    uint16_t type = 0x4D42;        // +0  WORD  bfType: "BM"
    uint32_t fileSize = 0;         // +2  DWORD bfSize; 0: the file's length
    bool autoOffBits = true;       //     bfOffBits where the bits are written
    uint32_t offBits = 0;          // +10 DWORD bfOffBits when not automatic
    bool core = false;             // 12-byte header instead of 40
    uint32_t headerSize = 0;       // +14 DWORD biSize / bcSize; 0: 40 or 12;
                                   //     above 40 the info form is padded with 0
    int32_t width = 4;             // +18 INT32 biWidth       +18 WORD bcWidth
    int32_t height = 2;            // +22 INT32 biHeight      +20 WORD bcHeight
    uint16_t planes = 1;           // +26 WORD  biPlanes      +22 WORD bcPlanes
    uint16_t bitCount = 8;         // +28 WORD  biBitCount    +24 WORD bcBitCount
    uint32_t compression = 0;      // +30 DWORD biCompression
    uint32_t sizeImage = 0;        // +34 DWORD biSizeImage
    int32_t xPelsPerMeter = 2835;  // +38 INT32 biXPelsPerMeter
    int32_t yPelsPerMeter = 2834;  // +42 INT32 biYPelsPerMeter
    uint32_t clrUsed = 0;          // +46 DWORD biClrUsed
    uint32_t clrImportant = 0;     // +50 DWORD biClrImportant
    std::vector<uint32_t> masks;   // +54 DWORD x 3 after the header, when given
    std::string table;             // colour table as stored: 4 bytes an entry, core 3
    std::string gap;               // bytes between the table and the bits
    std::string bits;              // pixel bits
    std::string trailer;           // bytes after the bits
    size_t cut = 0;                // bytes taken off the end of the file

    std::string Build() const;

    // Changes for the tests' tables, chained on a ValidBmp.
    Bmp& Colors(uint32_t n);      // clrUsed n and a table of n entries
    Bmp& OffBits(uint32_t v);     // bfOffBits v, wherever the bits are
    Bmp& Gap(size_t n);           // n bytes of 0xee before the bits
    Bmp& Stored(uint32_t size);   // biSizeImage
    Bmp& Bits(size_t n);          // n bytes of bits
    Bmp& Trailer(size_t n);       // n bytes after the bits
    Bmp& Cut(size_t n);           // the last n bytes taken off
    Bmp& NoFileHeader();
};

// n colour entries of entrySize bytes each, no two alike.
std::string ColorTable(size_t n, size_t entrySize);
// n bytes counting up from seed.
std::string Pattern(size_t n, unsigned seed);
// A well-formed file: a full colour table for 1, 4 and 8 bits, bit fields
// with three masks for compression 3, and stride x height bytes of bits.
Bmp ValidBmp(uint16_t bitCount, int32_t width, int32_t height, bool core = false,
             uint32_t compression = 0);

// Hostile files: 9 KB that state 300 million colours, and about 24 KB that
// state width x height pixels of bitCount bits.
Bmp Colors300M();
Bmp Huge(int32_t width, int32_t height, uint16_t bitCount);

// Bytes from memory. Records where each read went, its size, and the
// largest read that came up short.
class MemoryIn : public TDib::IFileIn {
public:
    explicit MemoryIn(const std::string& bytes)
        : p(bytes.data()), end(bytes.data() + bytes.size()) {}

    bool Read(void* buffer, long size) override;
    bool Skip(long size) override;
    uint64 Remaining() override { return (uint64)(end - p); }

    struct ReadCall {
        const void* buffer;
        long size;
    };
    std::vector<ReadCall> reads;
    long largestShortRead = 0;
    std::vector<long> skips;

protected:
    const char* p;
    const char* end;
};

// A DIB with its protected parts in reach.
class DibProbe : public TDib {
public:
    DibProbe() {}
    HANDLE Block() const { return Handle; }
    bool Owned() const { return ShouldDelete; }
    bool ResHandle() const { return IsResHandle; }
    using TDib::InfoFromHeader;
};

#endif
