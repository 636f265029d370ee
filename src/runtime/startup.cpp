// Process start-up. The launcher is entered here, not through the C
// runtime's start-up code: that code also parses arguments, sets up
// thread-local destructors, pseudo-relocations and signal handling, none of
// which the launcher uses, and its WinMain glue would pass the STARTUPINFO
// show state and skip the program name by other rules.
#include <windows.h>

#include <stdlib.h>

#include "runtime.h"

// The compiler runtime's static constructors; among them the one that
// registers this module's unwind tables, without which no throw is caught.
extern "C" void __main();
// Tells msvcrt how to report a fatal error: in a message box, not on stderr.
extern "C" void __set_app_type(int);
const int GUI_APP = 2;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdLine, int nCmdShow);

// The start-up code we leave out is also where atexit lives: msvcrt exports
// it as data only. Its table is msvcrt's own, run by exit().
extern "C" int __cdecl atexit(void(__cdecl* pfnFunction)(void))
{
    return _onexit(reinterpret_cast<_onexit_t>(pfnFunction)) ? 0 : -1;
}

// The loader calls this with only the platform's stack alignment, 4 bytes on
// 32-bit Windows; the code the compiler makes may expect 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup()
{
    __set_app_type(GUI_APP);
    __main();
    exit(WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(SkipProgramName(GetCommandLineA())), SW_SHOWDEFAULT));
}
