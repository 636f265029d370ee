// The image classes' errors.
#include "except.h"

TXBase::TXBase(const char* szText)
{
    lstrcpynA(szMessage, szText, sizeof szMessage);
}

// The message would be the string-table entry of resId; there is none, so
// the text says which id it was. wsprintfA keeps the C runtime's formatting
// out of the launcher.
TXLib::TXLib(uint resId) : ResId(resId)
{
    wsprintfA(szMessage, "Exception #%u (no message available).", resId);
}

// The handle would be the argument of the entry's format; with no entry
// there is nothing to put it in.
TXGdi::TXGdi(uint resId, HANDLE /*handle*/) : TXLib(resId) {}

void TXGdi::Raise(uint resId, HANDLE handle)
{
    throw TXGdi(resId, handle);
}

TXOutOfMemory::TXOutOfMemory() : TXLib(IDS_OUT_OF_MEMORY) {}
