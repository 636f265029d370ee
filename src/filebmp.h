// The splash picture: loading the picture file into a device bitmap and a
// palette, and releasing both.
#ifndef AUTORUN_FILEBMP_H
#define AUTORUN_FILEBMP_H

#include <windows.h>

HBITMAP LoadFileBitmap(char* lpFileName, HPALETTE* lphPalette);
void DeleteBitmap(HBITMAP hBitmap, HPALETTE hPalette);

#endif
