// The BMP file as the DIB reader sees it: an open file and a byte source
// over it.
#ifndef AUTORUN_IMAGE_FILE_H
#define AUTORUN_IMAGE_FILE_H

#include "dib.h"

class TFile {
public:
    // Closed until Open.
    TFile();
    ~TFile();
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

    // Opens an existing file; mode 0 reads, 1 writes, 2 does both; others
    // may read and write it meanwhile. The permission would apply to a new
    // file, and Open makes none. False at once when already open.
    bool Open(const char* name, uint16 mode, uint16 permission);
    // False when not open or the close fails.
    bool Close();

    bool IsOpen() const { return hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return hFile; }

private:
    HANDLE hFile;
    // Whether the destructor closes a handle still open: always true, as
    // every TFile opens its own.
    bool ShouldClose;
};

// Raw reads on an open TFile, from its current position. It has no output
// side: a vtable keeps every virtual function alive, and a write would keep
// WriteFile among the imports of a launcher that writes no files.
class TFileIO : public TDib::IFileIn {
public:
    explicit TFileIO(TFile& file);

    bool Read(void* buffer, long size) override;
    bool Skip(long size) override;
    uint64 Remaining() override { return uRemaining; }

private:
    TFile& File;
    uint64 uRemaining;  // from the position to the end: the size as opened, less what was taken
};

#endif
