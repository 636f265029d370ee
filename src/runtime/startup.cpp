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

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpszCmdLine, int nCmdShow);

// What runs at exit, the last registered first: the static destructors and
// the unwind tables' release, which the compiler runtime registers. The C
// standard asks for room for 32.
static void (*pfnAtExit[32])();
static int iAtExit;

extern "C" int atexit(void (*pfnFunction)())
{
    if (iAtExit == 32)
        return -1;
    pfnAtExit[iAtExit++] = pfnFunction;
    return 0;
}

extern "C" void exit(int iCode)
{
    while (iAtExit > 0)
        pfnAtExit[--iAtExit]();
    ExitProcess((UINT)iCode);
}

// DLLs that the launcher or a system DLL loads by name are looked for in the
// system folder only, never beside the launcher on the disc or in the current
// directory, where anyone who copies the disc can put one. Neither function is
// imported, so that Windows 95, which has neither, still starts the launcher;
// where only the second is there it takes the current directory out of the
// search.
static void RestrictDllSearch()
{
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    auto pSetDefaultDllDirectories = reinterpret_cast<BOOL(WINAPI*)(DWORD)>(
        reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDefaultDllDirectories")));
    if (pSetDefaultDllDirectories && pSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    auto pSetDllDirectoryA =
        reinterpret_cast<BOOL(WINAPI*)(LPCSTR)>(reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDllDirectoryA")));
    if (pSetDllDirectoryA)
        pSetDllDirectoryA("");
}

// The loader calls this with only the platform's stack alignment, 4 bytes on
// 32-bit Windows; the code the compiler makes may expect 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup()
{
    RestrictDllSearch();
    __main();
    exit(WinMain(GetModuleHandleA(NULL), NULL, const_cast<LPSTR>(SkipProgramName(GetCommandLineA())), SW_SHOWDEFAULT));
}
