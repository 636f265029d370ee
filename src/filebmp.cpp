// Loading and releasing the splash picture. No picture is read yet: the
// dialog comes up with an empty frame.
#include "filebmp.h"

HBITMAP LoadFileBitmap(char* /*lpFileName*/, HPALETTE* /*lphPalette*/)
{
    return NULL;
}

void DeleteBitmap(HBITMAP hBitmap, HPALETTE hPalette)
{
    DeleteObject(hBitmap);
    DeleteObject(hPalette);
}
