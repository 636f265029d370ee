// The BMP file as the DIB reader sees it: an open file and a byte source
// over it.
#ifndef AUTORUN_IMAGE_FILE_H
#define AUTORUN_IMAGE_FILE_H

#include "dib.h"

class TFile {
public:
    // Closed until Open.
    TFile();
    // Wraps an open handle; shouldClose: the destructor closes it.
    explicit TFile(HANDLE handle, bool shouldClose = true);
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
    bool ShouldClose;
};

// Raw reads and writes on an open TFile, from its current position.
class TFileIO : public TDib::IFileIn, public TDib::IFileOut {
public:
    explicit TFileIO(TFile& file);

    bool Read(void* buffer, long size) override;
    bool Skip(long size) override;
    uint64 Remaining() override { return uRemaining; }
    bool Write(const void* buffer, long size) override;

private:
    TFile& File;
    uint64 uRemaining;  // from the position to the end: the size as opened, less what was taken
};

#endif
