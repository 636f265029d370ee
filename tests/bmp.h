// A BMP file, field by field as the file holds them: the tests' pictures,
// good and damaged, and the benchmarks'.
#ifndef AUTORUN_TESTS_BMP_H
#define AUTORUN_TESTS_BMP_H
#include <windows.h>

#include <string>

// A new one is valid: a full colour table (entry i is red 7i, green 3i, blue
// 255 - i) and pixel bytes that change along each row.
struct Bmp {
    Bmp(WORD bitCount, LONG width, LONG height, bool isCore = false) : core(isCore)
    {
        info = {sizeof info, width, height, 1, bitCount, BI_RGB, 0, 2835, 2835, 0, 0};
        for (int i = 0; bitCount <= 8 && i < 1 << bitCount; i++) {
            char entry[4] = {(char)(255 - i), (char)(3 * i), (char)(7 * i), 0};
            table.append(entry, core ? 3 : 4);
        }
        size_t stride = ((size_t)bitCount * width + 31) / 32 * 4;
        for (size_t i = 0; i < stride * height; i++)
            bits += (char)(i % stride * 0x11 + i / stride);
    }
    // The file; bfSize and bfOffBits from the parts unless set.
    std::string Bytes() const
    {
        BITMAPCOREHEADER c = {sizeof c, (WORD)info.biWidth, (WORD)info.biHeight, 1, info.biBitCount};
        std::string head = core ? std::string((const char*)&c, sizeof c) : std::string((const char*)&info, sizeof info);
        BITMAPFILEHEADER f = file;
        size_t offBits = sizeof f + head.size() + masks.size() + table.size() + gap.size();
        f.bfSize = f.bfSize ? f.bfSize : (DWORD)(offBits + bits.size());
        f.bfOffBits = f.bfOffBits ? f.bfOffBits : (DWORD)offBits;
        return std::string((const char*)&f, sizeof f) + head + masks + table + gap + bits;
    }
    // The colour of pixel (x, y), rows counted from the top, as 0xRRGGBB.
    DWORD Colour(int x, int y) const
    {
        int depth = info.biBitCount, stride = (depth * info.biWidth + 31) / 32 * 4, bit = x * depth;
        BYTE stored = (BYTE)bits[(info.biHeight - 1 - y) * stride + bit / 8];
        int index = (stored >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        const BYTE* entry = (const BYTE*)table.data() + (core ? 3 : 4) * index;
        return (DWORD)entry[2] << 16 | (DWORD)entry[1] << 8 | entry[0];
    }
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, 0};
    BITMAPINFOHEADER info = {};
    bool core;
    std::string masks, table, gap, bits;
};
#endif
