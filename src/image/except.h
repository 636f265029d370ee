// The errors that the image classes raise. No strings are attached to their
// resource ids, so every message reads "Exception #<id> (no message
// available)."
#ifndef AUTORUN_IMAGE_EXCEPT_H
#define AUTORUN_IMAGE_EXCEPT_H

#include <windows.h>

typedef unsigned int uint;

// Resource ids of the image classes' errors, all in one place.
enum : uint {
    IDS_DIB_READ_FAILED = 32735,    // a DIB cannot be read from its file
    IDS_DIB_NOT_INFO_FORM = 32732,  // a DIB block whose header is not the 40-byte form
    IDS_GDI_CREATE_FAILED = 32739,  // a palette, bitmap or screen context cannot be made
    IDS_GDI_DELETE_FAILED = 32734,  // a GDI object cannot be deleted
    IDS_OUT_OF_MEMORY = 32761,      // memory cannot be obtained
};

// The common base: the message text.
class TXBase {
public:
    explicit TXBase(const char* szText = "");
    const char* Text() const { return szMessage; }

protected:
    char szMessage[64];
};

// An error with the resource id of its message.
class TXLib : public TXBase {
public:
    explicit TXLib(uint resId);

    uint ResId;
};

// A failed operation on a platform handle.
class TXGdi : public TXLib {
public:
    TXGdi(uint resId, HANDLE handle);
    [[noreturn]] static void Raise(uint resId, HANDLE handle = 0);
};

// Memory cannot be obtained.
class TXOutOfMemory : public TXLib {
public:
    TXOutOfMemory();
};

#endif
