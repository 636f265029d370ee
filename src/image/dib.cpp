// The DIB reader: a BMP file parsed front to back into one packed-DIB block.
//
// Malformed and hostile files. Every size is worked out in 64 bits through
// MulAdd, which refuses any result above kMaxSize (2^31 - 1, the most that
// one read or skip takes). Before the block is allocated, all that the
// headers say is still to come (masks, table, the gap before the bits, the
// bits) is checked against what the source has left, so a file never costs
// more memory than it holds; the pieces are then read into a block sized
// from the same numbers, so nothing lands outside it.
//
//   The file                                           What we do
//   no "BM", or file header or header size cut short   refuse
//   header size other than 12 or 40 (108, 124 forms)   refuse
//   planes not 1                                       refuse
//   colour count 0, bit count not 1/4/8/16/24/32       refuse
//   width or height 0                                  refuse: nothing to show
//   width below 0                                      refuse
//   width x height above 4096 x 4096, any compression  refuse: a tiny RLE file
//                                                      would cost a bitmap of
//                                                      that size
//   height below 0 (rows stored top-down)              refuse: the splash would
//                                                      come out upside down
//   stride x height above 2^31 - 1 (compression 0, 3)  refuse; the 32-bit size
//                                                      would have overflowed
//   more stated than the source has left: a huge       refuse, before anything
//   colour count, huge width x height, an RLE          is allocated
//   biSizeImage past the end, bfOffBits past the end
//   block size above 2^31 - 1 (a file over 2 GB)       refuse
//   bfOffBits below 14, or inside header or table      no skip: the bits follow
//                                                      the table
//   masks, table or bits cut short                     refuse, by the count above
//   a source that delivers less than it said it had    refuse; the block is freed
//   bytes after the bits, a wrong bfSize               ignored
//   more colours than the bit count addresses          all read (300 for 8 bits)
//   compression other than 0 and 3 (1, 2, unknown)     kept, with the stored size
//
// A failed Read leaves the object empty: it releases what the object held
// and what it allocated itself. An exception passing through Read after the
// allocation frees the block first, so a constructor that raises leaves
// nothing behind.
#include "dib.h"
#include "file.h"

#include <string.h>

namespace {

const uint64 kMaxSize = 0x7fffffff;

// *pResult = a * b + c; false when that would exceed kMaxSize.
bool MulAdd(uint64 a, uint64 b, uint64 c, uint64* pResult)
{
    // Both factors within the limit keep the product below 2^62: no overflow
    // before the comparison.
    if ((a > kMaxSize && b != 0) || (b > kMaxSize && a != 0) || c > kMaxSize)
        return false;
    *pResult = a * b + c;
    return *pResult <= kMaxSize;
}

// Entries of the block's colour table: the stated count, or the bit count's
// default; none for a bit count without one.
uint32 BlockTableEntries(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed)
        return header.biClrUsed;
    long lColors = TDib::NColors(header.biBitCount);
    return lColors > 0 ? (uint32)lColors : 0;
}

// Header, masks of compression 3, 4-byte colour entries and the bits.
bool BlockSize(const BITMAPINFOHEADER& header, uint64* pSize)
{
    uint64 uHead;
    return MulAdd(BlockTableEntries(header), 4, header.biCompression == BI_BITFIELDS ? 52 : 40, &uHead) &&
           MulAdd(1, uHead, header.biSizeImage, pSize);
}

}  // namespace

static_assert(sizeof(BITMAPFILEHEADER) == 14, "the file header is packed");
static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(TRgbQuad) == 4, "packed DIB pieces");

TDib::TDib() : Info(0), Mask(0), Colors(0), Bits(0), NumClrs(0), Mode(DIB_RGB_COLORS), IsResHandle(false) {}

TDib::TDib(const char* name, TReadResult* result)
    : Info(0), Mask(0), Colors(0), Bits(0), NumClrs(0), Mode(DIB_RGB_COLORS), IsResHandle(false)
{
    if (!ReadFile(name, result))
        TXGdi::Raise(IDS_DIB_READ_FAILED, 0);
}

TDib::~TDib()
{
    Release();
}

void TDib::Release()
{
    if (Handle && !IsResHandle) {
        if (Info)
            GlobalUnlock(Handle);
        if (ShouldDelete)
            GlobalFree(Handle);
    }
    Handle = 0;
    Info = 0;
    Mask = 0;
    Colors = 0;
    Bits = 0;
    NumClrs = 0;
}

long TDib::NColors(uint16 bitCount)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8: return 1L << bitCount;
    case 16:
    case 24:
    case 32: return 0;
    default: return -1;
    }
}

bool TDib::ReadFile(const char* name, TReadResult* result)
{
    TFile file;
    if (!file.Open(name, 0, 0x180))
        return false;
    bool bOk = Read(file, true, result);
    file.Close();
    return bOk;
}

bool TDib::Read(TFile& file, bool readFileHeader, TReadResult* result)
{
    TFileIO io(file);
    return Read(static_cast<IFileIn&>(io), readFileHeader, result);
}

