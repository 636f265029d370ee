// A bitmap resource loaded as a device bitmap, with a palette made from its
// colour table.
//
// The resources served are packed DIBs with a 40-byte header, no colour
// masks, and for 1, 4 and 8 bits per pixel a full table of 1 << bits
// entries (biClrUsed 0 or equal to that); 16, 24 and 32 bits have no table.
// A resource outside that (another header size, bit-field masks, a shorter
// or an extra table, bits or a table reaching past the resource's data, a
// zero width or height) gives a null result and a null palette: read the way
// the table and the bits are located here, it would give wrong colours or
// reads beyond the resource.
#include "util.h"

#include <string.h>

// The entries of a full table, which a served DIB of this bit count holds.
static int FullTableEntries(WORD wBitCount)
{
    return wBitCount <= 8 ? 1 << wBitCount : 0;
}

// Whether the resource of dwSize bytes at lpbi is a DIB as described above.
static bool IsServedDib(const BITMAPINFOHEADER* lpbi, DWORD dwSize)
{
    if (dwSize < sizeof(BITMAPINFOHEADER) || lpbi->biSize != sizeof(BITMAPINFOHEADER) || lpbi->biPlanes != 1 ||
        lpbi->biWidth <= 0 || lpbi->biHeight == 0)
        return false;
    WORD wBits = lpbi->biBitCount;
    if (wBits != 1 && wBits != 4 && wBits != 8 && wBits != 16 && wBits != 24 && wBits != 32)
        return false;
    unsigned long long ullTable = FullTableEntries(wBits);
    if (lpbi->biClrUsed != 0 && lpbi->biClrUsed != ullTable)
        return false;

    unsigned long long ullBits;
    if (lpbi->biCompression == BI_RGB) {
        unsigned long long ullStride = ((unsigned long long)wBits * lpbi->biWidth + 31) / 32 * 4;
        long long llHeight = lpbi->biHeight;
        ullBits = ullStride * (unsigned long long)(llHeight < 0 ? -llHeight : llHeight);
    } else if ((lpbi->biCompression == BI_RLE8 && wBits == 8) || (lpbi->biCompression == BI_RLE4 && wBits == 4)) {
        ullBits = lpbi->biSizeImage;
    } else {
        return false;
    }
    // Every term is below 2^48, so the sum cannot overflow.
    return sizeof(BITMAPINFOHEADER) + 4 * ullTable + ullBits <= dwSize;
}

HPALETTE CreateDIBPalette(const BITMAPINFO* lpbmi, int* lpiNumColors)
{
    const BITMAPINFOHEADER* lpbi = &lpbmi->bmiHeader;
    int iCount = FullTableEntries(lpbi->biBitCount);
    *lpiNumColors = iCount;
    if (!iCount)
        return NULL;

    HGLOBAL hLogPal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8 + 4 * iCount);
    if (!hLogPal)
        return NULL;
    LOGPALETTE* lpPal = (LOGPALETTE*)GlobalLock(hLogPal);
    if (!lpPal) {
        GlobalFree(hLogPal);
        return NULL;
    }
    lpPal->palVersion = 0x300;
    lpPal->palNumEntries = (WORD)iCount;
    for (int i = 0; i < iCount; i++) {
        lpPal->palPalEntry[i].peRed = lpbmi->bmiColors[i].rgbRed;
        lpPal->palPalEntry[i].peGreen = lpbmi->bmiColors[i].rgbGreen;
        lpPal->palPalEntry[i].peBlue = lpbmi->bmiColors[i].rgbBlue;
        lpPal->palPalEntry[i].peFlags = 0;
    }
    HPALETTE hPal = CreatePalette(lpPal);
    GlobalUnlock(hLogPal);
    GlobalFree(hLogPal);
    return hPal;
}

HBITMAP LoadResourceBitmap(HINSTANCE hInstance, const char* lpString, HPALETTE* lphPalette)
{
    HRSRC hRsrc = FindResourceA(hInstance, lpString, (LPCSTR)RT_BITMAP);
    if (!hRsrc)
        return NULL;

    *lphPalette = NULL;
    HGLOBAL hGlobal = LoadResource(hInstance, hRsrc);
    const BITMAPINFOHEADER* lpbi = hGlobal ? (const BITMAPINFOHEADER*)LockResource(hGlobal) : NULL;
    if (!lpbi || !IsServedDib(lpbi, SizeofResource(hInstance, hRsrc)))
        return NULL;

    HBITMAP hBitmapFinal = NULL;
    HDC hdc = GetDC(NULL);
    if (hdc) {
        int iNumColors;
        *lphPalette = CreateDIBPalette((const BITMAPINFO*)lpbi, &iNumColors);
        if (*lphPalette) {
            SelectPalette(hdc, *lphPalette, FALSE);
            RealizePalette(hdc);
        }
        hBitmapFinal = CreateDIBitmap(hdc, lpbi, CBM_INIT, (const BYTE*)lpbi + lpbi->biSize + 4 * iNumColors,
                                      (const BITMAPINFO*)lpbi, DIB_RGB_COLORS);
        ReleaseDC(NULL, hdc);
    }
    FreeResource(hGlobal);
    return hBitmapFinal;
}
