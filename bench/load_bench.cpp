// How long the splash picture takes to load: LoadFileBitmap against the
// platform's own file loader (LoadImageA) and against the least that any
// loader has to do (one read of the file and one CreateDIBitmap), and the
// reading part of our loader (constructing a TDib) against a bare read of
// the file.
//
// The floor and the bare read read into a new block of the loader's kind,
// as any loader must on its first and only load in the launcher; memory new
// to the process costs a page fault per page, under Wine on this machine
// most of a large read.
//
//   load_bench [--rounds N]
//
// Two 8-bit BMP files, 640 x 480 and 4096 x 4096, each with a full
// 256-colour table and varied pixels (tests/bmp.h), are written to a folder of their own
// under the temp folder and removed at the end. For each size the contenders
// run in turn, round after round, the order rotated by one every round, and
// their medians are compared: the ratios come from one run on one machine at
// one time, which is all a shared machine allows. What each contender leaves
// (bitmap, palette, block) is released after its clock has stopped, except
// where the contender itself releases it: LoadFileBitmap frees its DIB and
// the floor its block, LoadImageA unmaps its file.
//
// N rounds (30 unless given) at 4096 x 4096 and ten times as many at
// 640 x 480, where a round takes a few milliseconds and a median of few
// rounds moves with whatever else the machine is doing.
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <vector>

#include "bmp.h"
#include "filebmp.h"
#include "image/dib.h"

namespace {

// The goals, on a true-colour screen.
const double kGoalSmall = 0.95;  // LoadFileBitmap / LoadImageA at 640 x 480
const double kGoalLarge = 1.15;  // the same at 4096 x 4096
const double kGoalRead = 2.0;    // TDib read / bare read

char szFolder[MAX_PATH];

struct TCase {
    int Width;
    int Height;
    int Rounds;
    char Path[MAX_PATH];
    DWORD FileSize;
};

HDC hScreenDC;
LARGE_INTEGER liFrequency;

void Cleanup();

[[noreturn]] void Fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("load_bench: ", stderr);
    vfprintf(stderr, format, args);
    fputs("\n", stderr);
    va_end(args);
    Cleanup();
    exit(1);
}

inline long long Now()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return li.QuadPart;
}

double Ms(long long ticks)
{
    return 1000.0 * (double)ticks / (double)liFrequency.QuadPart;
}

