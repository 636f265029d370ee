// Per-thread services of the compiler runtime, for a program of one thread.
// The launcher runs on one thread, and the runtime's general versions cost
// about 3 KB of code, tables and imports.
#include <windows.h>

#include <bits/gthr.h>
#include <cxxabi.h>

namespace __cxxabiv1 {

// The C++ ABI's exception-handling globals: the stack of caught exceptions
// and the count of uncaught ones. The runtime keeps a set per thread, in
// emulated thread-local storage.
struct __cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

static __cxa_eh_globals ehGlobals;

extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept
{
    return &ehGlobals;
}

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept
{
    return &ehGlobals;
}

}  // namespace __cxxabiv1

// The lock of the runtime's emergency pool for exceptions thrown when the
// heap is full: with one thread nobody else takes it, so there is nothing
// to create, wait for or release.
extern "C" void __gthr_win32_mutex_init_function(__gthread_mutex_t*) {}

extern "C" void __gthr_win32_mutex_destroy(__gthread_mutex_t*) {}

extern "C" int __gthr_win32_mutex_lock(__gthread_mutex_t*)
{
    return 0;
}

extern "C" int __gthr_win32_mutex_unlock(__gthread_mutex_t*)
{
    return 0;
}

// The 32-bit unwinder guards its table of registered frames with a
// semaphore that it creates, without a name, through CreateSemaphoreW, which
// the Windows 95 family does not implement. Its import slot is defined here,
// so the call lands on the ANSI function, which every Windows implements and
// which does the same for a semaphore without a name. (The 64-bit unwinder
// finds frames in the image's own exception directory.)
#ifndef _WIN64
static HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES lpAttributes, LONG lInitialCount, LONG lMaximumCount,
                                            LPCWSTR)
{
    return CreateSemaphoreA(lpAttributes, lInitialCount, lMaximumCount, NULL);
}

typedef decltype(&CreateSemaphoreW) PCreateSemaphoreW;
extern "C" const PCreateSemaphoreW pCreateSemaphoreW asm("__imp__CreateSemaphoreW@16") = CreateUnnamedSemaphore;
#endif
