// Per-thread services of the compiler runtime, for a program of one thread.
// The launcher runs on one thread, and the runtime's general versions cost
// about 3 KB of code, tables and imports.
#include <windows.h>

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

// Destructors of thread-local keys, to run as each thread ends. The code that
// would run them comes with the C runtime's start-up code, which the launcher
// does without (startup.cpp), and its one thread ends with the process.
extern "C" int __mingwthr_key_dtor(DWORD, void (*)(void*))
{
    return 0;
}
