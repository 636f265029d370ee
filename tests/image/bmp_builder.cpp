#include "bmp_builder.h"

#include <cstring>

namespace {

void Put16(std::string& s, uint16_t v)
{
    s += (char)(v & 0xff);
    s += (char)(v >> 8);
}

void Put32(std::string& s, uint32_t v)
{
    Put16(s, (uint16_t)v);
    Put16(s, (uint16_t)(v >> 16));
}

}  // namespace

std::string Bmp::Build() const
{
    std::string head;
    uint32_t size = headerSize ? headerSize : core ? 12 : 40;
    Put32(head, size);
    if (core) {
        Put16(head, (uint16_t)width);
        Put16(head, (uint16_t)height);
        Put16(head, planes);
        Put16(head, bitCount);
    } else {
        Put32(head, (uint32_t)width);
        Put32(head, (uint32_t)height);
        Put16(head, planes);
        Put16(head, bitCount);
        Put32(head, compression);
        Put32(head, sizeImage);
        Put32(head, (uint32_t)xPelsPerMeter);
        Put32(head, (uint32_t)yPelsPerMeter);
        Put32(head, clrUsed);
        Put32(head, clrImportant);
        if (size > 40)
            head.append(size - 40, '\0');
    }
    for (uint32_t m : masks)
        Put32(head, m);
    head += table;
    head += gap;

    std::string file;
    if (fileHeader) {
        size_t total = 14 + head.size() + bits.size() + trailer.size() - cut;
        Put16(file, type);
        Put32(file, fileSize ? fileSize : (uint32_t)total);
        Put32(file, 0);
        Put32(file, autoOffBits ? (uint32_t)(14 + head.size()) : offBits);
    }
    file += head + bits + trailer;
    file.resize(file.size() - cut);
    return file;
}

Bmp& Bmp::Colors(uint32_t n)
{
    clrUsed = n;
    table = ColorTable(n, core ? 3 : 4);
    return *this;
}

Bmp& Bmp::OffBits(uint32_t v)
{
    autoOffBits = false;
    offBits = v;
    return *this;
}

Bmp& Bmp::Gap(size_t n)
{
    gap.assign(n, '\xee');
    return *this;
}

Bmp& Bmp::Stored(uint32_t size)
{
    sizeImage = size;
    return *this;
}

Bmp& Bmp::Bits(size_t n)
{
    bits = Pattern(n, 5);
    return *this;
}

Bmp& Bmp::Trailer(size_t n)
{
    trailer = Pattern(n, 9);
    return *this;
}

Bmp& Bmp::Cut(size_t n)
{
    cut = n;
    return *this;
}

Bmp& Bmp::NoFileHeader()
{
    fileHeader = false;
    return *this;
}

std::string ColorTable(size_t n, size_t entrySize)
{
    std::string s;
    for (size_t i = 0; i < n; i++) {
        s += (char)(i & 0xff);                    // blue
        s += (char)(0x80 | (i >> 8));             // green
        s += (char)(0x55 ^ (i * 7));              // red
        if (entrySize == 4)
            s += (char)(0xa0 + (i & 0x0f));       // reserved, kept as read
    }
    return s;
}

std::string Pattern(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)(seed + i * 13);
    return s;
}

Bmp ValidBmp(uint16_t bitCount, int32_t width, int32_t height, bool core, uint32_t compression)
{
    Bmp b;
    b.core = core;
    b.width = width;
    b.height = height;
    b.bitCount = bitCount;
    b.compression = compression;
    if (bitCount <= 8)
        b.table = ColorTable((size_t)1 << bitCount, core ? 3 : 4);
    if (compression == 3)
        b.masks = {0x00f800, 0x0007e0, 0x00001f};
    size_t stride = ((size_t)bitCount * (size_t)width + 31) / 32 * 4;
    b.bits = Pattern(stride * (size_t)height, 1);
    return b;
}

bool MemoryIn::Read(void* buffer, long size)
{
    reads.push_back({buffer, size});
    if (size < 0 || (size_t)(end - p) < (size_t)size) {
        if (size > largestShortRead)
            largestShortRead = size;
        p = end;
        return false;
    }
    memcpy(buffer, p, (size_t)size);
    p += size;
    return true;
}

bool MemoryIn::Skip(long size)
{
    skips.push_back(size);
    if (size < 0)
        return false;
    p += (size_t)(end - p) < (size_t)size ? (size_t)(end - p) : (size_t)size;
    return true;
}

Bmp Colors300M()
{
    Bmp b = ValidBmp(8, 3, 2).Colors(2250);
    b.clrUsed = 300000000;
    return b;
}

Bmp Huge(int32_t width, int32_t height, uint16_t bitCount)
{
    Bmp b = ValidBmp(8, 1, 1);
    b.width = width;
    b.height = height;
    b.bitCount = bitCount;
    b.table.clear();
    b.bits = Pattern(24000, 3);
    return b;
}
