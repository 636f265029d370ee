// What an exception that nobody catches does. The compiler runtime's own
// handler prints the exception's demangled type, which brings in the
// demangler and a formatted-output library: most of the launcher's size.
#include <stdlib.h>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    abort();
}
}  // namespace __gnu_cxx
