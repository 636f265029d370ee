// The splash picture: the picture file read into a device bitmap and a
// palette, which stay here until the splash window releases them.
#include "filebmp.h"

#include "image/dib.h"
#include "image/gdiobj.h"
#include "resources/resource.h"
#include "runtime/runtime.h"

static TBitmap* pBitmap;
static TPalette* pBitmapPalette;
static char messageBuffer[129];
static char titleBuffer[129];

// The picture's error box, before the dialog exists.
static void ReportPictureError(UINT uMessageId)
{
    LoadStringA(GetModuleHandleA(NULL), IDS_ERROR, titleBuffer, 128);
    LoadStringA(GetModuleHandleA(NULL), uMessageId, messageBuffer, 128);
    MessageBoxExA(NULL, messageBuffer, titleBuffer, MB_OK, 0);
}

UINT ReadFileBitmap(char* lpFileName, HBITMAP* lphBitmap, HPALETTE* lphPalette, TReadResult* pResult)
{
    struct ffblk ffblk;

    if (findfirst(lpFileName, &ffblk, 0))
        return IDS_INVALID_FILE_NAME;

    // Any failure, the reader's, the display's or the heap's, leaves nothing
    // made and is reported alike: the caller gets a complete pair or null.
    try {
        TDib DIB(lpFileName, pResult);
        if (DIB.IsOK()) {
            pBitmap = new TBitmap(DIB, 0);
            try {
                pBitmapPalette = new TPalette(DIB, 0);
            } catch (...) {
                delete pBitmap;
                pBitmap = 0;
                throw;
            }
            *lphPalette = pBitmapPalette->GetHandle();
            *lphBitmap = pBitmap->GetHandle();
            return 0;
        }
    } catch (...) {
    }
    return IDS_INVALID_BITMAP;
}

HBITMAP LoadFileBitmap(char* lpFileName, HPALETTE* lphPalette)
{
    HBITMAP hBitmap = NULL;
    UINT uMessageId = ReadFileBitmap(lpFileName, &hBitmap, lphPalette);

    if (uMessageId)
        ReportPictureError(uMessageId);
    return hBitmap;
}

void DeleteBitmap(HBITMAP hBitmap, HPALETTE hPalette)
{
    // Forgotten once deleted: a later load and release must not meet them.
    if (pBitmap)
        delete pBitmap;
    else
        DeleteObject(hBitmap);
    pBitmap = 0;
    if (pBitmapPalette)
        delete pBitmapPalette;
    else
        DeleteObject(hPalette);
    pBitmapPalette = 0;
}
