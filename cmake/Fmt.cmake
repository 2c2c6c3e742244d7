# {fmt}, header-only, as the target fmt::fmt-header-only on every platform: the bench library
# stays a single file that needs no libfmt beside it, like the vendor's library it stands in for.
# Debian ships {fmt} for the host only (libfmt-dev). Its headers are portable, so the mingw-w64
# builds use them from a folder that holds nothing but them: /usr/include itself would put the
# host's C library headers ahead of mingw's.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(fmt REQUIRED)
  return()
endif()
find_path(TOLVIK_FMT_INCLUDE_DIR fmt/format.h PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TOLVIK_FMT_INCLUDE_DIR)
  message(FATAL_ERROR "No {fmt} headers in /usr/include (Debian: libfmt-dev)")
endif()
set(fmt_only ${PROJECT_BINARY_DIR}/fmt-headers)
file(MAKE_DIRECTORY ${fmt_only})
file(CREATE_LINK ${TOLVIK_FMT_INCLUDE_DIR}/fmt ${fmt_only}/fmt SYMBOLIC)
add_library(fmt::fmt-header-only INTERFACE IMPORTED)
target_include_directories(fmt::fmt-header-only SYSTEM INTERFACE ${fmt_only})
target_compile_definitions(fmt::fmt-header-only INTERFACE FMT_HEADER_ONLY=1)
