// The screen's device context and its palette selections.
#include "dc.h"

#include "gdiobj.h"

void TDC::SelectObject(const TPalette& palette, bool forceBackground)
{
    HPALETTE previous = SelectPalette(*this, palette.GetHandle(), forceBackground);
    if (!previous)
        return;
    TGdiObject::RefInc(palette.GetHandle());
    if (!OrgPalette)
        OrgPalette = previous;
    else
        TGdiObject::RefDec(previous, false);
}

void TDC::RestorePalette()
{
    if (!OrgPalette)
        return;
    TGdiObject::RefDec(SelectPalette(*this, OrgPalette, FALSE), false);
    OrgPalette = 0;
}

void TDC::RestoreObjects()
{
    RestorePalette();
}

TWindowDC::TWindowDC(HWND wnd) : Wnd(wnd)
{
    Handle = GetWindowDC(wnd);
    CheckValid(IDS_GDI_CREATE_FAILED);
}

TWindowDC::~TWindowDC()
{
    RestoreObjects();
    if (ShouldDelete)
        ReleaseDC(Wnd, (HDC)Handle);
    Handle = 0;
}
