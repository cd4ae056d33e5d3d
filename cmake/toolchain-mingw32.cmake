# 32-bit Windows: the product users download.
set(PAVONEL_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