void WriteBmp(TCase& c)
{
    const std::string bytes = Bmp(8, c.Width, c.Height).Bytes();
    HANDLE hFile = CreateFileA(c.Path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        Fail("cannot create %s", c.Path);
    DWORD dwWritten = 0;
    BOOL bOk = WriteFile(hFile, bytes.data(), (DWORD)bytes.size(), &dwWritten, NULL);
    CloseHandle(hFile);
    if (!bOk || dwWritten != bytes.size())
        Fail("cannot write %s", c.Path);
    c.FileSize = dwWritten;
}

// The contenders. Each returns the ticks of its timed part.

long long LoadFileBitmapOnce(TCase& c)
{
    HPALETTE hPalette = 0;
    long long t0 = Now();
    HBITMAP hBitmap = LoadFileBitmap(c.Path, &hPalette);
    long long t1 = Now();
    if (!hBitmap || !hPalette)
        Fail("LoadFileBitmap failed on %s", c.Path);
    DeleteBitmap(hBitmap, hPalette);
    return t1 - t0;
}

long long LoadImageOnce(TCase& c)
{
    long long t0 = Now();
    HANDLE hBitmap = LoadImageA(NULL, c.Path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    long long t1 = Now();
    if (!hBitmap)
        Fail("LoadImageA failed on %s", c.Path);
    DeleteObject(hBitmap);
    return t1 - t0;
}

// The whole file in one read into `buffer`.
void ReadWhole(TCase& c, BYTE* buffer)
{
    HANDLE hFile = CreateFileA(c.Path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD dwRead = 0;
    BOOL bOk =
        hFile != INVALID_HANDLE_VALUE && ReadFile(hFile, buffer, c.FileSize, &dwRead, NULL) && dwRead == c.FileSize;
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    if (!bOk)
        Fail("cannot read %s", c.Path);
}

// A new movable block of the file's size, locked: the loader's kind of
// memory.
BYTE* NewBlock(TCase& c, HGLOBAL* phBlock)
{
    *phBlock = GlobalAlloc(GMEM_MOVEABLE, c.FileSize);
    BYTE* p = *phBlock ? (BYTE*)GlobalLock(*phBlock) : 0;
    if (!p)
        Fail("no block for %s", c.Path);
    return p;
}

void FreeBlock(HGLOBAL hBlock)
{
    GlobalUnlock(hBlock);
    GlobalFree(hBlock);
}

long long FloorOnce(TCase& c)
{
    HGLOBAL hBlock;
    long long t0 = Now();
    BYTE* p = NewBlock(c, &hBlock);
    ReadWhole(c, p);
    const BITMAPFILEHEADER* fh = (const BITMAPFILEHEADER*)p;
    const BITMAPINFO* info = (const BITMAPINFO*)(p + sizeof *fh);
    HBITMAP hBitmap = CreateDIBitmap(hScreenDC, &info->bmiHeader, CBM_INIT, p + fh->bfOffBits, info, DIB_RGB_COLORS);
    FreeBlock(hBlock);
    long long t1 = Now();
    if (!hBitmap)
        Fail("CreateDIBitmap failed on %s", c.Path);
    DeleteObject(hBitmap);
    return t1 - t0;
}

long long DibReadOnce(TCase& c)
{
    alignas(TDib) unsigned char storage[sizeof(TDib)];
    TDib* dib = 0;
    TReadResult result = {};
    long long t0 = Now();
    try {
        dib = new (storage) TDib(c.Path, &result);
    } catch (...) {
        Fail("TDib cannot read %s (refusal %d)", c.Path, result.Refusal);
    }
    long long t1 = Now();
    if (!dib->IsOK())
        Fail("TDib read nothing from %s", c.Path);
    dib->~TDib();
    return t1 - t0;
}

long long BareReadOnce(TCase& c)
{
    HGLOBAL hBlock;
    long long t0 = Now();
    ReadWhole(c, NewBlock(c, &hBlock));
    long long t1 = Now();
    FreeBlock(hBlock);
    return t1 - t0;
}

enum { kLoadFile, kLoadImage, kFloor, kDibRead, kBareRead, kContenders };

long long (*const contenders[kContenders])(TCase&) = {LoadFileBitmapOnce, LoadImageOnce, FloorOnce, DibReadOnce,
                                                      BareReadOnce};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The pictures every contender makes must be alike, or the figures compare
// different work.
void CheckAlike(TCase& c)
{
    HPALETTE hPalette = 0;
    HBITMAP hOurs = LoadFileBitmap(c.Path, &hPalette);
    HBITMAP hTheirs = (HBITMAP)LoadImageA(NULL, c.Path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    if (!hOurs || !hTheirs)
        Fail("a loader failed on %s", c.Path);
    BITMAP ours, theirs;
    GetObject(hOurs, sizeof ours, &ours);
    GetObject(hTheirs, sizeof theirs, &theirs);
    if (ours.bmWidth != c.Width || ours.bmHeight != c.Height || theirs.bmWidth != c.Width ||
        theirs.bmHeight != c.Height || ours.bmBitsPixel != theirs.bmBitsPixel)
        Fail("the loaders made different bitmaps of %s: %ldx%ld %d bits, %ldx%ld %d bits", c.Path, ours.bmWidth,
             ours.bmHeight, ours.bmBitsPixel, theirs.bmWidth, theirs.bmHeight, theirs.bmBitsPixel);
    if (c.Width * c.Height <= 1024 * 1024) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = c.Width;
        bi.bmiHeader.biHeight = c.Height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> a((size_t)c.Width * c.Height), b(a.size());
        if (!GetDIBits(hScreenDC, hOurs, 0, c.Height, &a[0], &bi, DIB_RGB_COLORS) ||
            !GetDIBits(hScreenDC, hTheirs, 0, c.Height, &b[0], &bi, DIB_RGB_COLORS))
            Fail("cannot read the bitmaps of %s back", c.Path);
        if (a != b)
            Fail("the loaders made different pixels of %s", c.Path);
    }
    DeleteObject(hTheirs);
    DeleteBitmap(hOurs, hPalette);
}

void Cleanup()
{
    if (!szFolder[0])
        return;
    char szPath[MAX_PATH];
    const char* names[] = {"640x480.bmp", "4096x4096.bmp"};
    for (const char* name : names) {
        snprintf(szPath, sizeof szPath, "%s\\%s", szFolder, name);
        DeleteFileA(szPath);
    }
    RemoveDirectoryA(szFolder);
    szFolder[0] = 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int iRounds = 30;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--rounds") && i + 1 < argc && atoi(argv[i + 1]) > 0) {
            iRounds = atoi(argv[++i]);
        } else {
            fprintf(stderr, "usage: load_bench [--rounds N]\n");
            return 2;
        }
    }

    const long long tStart = Now();
    QueryPerformanceFrequency(&liFrequency);
    hScreenDC = GetDC(NULL);
    if (!hScreenDC)
        Fail("no screen");
    const int iBitsPixel = GetDeviceCaps(hScreenDC, BITSPIXEL) * GetDeviceCaps(hScreenDC, PLANES);
    const bool bTrueColour = iBitsPixel >= 24;

    char szTemp[MAX_PATH];
    if (!GetTempPathA(sizeof szTemp, szTemp))
        Fail("no temp folder");
    snprintf(szFolder, sizeof szFolder, "%sload_bench_%lu", szTemp, GetCurrentProcessId());
    if (!CreateDirectoryA(szFolder, NULL))
        Fail("cannot create %s", szFolder);

    TCase cases[] = {{640, 480, 10 * iRounds, "", 0}, {4096, 4096, iRounds, "", 0}};
    for (TCase& c : cases) {
        snprintf(c.Path, sizeof c.Path, "%s\\%dx%d.bmp", szFolder, c.Width, c.Height);
        WriteBmp(c);
    }

    printf(
        "load_bench: 8-bit BMP, 256 colours; screen %d bits per pixel. Contenders interleaved,\n"
        "order rotated each round, %d rounds at 640x480 and %d at 4096x4096; medians in ms.\n"
        "One untimed round first: every round reads the files from the OS cache. The floor\n"
        "and the bare read, like LoadFileBitmap, read into a new block each time.\n\n",
        iBitsPixel, 10 * iRounds, iRounds);

    double medians[2][kContenders] = {};
    for (int s = 0; s < 2; s++) {
        TCase& c = cases[s];
        CheckAlike(c);
        std::vector<std::vector<double>> samples(kContenders);
        for (int r = -1; r < c.Rounds; r++) {
            for (int j = 0; j < kContenders; j++) {
                int k = (j + (r < 0 ? 0 : r)) % kContenders;
                long long ticks = contenders[k](c);
                if (r >= 0)
                    samples[k].push_back(Ms(ticks));
            }
        }
        for (int k = 0; k < kContenders; k++)
            medians[s][k] = Median(samples[k]);
    }

    printf(
        "LF: LoadFileBitmap; LI: LoadImageA; floor: GlobalAlloc, CreateFile, one ReadFile,\n"
        "CloseHandle, CreateDIBitmap, GlobalFree; TDibRd: constructing TDib(name); bareRd:\n"
        "GlobalAlloc, CreateFile, one ReadFile of the whole file, CloseHandle.\n\n");
    printf("%-10s %9s %9s %7s %13s %8s %8s %8s %12s\n", "size", "LF", "LI", "floor", "LF/LI (goal)", "LF/floor",
           "TDibRd", "bareRd", "TDR/BR (goal)");
    bool bMet = true;
    char szMissed[512] = "";
    for (int s = 0; s < 2; s++) {
        const double* m = medians[s];
        const double dVsImage = m[kLoadFile] / m[kLoadImage];
        const double dVsFloor = m[kLoadFile] / m[kFloor];
        const double dRead = m[kDibRead] / m[kBareRead];
        const double dGoal = s == 0 ? kGoalSmall : kGoalLarge;
        char szSize[16];
        snprintf(szSize, sizeof szSize, "%dx%d", cases[s].Width, cases[s].Height);
        printf("%-10s %9.3f %9.3f %7.3f %6.2f (%4.2f) %8.2f %8.3f %8.3f %5.2f (%4.2f)\n", szSize, m[kLoadFile],
               m[kLoadImage], m[kFloor], dVsImage, dGoal, dVsFloor, m[kDibRead], m[kBareRead], dRead, kGoalRead);
        size_t len = strlen(szMissed);
        if (dVsImage > dGoal) {
            bMet = false;
            snprintf(szMissed + len, sizeof szMissed - len, "; %s LF/LI %.2f > %.2f", szSize, dVsImage, dGoal);
            len = strlen(szMissed);
        }
        if (dRead > kGoalRead) {
            bMet = false;
            snprintf(szMissed + len, sizeof szMissed - len, "; %s TDR/BR %.2f > %.2f", szSize, dRead, kGoalRead);
        }
    }
    if (!bTrueColour)
        printf("goals: not judged, the screen is not true colour (%d bits per pixel)\n", iBitsPixel);
    else if (bMet)
        printf("goals: met (LF/LI <= %.2f at 640x480 and <= %.2f at 4096x4096, TDR/BR <= %.2f)\n", kGoalSmall,
               kGoalLarge, kGoalRead);
    else
        printf("goals: NOT met: %s\n", szMissed + 2);

    printf("\n(%.1f s)\n", Ms(Now() - tStart) / 1000);

    ReleaseDC(NULL, hScreenDC);
    Cleanup();
    // A goal missed fails make bench; one that could not be judged does not.
    return bTrueColour && !bMet ? 1 : 0;
}
