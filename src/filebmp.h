// The splash picture: loading the picture file into a device bitmap and a
// palette, and releasing both.
#ifndef AUTORUN_FILEBMP_H
#define AUTORUN_FILEBMP_H

#include <windows.h>

struct TReadResult;

// The picture file as a device bitmap and a palette: 0, or the id of the
// message that says why not (IDS_INVALID_FILE_NAME, IDS_INVALID_BITMAP);
// what the reader found goes to *pResult when one is given.
UINT ReadFileBitmap(char* lpFileName, HBITMAP* lphBitmap, HPALETTE* lphPalette, TReadResult* pResult = 0);
// The same, with the error box when it fails: the bitmap, or null.
HBITMAP LoadFileBitmap(char* lpFileName, HPALETTE* lphPalette);
void DeleteBitmap(HBITMAP hBitmap, HPALETTE hPalette);

#endif
