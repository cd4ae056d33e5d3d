# 64-bit Windows: the same sources, for hosts whose Wine runs 64-bit programs only.
set(PAVONEL_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
