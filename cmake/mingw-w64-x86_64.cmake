# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# for std::thread). Programs are linked statically, so they need no runtime
# DLLs beside the system's own, and run under Wine through the emulator below.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PEDESTAL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PEDESTAL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PEDESTAL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PEDESTAL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PEDESTAL_MINGW} ${PEDESTAL_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The C99 printf family, so that %zu and %lld mean what they mean elsewhere.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
# -O2 as on Linux: at -O3 GCC 12 warns falsely (-Wrestrict) inside std::string.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")

# PEDESTAL_WIN_PREFIX holds what Debian ships only for the build machine:
# googletest built for Windows, and header-only libraries such as CLI11.
if(PEDESTAL_WIN_PREFIX)
  string(APPEND CMAKE_CXX_FLAGS_INIT " -isystem ${PEDESTAL_WIN_PREFIX}/include")
endif()

# ctest runs each test program through Wine; PEDESTAL_WINE names the loader.
if(NOT PEDESTAL_WINE)
  find_program(PEDESTAL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${PEDESTAL_WINE})
