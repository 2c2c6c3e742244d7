# Cross-builds for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix). The posix
# thread model gives std::thread; the runtime is linked in statically, so the programs and DLLs
# need nothing beside them. Test programs run under wine64 (tests/windows/RunUnderWine.cmake).
set(TOLVIK_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
