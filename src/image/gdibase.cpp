// The base of the handle wrappers.
#include "gdibase.h"

TGdiBase::TGdiBase() : Handle(0), ShouldDelete(true) {}

TGdiBase::TGdiBase(HANDLE handle, TAutoDelete autoDelete) : Handle(handle), ShouldDelete(autoDelete == AutoDelete) {}

void TGdiBase::CheckValid(uint resId)
{
    CheckValid(Handle, resId);
}

void TGdiBase::CheckValid(HANDLE handle, uint resId)
{
    if (!handle)
        TXGdi::Raise(resId, 0);
}
