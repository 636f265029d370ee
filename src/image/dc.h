// Device contexts, as far as making a bitmap needs them: the screen's
// context, which remembers the palette it held before one was selected into
// it and puts that back when it is released.
#ifndef AUTORUN_IMAGE_DC_H
#define AUTORUN_IMAGE_DC_H

#include "gdibase.h"

class TPalette;

class TDC : public TGdiBase {
public:
    virtual ~TDC() {}
    operator HDC() const { return (HDC)Handle; }

    // Selects the palette, which then holds a reference for the selection.
    void SelectObject(const TPalette& palette, bool forceBackground);
    // Puts back the palette the context held before the first selection.
    void RestorePalette();
    void RestoreObjects();

protected:
    TDC() : OrgPalette(0) {}

    HPALETTE OrgPalette;
};

class TWindowDC : public TDC {
public:
    // The context of the whole window, frame included; null for the screen.
    explicit TWindowDC(HWND wnd);
    ~TWindowDC() override;

protected:
    HWND Wnd;
};

class TScreenDC : public TWindowDC {
public:
    TScreenDC() : TWindowDC(0) {}
};

#endif
