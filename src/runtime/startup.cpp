// Process start-up. The compiler runtime initialises itself and calls main;
// its own WinMain glue would pass the STARTUPINFO show state and skip the
// program name by other rules, so WinMain is called from here instead.
#include <windows.h>

#include "runtime.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdLine, int nCmdShow);

int main()
{
    return WinMain(GetModuleHandleA(NULL), NULL,
                   const_cast<LPSTR>(SkipProgramName(GetCommandLineA())), SW_SHOWDEFAULT);
}
