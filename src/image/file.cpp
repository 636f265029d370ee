// File access of the DIB reader.
#include "file.h"

TFile::TFile() : hFile(INVALID_HANDLE_VALUE), ShouldClose(true) {}

TFile::~TFile()
{
    if (ShouldClose && IsOpen())
        Close();
}

bool TFile::Open(const char* name, uint16 mode, uint16 /*permission*/)
{
    static const DWORD dwAccess[4] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, GENERIC_READ};
    if (IsOpen())
        return false;
    hFile = CreateFileA(name, dwAccess[mode & 3], FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, NULL);
    return IsOpen();
}

bool TFile::Close()
{
    if (!IsOpen() || !CloseHandle(hFile))
        return false;
    hFile = INVALID_HANDLE_VALUE;
    return true;
}

TFileIO::TFileIO(TFile& file) : File(file), uRemaining(0)
{
    // A size or position that cannot be had leaves nothing known to be
    // there, so every claim of the headers is refused.
    DWORD dwHigh = 0;
    SetLastError(NO_ERROR);
    DWORD dwLow = GetFileSize(file.GetHandle(), &dwHigh);
    if (dwLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return;
    LONG lPosHigh = 0;
    SetLastError(NO_ERROR);
    DWORD dwPosLow = SetFilePointer(file.GetHandle(), 0, &lPosHigh, FILE_CURRENT);
    if (dwPosLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return;
    uint64 uSize = ((uint64)dwHigh << 32) | dwLow;
    uint64 uPos = ((uint64)(DWORD)lPosHigh << 32) | dwPosLow;
    if (uPos < uSize)
        uRemaining = uSize - uPos;
}

bool TFileIO::Read(void* buffer, long size)
{
    DWORD dwRead = 0;
    if (size < 0)
        return false;
    BOOL bOk = ::ReadFile(File.GetHandle(), buffer, (DWORD)size, &dwRead, NULL);
    uRemaining -= dwRead < uRemaining ? dwRead : uRemaining;
    return bOk && dwRead == (DWORD)size;
}

bool TFileIO::Skip(long size)
{
    if (size < 0)
        return false;
    uRemaining -= (uint64)size < uRemaining ? (uint64)size : uRemaining;
    return SetFilePointer(File.GetHandle(), size, NULL, FILE_CURRENT) != INVALID_SET_FILE_POINTER;
}
