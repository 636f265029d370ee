# What the shipped launcher promises, checked after every link: at most
# 64 KiB with a margin to spare (below), a GUI program that exports only its
# window procedure and imports exactly the functions below. Run as
# cmake -DEXE=... -DOBJDUMP=... -P check_launcher.cmake.
#
# Every function the launcher imports, with the first Windows of each family
# that has it: the Windows 95 family, then the NT family ("x64": only the
# 64-bit Windows have it, the first being XP Professional x64 Edition and
# Server 2003 SP1). They are as the Win32 SDK's reference gives them in each
# function's Requirements ("Windows 95/98/Me: Included in Windows 95 and
# later", "Windows NT/2000/XP: Included in Windows NT 3.1 and later"); the
# current reference starts every such function at Windows 2000 or XP. A last
# column names the only target that imports it: the 32-bit unwinder looks up
# a DLL of the compiler runtime at start-up (FreeLibrary) and locks its table
# of frames (the semaphore calls); the 64-bit one walks the platform's own
# unwind tables.
#
# The 32-bit launcher must start on the first releases of Windows 95 and NT
# 4.0: each of its imports must be there in both, and none is a "W"
# function, which the 95 family exports only as a stub that fails. A function
# of a later Windows is found with GetProcAddress at run time, never
# imported. An import missing from this table fails the build, as does a
# listed one no longer imported: adding an import is a decision.
set(table [[
ADVAPI32 RegCloseKey             95 NT3.1
ADVAPI32 RegOpenKeyExA           95 NT3.1
ADVAPI32 RegQueryValueExA        95 NT3.1
GDI32    BitBlt                  95 NT3.1
GDI32    CreateCompatibleDC      95 NT3.1
GDI32    CreateDIBitmap          95 NT3.1
GDI32    CreatePalette           95 NT3.1
GDI32    DeleteDC                95 NT3.1
GDI32    DeleteObject            95 NT3.1
GDI32    GetObjectA              95 NT3.1
GDI32    RealizePalette          95 NT3.1
GDI32    SelectObject            95 NT3.1
GDI32    SelectPalette           95 NT3.1
KERNEL32 CloseHandle             95 NT3.1
KERNEL32 CreateFileA             95 NT3.1
KERNEL32 CreateProcessA          95 NT3.1
KERNEL32 CreateSemaphoreA        95 NT3.1 i686
KERNEL32 ExitProcess             95 NT3.1
KERNEL32 ExpandEnvironmentStringsA 95 NT3.1
KERNEL32 FindClose               95 NT3.1
KERNEL32 FindFirstFileA          95 NT3.1
KERNEL32 FindNextFileA           95 NT3.1
KERNEL32 FreeLibrary             95 NT3.1 i686
KERNEL32 GetCommandLineA         95 NT3.1
KERNEL32 GetCurrentDirectoryA    95 NT3.1
KERNEL32 GetFileAttributesA      95 NT3.1
KERNEL32 GetFileSize             95 NT3.1
KERNEL32 GetLastError            95 NT3.1
KERNEL32 GetModuleHandleA        95 NT3.1
KERNEL32 GetProcAddress          95 NT3.1
KERNEL32 GetProcessHeap          95 NT3.1
KERNEL32 GetSystemDirectoryA     95 NT3.1
KERNEL32 GlobalAlloc             95 NT3.1
KERNEL32 GlobalFree              95 NT3.1
KERNEL32 GlobalLock              95 NT3.1
KERNEL32 GlobalUnlock            95 NT3.1
KERNEL32 HeapAlloc               95 NT3.1
KERNEL32 HeapFree                95 NT3.1
KERNEL32 HeapReAlloc             95 NT3.1
KERNEL32 LoadLibraryA            95 NT3.1
KERNEL32 LockResource            95 NT3.1
KERNEL32 RaiseException          95 NT3.1 x86_64
KERNEL32 ReadFile                95 NT3.1
KERNEL32 ReleaseSemaphore        95 NT3.1 i686
KERNEL32 RtlCaptureContext       -  x64   x86_64
KERNEL32 RtlLookupFunctionEntry  -  x64   x86_64
KERNEL32 RtlUnwindEx             -  x64   x86_64
KERNEL32 RtlVirtualUnwind        -  x64   x86_64
KERNEL32 SetFilePointer          95 NT3.1
KERNEL32 SetLastError            95 NT3.1
KERNEL32 Sleep                   95 NT3.1 i686
KERNEL32 WaitForSingleObject     95 NT3.1 i686
KERNEL32 lstrcpynA               95 NT3.1
USER32   ClientToScreen          95 NT3.1
USER32   CreateDialogParamA      95 NT3.1
USER32   DefWindowProcA          95 NT3.1
USER32   DestroyWindow           95 NT3.1
USER32   DispatchMessageA        95 NT3.1
USER32   FindWindowA             95 NT3.1
USER32   GetClientRect           95 NT3.1
USER32   GetDC                   95 NT3.1
USER32   GetDlgItem              95 NT3.1
USER32   GetMessageA             95 NT3.1
USER32   GetSystemMetrics        95 NT3.1
USER32   GetWindowDC             95 NT3.1
USER32   GetWindowRect           95 NT3.1
USER32   LoadCursorA             95 NT3.1
USER32   LoadIconA               95 NT3.1
USER32   LoadStringA             95 NT3.1
USER32   MessageBoxA             95 NT3.1
USER32   MessageBoxExA           95 NT3.1
USER32   MoveWindow              95 NT3.1
USER32   PostQuitMessage         95 NT3.1
USER32   RegisterClassA          95 NT3.1
USER32   ReleaseDC               95 NT3.1
USER32   ScreenToClient          95 NT3.1
USER32   SetWindowTextA          95 NT3.1
USER32   ShowWindow              95 NT3.1
USER32   TranslateMessage        95 NT3.1
USER32   wsprintfA               95 NT3.1
]])

