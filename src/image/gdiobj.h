// GDI objects made from a DIB: a logical palette and a device bitmap in the
// screen's format, owning their handles through a process-wide registry of
// reference counts, so that a handle still selected into a device context
// is deleted only when that selection is undone.
#ifndef AUTORUN_IMAGE_GDIOBJ_H
#define AUTORUN_IMAGE_GDIOBJ_H

#include "gdibase.h"

class TDib;

class TGdiObject : public TGdiBase {
public:
    enum TType : unsigned char { None, Pen, Brush, Font, Palette, Bitmap, TextBrush };

    struct TObjInfo {
        HANDLE Handle;
        TType Type;
        signed char RefCount;
    };

    // The registry. A null handle is never registered.
    static TObjInfo* RefFind(HANDLE handle);
    // Registers a handle with count 1; false when the table cannot grow.
    static bool RefAdd(HANDLE handle, TType type);
    static void RefRemove(HANDLE handle);
    static void RefInc(HANDLE handle);
    // At count 0 the GDI object is deleted and its record removed; if the
    // deletion fails the record stays with count 0 and the result is false.
    // The flag is taken and ignored: the count alone decides.
    static bool RefDec(HANDLE handle, bool ignored);
    // The count, or -1 for a handle that is not registered.
    static int RefCount(HANDLE handle);
    // How many handles are registered.
    static int RefRecords() { return ObjCount; }

protected:
    TGdiObject() {}
    ~TGdiObject();

    // Registers a handle just made, deleting it if the registry cannot take it.
    void Register(TType type);

private:
    static TObjInfo* ObjInfo;
    static int ObjCount;
    static int ObjCapacity;
};

class TPalette : public TGdiObject {
public:
    // A palette of the DIB's colour table, every entry with `flags`.
    TPalette(const TDib& dib, uint flags);
    HPALETTE GetHandle() const { return (HPALETTE)Handle; }

private:
    void Create(const BITMAPINFO* info, uint flags);
};

class TBitmap : public TGdiObject {
public:
    // A bitmap in the screen's format with the DIB's pixels, mapped through
    // `palette`, or through a palette of the DIB's own when that is null.
    TBitmap(const TDib& dib, const TPalette* palette);
    HBITMAP GetHandle() const { return (HBITMAP)Handle; }

private:
    void Create(const TDib& dib, const TPalette& palette);
};

#endif
