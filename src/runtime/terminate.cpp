// What an exception that nobody catches does. The compiler runtime's own
// handler prints the exception's demangled type, which brings in the
// demangler and a formatted-output library: most of the launcher's size.
#include <windows.h>

#include <stdlib.h>

// The end of a program that cannot go on: nothing registered with atexit
// runs, and the exit code is 3, as the C runtime's abort gives.
extern "C" void abort()
{
    ExitProcess(3);
}

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    abort();
}
}  // namespace __gnu_cxx
