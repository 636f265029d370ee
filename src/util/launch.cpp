// The launch actions behind the splash dialog's first button.
#include "util.h"

int CheckAndLaunch(const char* /*szAppKey*/, const char* /*szInstallName*/)
{
    return 0;
}
