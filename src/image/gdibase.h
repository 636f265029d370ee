// The base of the image classes that wrap a platform handle.
#ifndef AUTORUN_IMAGE_GDIBASE_H
#define AUTORUN_IMAGE_GDIBASE_H

#include <windows.h>

#include "except.h"

typedef unsigned short uint16;
typedef unsigned int uint32;
typedef unsigned long long uint64;

class TGdiBase {
public:
    enum TAutoDelete { NoAutoDelete, AutoDelete };

    // Raises TXGdi resId (null handle) when there is no handle.
    void CheckValid(uint resId);
    static void CheckValid(HANDLE handle, uint resId);

    TGdiBase(const TGdiBase&) = delete;
    TGdiBase& operator=(const TGdiBase&) = delete;

protected:
    // No handle yet; one set later is owned.
    TGdiBase();
    TGdiBase(HANDLE handle, TAutoDelete autoDelete);
    ~TGdiBase() {}

    HANDLE Handle;
    bool ShouldDelete;
};

#endif
