// How long the splash picture takes to load: LoadFileBitmap against the
// platform's own file loader (LoadImageA) and against the least that any
// loader has to do (one read of the file and one CreateDIBitmap), and the
// reading part of our loader (constructing a TDib) against a bare read of
// the file.
//
// The floor and the bare read read into a new block of the loader's kind,
// as any loader must on its first and only load in the launcher; memory new
// to the process costs a page fault per page, under Wine on this machine
// most of a large read. --detail adds the bare read into a buffer that is
// already in use, which shows that cost.
//
//   load_bench [--rounds N] [--detail]
//
// Two 8-bit BMP files, 640 x 480 and 4096 x 4096, each with a full
// 256-colour table and varied pixels, are written to a folder of their own
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
// rounds moves with whatever else the machine is doing. --detail adds the
// parts of LoadFileBitmap timed alone, for finding where its time goes.
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <vector>

#include "filebmp.h"
#include "image/dib.h"
#include "image/gdiobj.h"
#include "runtime/runtime.h"

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
    TDib* Dib;  // read once, for the --detail parts that start from a DIB
};

HDC hScreenDC;
BYTE* pBuffer;  // in use before the clock starts, as large as the largest file
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

// The picture: a 256-colour table of distinct colours, pixels from a
// gradient with noise, so that neither rows nor runs repeat.
void WriteBmp(TCase& c)
{
    const DWORD dwStride = ((DWORD)c.Width + 3) & ~3u;
    const DWORD dwBitsOffset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 256 * 4;
    const DWORD dwSize = dwBitsOffset + dwStride * (DWORD)c.Height;
    std::vector<BYTE> file(dwSize);

    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfSize = dwSize;
    fh.bfOffBits = dwBitsOffset;
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = c.Width;
    ih.biHeight = c.Height;
    ih.biPlanes = 1;
    ih.biBitCount = 8;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = dwStride * (DWORD)c.Height;
    ih.biClrUsed = 256;
    memcpy(&file[0], &fh, sizeof fh);
    memcpy(&file[sizeof fh], &ih, sizeof ih);
    RGBQUAD* table = (RGBQUAD*)&file[sizeof fh + sizeof ih];
    for (int i = 0; i < 256; i++) {
        table[i].rgbRed = (BYTE)i;
        table[i].rgbGreen = (BYTE)(i * 67 + 13);
        table[i].rgbBlue = (BYTE)(255 - i * 5);
        table[i].rgbReserved = 0;
    }
    unsigned int uSeed = 0x2545F491u ^ (unsigned)c.Width;
    for (int y = 0; y < c.Height; y++) {
        BYTE* row = &file[dwBitsOffset + dwStride * (DWORD)y];
        for (int x = 0; x < c.Width; x++) {
            uSeed ^= uSeed << 13;
            uSeed ^= uSeed >> 17;
            uSeed ^= uSeed << 5;
            row[x] = (BYTE)((x * 256 / c.Width + y * 256 / c.Height) + (uSeed & 31));
        }
    }

    HANDLE hFile = CreateFileA(c.Path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        Fail("cannot create %s", c.Path);
    DWORD dwWritten = 0;
    BOOL bOk = WriteFile(hFile, &file[0], dwSize, &dwWritten, NULL);
    CloseHandle(hFile);
    if (!bOk || dwWritten != dwSize)
        Fail("cannot write %s", c.Path);
    c.FileSize = dwSize;
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
// memory. With `touch`, every page of it is written once.
BYTE* NewBlock(TCase& c, HGLOBAL* phBlock, bool touch)
{
    *phBlock = GlobalAlloc(GMEM_MOVEABLE, c.FileSize);
    BYTE* p = *phBlock ? (BYTE*)GlobalLock(*phBlock) : 0;
    if (!p)
        Fail("no block for %s", c.Path);
    if (touch)
        for (DWORD dw = 0; dw < c.FileSize; dw += 4096)
            p[dw] = 0;
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
    BYTE* p = NewBlock(c, &hBlock, false);
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

long long BlockReadOnce(TCase& c, bool touch)
{
    HGLOBAL hBlock;
    long long t0 = Now();
    ReadWhole(c, NewBlock(c, &hBlock, touch));
    long long t1 = Now();
    FreeBlock(hBlock);
    return t1 - t0;
}

long long BareReadOnce(TCase& c)
{
    return BlockReadOnce(c, false);
}

long long TouchedBlockReadOnce(TCase& c)
{
    return BlockReadOnce(c, true);
}

long long WarmReadOnce(TCase& c)
{
    long long t0 = Now();
    ReadWhole(c, pBuffer);
    return Now() - t0;
}

// The --detail parts.

long long FindFirstOnce(TCase& c)
{
    struct ffblk ffblk;
    long long t0 = Now();
    int iResult = findfirst(c.Path, &ffblk, 0);
    long long t1 = Now();
    if (iResult)
        Fail("findfirst cannot find %s", c.Path);
    return t1 - t0;
}

// What findfirst is asked for a plain name, in one call.
long long AttributesOnce(TCase& c)
{
    long long t0 = Now();
    DWORD dwAttributes = GetFileAttributesA(c.Path);
    long long t1 = Now();
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        Fail("no attributes of %s", c.Path);
    return t1 - t0;
}

// The floor without a read: the file mapped and CreateDIBitmap given the
// bits in the view.
long long MappedOnce(TCase& c)
{
    long long t0 = Now();
    HANDLE hFile = CreateFileA(c.Path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    HANDLE hMapping = hFile != INVALID_HANDLE_VALUE ? CreateFileMappingA(hFile, NULL, PAGE_READONLY, 0, 0, NULL) : NULL;
    const BYTE* view = hMapping ? (const BYTE*)MapViewOfFile(hMapping, FILE_MAP_READ, 0, 0, 0) : 0;
    HBITMAP hBitmap = 0;
    if (view) {
        const BITMAPFILEHEADER* fh = (const BITMAPFILEHEADER*)view;
        const BITMAPINFO* info = (const BITMAPINFO*)(view + sizeof *fh);
        hBitmap = CreateDIBitmap(hScreenDC, &info->bmiHeader, CBM_INIT, view + fh->bfOffBits, info, DIB_RGB_COLORS);
        UnmapViewOfFile(view);
    }
    if (hMapping)
        CloseHandle(hMapping);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    long long t1 = Now();
    if (!hBitmap)
        Fail("cannot load %s through a mapping", c.Path);
    DeleteObject(hBitmap);
    return t1 - t0;
}

// Constructing one image object from the DIB already read; deleting it is
// not timed.
template <class T>
long long ObjectOnce(TCase& c, const char* what)
{
    long long t0 = Now();
    T* object = 0;
    try {
        object = new T(*c.Dib, 0);
    } catch (...) {
        Fail("%s failed on %s", what, c.Path);
    }
    long long t1 = Now();
    delete object;
    return t1 - t0;
}

long long TBitmapOnce(TCase& c)
{
    return ObjectOnce<TBitmap>(c, "TBitmap");
}

long long TPaletteOnce(TCase& c)
{
    return ObjectOnce<TPalette>(c, "TPalette");
}

// CreateDIBitmap alone, from the DIB already read.
long long ConvertOnce(TCase& c)
{
    long long t0 = Now();
    HBITMAP hBitmap =
        CreateDIBitmap(hScreenDC, c.Dib->GetInfoHeader(), CBM_INIT, c.Dib->GetBits(), c.Dib->GetInfo(), DIB_RGB_COLORS);
    long long t1 = Now();
    if (!hBitmap)
        Fail("CreateDIBitmap failed on %s", c.Path);
    DeleteObject(hBitmap);
    return t1 - t0;
}

struct TContender {
    const char* Name;
    long long (*Run)(TCase&);
    bool Detail;
};

enum { kLoadFile, kLoadImage, kFloor, kDibRead, kBareRead };

const TContender contenders[] = {
    {"LoadFileBitmap", LoadFileBitmapOnce, false},
    {"LoadImageA", LoadImageOnce, false},
    {"floor (read + CreateDIBitmap)", FloorOnce, false},
    {"TDib read", DibReadOnce, false},
    {"bare read", BareReadOnce, false},
    {"bare read into a buffer in use", WarmReadOnce, true},
    {"  into a new block, its pages touched", TouchedBlockReadOnce, true},
    {"findfirst", FindFirstOnce, true},
    {"GetFileAttributesA", AttributesOnce, true},
    {"TBitmap(dib, 0)", TBitmapOnce, true},
    {"TPalette(dib, 0)", TPaletteOnce, true},
    {"CreateDIBitmap from the TDib", ConvertOnce, true},
    {"map the file + CreateDIBitmap", MappedOnce, true},
};
const int kContenders = sizeof contenders / sizeof contenders[0];

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
    bool bDetail = false;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--rounds") && i + 1 < argc && atoi(argv[i + 1]) > 0) {
            iRounds = atoi(argv[++i]);
        } else if (!strcmp(argv[i], "--detail")) {
            bDetail = true;
        } else {
            fprintf(stderr, "usage: load_bench [--rounds N] [--detail]\n");
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

    TCase cases[] = {{640, 480, 10 * iRounds, "", 0, 0}, {4096, 4096, iRounds, "", 0, 0}};
    DWORD dwLargest = 0;
    for (TCase& c : cases) {
        snprintf(c.Path, sizeof c.Path, "%s\\%dx%d.bmp", szFolder, c.Width, c.Height);
        WriteBmp(c);
        dwLargest = std::max(dwLargest, c.FileSize);
    }
    pBuffer = (BYTE*)VirtualAlloc(NULL, dwLargest, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!pBuffer)
        Fail("no buffer");
    memset(pBuffer, 0, dwLargest);

    printf(
        "load_bench: 8-bit BMP, 256 colours; screen %d bits per pixel. Contenders interleaved,\n"
        "order rotated each round, %d rounds at 640x480 and %d at 4096x4096; medians in ms.\n"
        "One untimed round first: every round reads the files from the OS cache. The floor\n"
        "and the bare read, like LoadFileBitmap, read into a new block each time.\n\n",
        iBitsPixel, 10 * iRounds, iRounds);

    std::vector<int> active;
    for (int k = 0; k < kContenders; k++)
        if (!contenders[k].Detail || bDetail)
            active.push_back(k);

    double medians[2][kContenders] = {};
    for (int s = 0; s < 2; s++) {
        TCase& c = cases[s];
        CheckAlike(c);
        if (bDetail) {
            TReadResult result = {};
            try {
                c.Dib = new TDib(c.Path, &result);
            } catch (...) {
                Fail("TDib cannot read %s (refusal %d)", c.Path, result.Refusal);
            }
        }
        std::vector<std::vector<double>> samples(kContenders);
        const int n = (int)active.size();
        for (int r = -1; r < c.Rounds; r++) {
            for (int j = 0; j < n; j++) {
                int k = active[(j + (r < 0 ? 0 : r)) % n];
                long long ticks = contenders[k].Run(c);
                if (r >= 0)
                    samples[k].push_back(Ms(ticks));
            }
        }
        for (int k : active)
            medians[s][k] = Median(samples[k]);
        delete c.Dib;
        c.Dib = 0;
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

    if (bDetail) {
        printf("\nparts, medians in ms:\n%-36s %10s %10s\n", "", "640x480", "4096x4096");
        for (int k : active)
            printf("%-36s %10.3f %10.3f\n", contenders[k].Name, medians[0][k], medians[1][k]);
    }
    printf("\n(%.1f s)\n", Ms(Now() - tStart) / 1000);

    VirtualFree(pBuffer, 0, MEM_RELEASE);
    ReleaseDC(NULL, hScreenDC);
    Cleanup();
    // A goal missed fails make bench; one that could not be judged does not.
    return bTrueColour && !bMet ? 1 : 0;
}
