// A device-independent bitmap read from a BMP file, held as a packed DIB in
// one locked global memory block: the 40-byte header, the colour masks of a
// bit-field DIB, the colour table and the pixel bits.
#ifndef AUTORUN_IMAGE_DIB_H
#define AUTORUN_IMAGE_DIB_H

#include "gdibase.h"

class TFile;

// A colour-table entry: blue, green, red, reserved.
struct TRgbQuad : public RGBQUAD {};

// What a read found, for a caller that asks: why it refused its file (the
// first field found wrong), the bitmap header as far as the read got (the
// size it states in biSize when that was refused, the normalised 40-byte
// form after), and the size of the block it asked for (0: none).
struct TReadResult {
    enum TRefusal : unsigned char {
        NotRefused,
        NoBmSignature,
        BadHeaderSize,
        ShortHeader,
        BadPlanes,
        BadWidth,
        BadHeight,
        BadBitCount,
        TooManyPixels,
        TooLarge,
        ShortFile
    };
    TRefusal Refusal;
    BITMAPINFOHEADER Header;
    uint64 BlockSize;
};

class TDib : public TGdiBase {
public:
    // Where the parser takes its bytes from.
    class IFileIn {
    public:
        // True exactly when size bytes were delivered into buffer.
        virtual bool Read(void* buffer, long size) = 0;
        // Moves the read position forward by size bytes.
        virtual bool Skip(long size) = 0;
        // How many bytes are left from the read position to the end.
        virtual uint64 Remaining() = 0;

    protected:
        ~IFileIn() {}
    };

    // Reads the named BMP file; raises TXGdi IDS_DIB_READ_FAILED when it
    // cannot, TXOutOfMemory when the block cannot be allocated. Each read
    // tells what it found through a result, when one is given.
    explicit TDib(const char* name, TReadResult* result = 0);
    ~TDib();
    TDib(const TDib&) = delete;
    TDib& operator=(const TDib&) = delete;

    bool ReadFile(const char* name, TReadResult* result = 0);
    bool Read(TFile& file, bool readFileHeader, TReadResult* result = 0);
    // The parser: readFileHeader tells whether the 14-byte file header comes
    // first. A failed read leaves the object empty.
    bool Read(IFileIn& in, bool readFileHeader, TReadResult* result = 0);

    // Colour-table entries of a bit count: 2, 16 or 256 for 1, 4 and 8
    // bits, 0 for 16, 24 and 32, -1 for any other.
    static long NColors(uint16 bitCount);

    bool IsOK() const { return Info != 0; }
    BITMAPINFO* GetInfo() { return Info; }
    const BITMAPINFO* GetInfo() const { return Info; }
    BITMAPINFOHEADER* GetInfoHeader() { return (BITMAPINFOHEADER*)Info; }
    const BITMAPINFOHEADER* GetInfoHeader() const { return (const BITMAPINFOHEADER*)Info; }
    void* GetBits() { return Bits; }
    const void* GetBits() const { return Bits; }
    uint16 Usage() const { return Mode; }
    long NumColors() const { return NumClrs; }
    const TRgbQuad* GetColors() const { return Colors; }
    const uint32* GetMask() const { return Mask; }

    // The most pixels a picture may have, 4096 x 4096: more than any screen
    // shows, and a bound on the device bitmap made from it.
    static const uint64 MaxPixels = (uint64)4096 * 4096;

protected:
    // Empty: no block.
    TDib();

    // Allocates, locks and lays out the block for a normalised header; a
    // block already held is released first.
    void InfoFromHeader(const BITMAPINFOHEADER& header);
    // Sets the pointers and counts from the block's header.
    void InfoFromHandle();

    BITMAPINFO* Info;
    uint32* Mask;
    TRgbQuad* Colors;
    void* Bits;
    long NumClrs;
    uint16 Mode;
    bool IsResHandle;

private:
    void Release();
};

#endif
