# Cross-builds for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686-posix). Built only:
# this kernel runs no 32-bit code, so nothing built here is run.
set(TOLVIK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
