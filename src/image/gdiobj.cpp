// GDI objects, their registry of reference counts, palettes and bitmaps.
#include "gdiobj.h"

#include "dc.h"
#include "dib.h"

#include <stdlib.h>

TGdiObject::TObjInfo* TGdiObject::ObjInfo;
int TGdiObject::ObjCount;
int TGdiObject::ObjCapacity;

TGdiObject::TObjInfo* TGdiObject::RefFind(HANDLE handle)
{
    if (!handle)
        return 0;
    for (int i = 0; i < ObjCount; i++)
        if (ObjInfo[i].Handle == handle)
            return &ObjInfo[i];
    return 0;
}

bool TGdiObject::RefAdd(HANDLE handle, TType type)
{
    if (!handle || RefFind(handle))
        return true;
    if (ObjCount == ObjCapacity) {
        int iCapacity = ObjCapacity ? ObjCapacity * 2 : 29;
        TObjInfo* grown = (TObjInfo*)realloc(ObjInfo, iCapacity * sizeof(TObjInfo));
        if (!grown)
            return false;
        ObjInfo = grown;
        ObjCapacity = iCapacity;
    }
    ObjInfo[ObjCount++] = {handle, type, 1};
    return true;
}

void TGdiObject::RefRemove(HANDLE handle)
{
    TObjInfo* info = RefFind(handle);
    if (!info)
        return;
    *info = ObjInfo[--ObjCount];
    // The table goes with its last record.
    if (!ObjCount) {
        free(ObjInfo);
        ObjInfo = 0;
        ObjCapacity = 0;
    }
}

void TGdiObject::RefInc(HANDLE handle)
{
    if (TObjInfo* info = RefFind(handle))
        info->RefCount++;
}

bool TGdiObject::RefDec(HANDLE handle, bool /*ignored*/)
{
    TObjInfo* info = RefFind(handle);
    if (!info || --info->RefCount > 0)
        return true;
    // Called from destructors, so a failed deletion is not raised: the
    // record stays at count 0, where RefCount shows it.
    if (!DeleteObject(handle))
        return false;
    RefRemove(handle);
    return true;
}

int TGdiObject::RefCount(HANDLE handle)
{
    TObjInfo* info = RefFind(handle);
    return info ? info->RefCount : -1;
}

TGdiObject::~TGdiObject()
{
    if (ShouldDelete)
        RefDec(Handle, true);
}

void TGdiObject::Register(TType type)
{
    if (!RefAdd(Handle, type)) {
        DeleteObject(Handle);
        Handle = 0;
        throw TXOutOfMemory();
    }
}

TPalette::TPalette(const TDib& dib, uint flags)
{
    Create(dib.GetInfo(), flags);
}

void TPalette::Create(const BITMAPINFO* info, uint flags)
{
    const BITMAPINFOHEADER& header = info->bmiHeader;
    uint16 count = (uint16)(header.biClrUsed ? header.biClrUsed : TDib::NColors(header.biBitCount));
    const RGBQUAD* colors = (const RGBQUAD*)((const BYTE*)info + 40 + (header.biCompression == BI_BITFIELDS ? 12 : 0));

    if (count) {
        LOGPALETTE* table = (LOGPALETTE*)malloc(sizeof(LOGPALETTE) + 4 * (count - 1));
        if (!table)
            throw TXOutOfMemory();
        table->palVersion = 0x300;
        table->palNumEntries = count;
        for (uint16 i = 0; i < count; i++) {
            table->palPalEntry[i].peRed = colors[i].rgbRed;
            table->palPalEntry[i].peGreen = colors[i].rgbGreen;
            table->palPalEntry[i].peBlue = colors[i].rgbBlue;
            table->palPalEntry[i].peFlags = (BYTE)flags;
        }
        Handle = CreatePalette(table);
        free(table);
    }
    CheckValid(IDS_GDI_CREATE_FAILED);
    Register(Palette);
}

TBitmap::TBitmap(const TDib& dib, const TPalette* palette)
{
    if (palette) {
        Create(dib, *palette);
    } else {
        TPalette temporary(dib, 0);
        Create(dib, temporary);
    }
}

void TBitmap::Create(const TDib& dib, const TPalette& palette)
{
    TScreenDC dc;
    dc.SelectObject(palette, false);
    RealizePalette(dc);
    Handle = CreateDIBitmap(dc, dib.GetInfoHeader(), CBM_INIT, dib.GetBits(), dib.GetInfo(), dib.Usage());
    CheckValid(IDS_GDI_CREATE_FAILED);
    Register(Bitmap);
}
