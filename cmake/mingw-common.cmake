# Shared part of the MinGW-w64 toolchain files. MINGW_TRIPLE is set by the
# including file; MINGW_THREADS picks the compiler's thread model: the
# launcher is built with "win32" (no winpthread), the tests need "posix"
# because GoogleTest uses std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(MINGW_THREADS "win32" CACHE STRING "thread model of the MinGW-w64 compilers: win32 or posix")
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
