# Cross-compiling the Windows program on Linux with the MinGW-w64 toolchain (64-bit, x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVANE_MINGW_TRIPLET x86_64-w64-mingw32 CACHE STRING "Target triplet of the MinGW-w64 cross tools")

find_program(CMAKE_C_COMPILER NAMES ${TOLVANE_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOLVANE_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOLVANE_MINGW_TRIPLET}-windres REQUIRED)

# Headers and libraries come from the target's sysroot only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