bool TDib::Read(IFileIn& in, bool readFileHeader, TReadResult* result)
{
    BITMAPFILEHEADER fileHeader;
    BITMAPCOREHEADER core;
    TReadResult unasked;
    TReadResult& r = result ? *result : unasked;
    // Parsed in place, so that a refusal leaves what it judged in the result.
    BITMAPINFOHEADER& header = r.Header;
    long long llBitsOffset = 0;  // from the end of the file header; 0: none given

    Release();
    memset(&header, 0, sizeof header);
    r.BlockSize = 0;
    r.Refusal = TReadResult::NoBmSignature;
    if (readFileHeader) {
        if (!in.Read(&fileHeader, sizeof fileHeader) || fileHeader.bfType != 0x4D42)
            return false;
        if (fileHeader.bfOffBits)
            llBitsOffset = (long long)fileHeader.bfOffBits - (long long)sizeof fileHeader;
    }

    r.Refusal = TReadResult::BadHeaderSize;
    if (!in.Read(&header.biSize, sizeof header.biSize) ||
        (header.biSize != sizeof core && header.biSize != sizeof header))
        return false;
    const bool bCore = header.biSize == sizeof core;
    r.Refusal = TReadResult::ShortHeader;
    if (bCore) {
        if (!in.Read(&core.bcWidth, sizeof core - sizeof core.bcSize))
            return false;
        header.biWidth = core.bcWidth;
        header.biHeight = core.bcHeight;
        header.biPlanes = core.bcPlanes;
        header.biBitCount = core.bcBitCount;
    } else if (!in.Read(&header.biWidth, sizeof header - sizeof header.biSize)) {
        return false;
    }
    const long long llHeaderSize = header.biSize;
    header.biSize = sizeof header;

    // The first of these fields found wrong; the bit count is judged next.
    r.Refusal = header.biPlanes != 1   ? TReadResult::BadPlanes
                : header.biWidth <= 0  ? TReadResult::BadWidth
                : header.biHeight <= 0 ? TReadResult::BadHeight
                                       : TReadResult::BadBitCount;
    if (r.Refusal != TReadResult::BadBitCount)
        return false;
    if (!header.biClrUsed) {
        long lColors = NColors(header.biBitCount);
        if (lColors < 0)
            return false;
        header.biClrUsed = (DWORD)lColors;
    }
    // Whatever the compression: a run-length file of a kilobyte can state a
    // gigapixel, and the screen's bitmap is made at the size stated.
    r.Refusal = TReadResult::TooManyPixels;
    if ((uint64)header.biWidth * (uint64)header.biHeight > MaxPixels)
        return false;
    r.Refusal = TReadResult::TooLarge;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        uint64 uRowBits, uImage;
        if (!MulAdd(header.biBitCount, (uint64)header.biWidth, 31, &uRowBits) ||
            !MulAdd(uRowBits / 32 * 4, (uint64)header.biHeight, 0, &uImage))
            return false;
        header.biSizeImage = (DWORD)uImage;
    }

    // What the source must still supply, and the block: both checked before
    // anything is allocated.
    const uint64 uMasks = header.biCompression == BI_BITFIELDS ? 12 : 0;
    uint64 uTable, uNeed, uBlock;
    if (!MulAdd(header.biClrUsed, bCore ? 3 : 4, 0, &uTable))
        return false;
    long long llGap = llBitsOffset - llHeaderSize - (long long)(uMasks + uTable);
    if (!llBitsOffset || llGap < 0)
        llGap = 0;
    if (!MulAdd(1, uMasks + uTable, (uint64)llGap, &uNeed) || !MulAdd(1, uNeed, header.biSizeImage, &uNeed) ||
        !BlockSize(header, &uBlock))
        return false;
    r.Refusal = TReadResult::ShortFile;
    if (uNeed > in.Remaining())
        return false;

    r.BlockSize = uBlock;
    try {
        InfoFromHeader(header);
        bool bOk = (!Mask || in.Read(Mask, (long)uMasks)) && (!Colors || in.Read(Colors, (long)uTable));
        if (bOk && bCore && Colors) {
            // Triples to quads, from the last entry down, so that no triple
            // is overwritten before it has moved.
            BYTE* pb = (BYTE*)Colors;
            for (long i = NumClrs - 1; i >= 0; i--) {
                pb[4 * i + 2] = pb[3 * i + 2];
                pb[4 * i + 1] = pb[3 * i + 1];
                pb[4 * i] = pb[3 * i];
                pb[4 * i + 3] = 0;
            }
        }
        if (bOk && llGap > 0)
            in.Skip((long)llGap);
        if (bOk && in.Read(Bits, (long)header.biSizeImage)) {
            r.Refusal = TReadResult::NotRefused;
            return true;
        }
    } catch (...) {
        Release();
        throw;
    }
    Release();
    return false;
}

void TDib::InfoFromHeader(const BITMAPINFOHEADER& header)
{
    uint64 uSize;

    Release();
    IsResHandle = false;
    ShouldDelete = true;
    if (!BlockSize(header, &uSize))
        throw TXOutOfMemory();
    Handle = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)uSize);
    if (!Handle)
        throw TXOutOfMemory();
    Info = (BITMAPINFO*)GlobalLock(Handle);
    if (Info)
        memcpy(Info, &header, sizeof header);
    InfoFromHandle();
}

void TDib::InfoFromHandle()
{
    if (!Info)
        Info = (BITMAPINFO*)(IsResHandle ? LockResource(Handle) : GlobalLock(Handle));
    if (!Info || Info->bmiHeader.biSize != sizeof(BITMAPINFOHEADER)) {
        GlobalUnlock(Handle);
        Info = 0;
        TXGdi::Raise(IDS_DIB_NOT_INFO_FORM, 0);
    }
    BYTE* p = (BYTE*)Info + sizeof(BITMAPINFOHEADER);
    Mask = 0;
    if (Info->bmiHeader.biCompression == BI_BITFIELDS) {
        Mask = (uint32*)p;
        p += 3 * sizeof(uint32);
    }
    NumClrs = (long)BlockTableEntries(Info->bmiHeader);
    Colors = NumClrs ? (TRgbQuad*)p : 0;
    Bits = p + 4 * (size_t)NumClrs;
    Mode = DIB_RGB_COLORS;
}