cmake_minimum_required(VERSION 3.20)
file(SIZE "${EXE}" size)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
if(dump MATCHES "file format pei-i386")
  set(arch i686)
else()
  set(arch x86_64)
endif()
set(problems "")

# The imports as "DLL Function", the DLL without its extension.
string(REGEX MATCH "The Import Tables.*" idata "${dump}")
string(REGEX MATCHALL "\tDLL Name: [^\n]+|\t[0-9a-f]+\t +[0-9]+ +[^\n]+" entries "${idata}")
set(imported "")
foreach(entry IN LISTS entries)
  if(entry MATCHES "DLL Name: ([^.]+)")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
  elseif(entry MATCHES " ([^ ]+)$")
    list(APPEND imported "${dll} ${CMAKE_MATCH_1}")
  endif()
endforeach()

# The table's rows for this target, each checked against its promise.
string(REGEX MATCHALL "[^\n]+" rows "${table}")
set(listed "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE " +" ";" fields "${row}")
  list(GET fields 0 dll)
  list(GET fields 1 function)
  list(GET fields 2 first95)
  list(GET fields 3 firstNT)
  list(LENGTH fields count)
  if(count GREATER 4)
    list(GET fields 4 only)
    if(NOT only STREQUAL arch)
      continue()
    endif()
  endif()
  list(APPEND listed "${dll} ${function}")
  if(arch STREQUAL "i686" AND (NOT first95 STREQUAL "95" OR NOT firstNT MATCHES "^NT(3\\.1|3\\.5|3\\.51|4\\.0)$"
     OR function MATCHES "W$"))
    string(APPEND problems " lists ${dll} ${function} (Windows ${first95} and ${firstNT}), which a 32-bit\
 launcher may not import;")
  endif()
endforeach()
foreach(entry IN LISTS imported)
  if(NOT entry IN_LIST listed)
    string(APPEND problems " imports ${entry}, which cmake/check_launcher.cmake does not list for ${arch};")
  endif()
endforeach()
foreach(entry IN LISTS listed)
  if(NOT entry IN_LIST imported)
    string(APPEND problems " no longer imports ${entry}: take it off the list;")
  endif()
endforeach()

string(REGEX MATCH "Name Pointer\\] Table\n(\t\\[[^\n]*\n)*" exports "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" exports "${exports}")
string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" exports "${exports}")
# The file grows in steps of its 512-byte alignment. The margin is one step:
# the build fails while one step is still left, so that the launcher's last
# 512 bytes go to a change only by a decision to lower the margin, not to
# whatever change happens to fit.
set(margin 512)
math(EXPR headroom "65536 - ${size}")
if(headroom LESS margin)
  string(APPEND problems " ${size} bytes, ${headroom} under 65,536, where ${margin} must be left;")
endif()
if(NOT exports STREQUAL "WndProc")
  string(APPEND problems " exports '${exports}';")
endif()
if(NOT dump MATCHES "\nSubsystem[ \t]+00000002")
  string(APPEND problems " not a GUI program;")
endif()
if(problems)
  file(REMOVE "${EXE}")
  message(FATAL_ERROR "${EXE}:${problems}")
endif()
list(LENGTH imported count)
message(STATUS "${EXE}: ${size} bytes, ${headroom} under 65,536; imports the ${count} functions listed for ${arch}")
