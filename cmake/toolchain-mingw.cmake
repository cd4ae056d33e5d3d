# Cross-compiles for Windows with Debian's MinGW-w64 (posix threads flavour). The including toolchain file
# names the target triple in PAVONEL_MINGW: i686-w64-mingw32 (the product) or x86_64-w64-mingw32.
string(REGEX REPLACE "-.*" "" _pavonel_cpu "${PAVONEL_MINGW}")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${_pavonel_cpu})

set(CMAKE_C_COMPILER ${PAVONEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PAVONEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PAVONEL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PAVONEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
