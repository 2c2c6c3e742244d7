# Windows test programs built here with mingw-w64 and run under wine64 (included by
# tests/CMakeLists.txt when cross-building for Windows).
#
# GoogleTest is built from the sources Debian ships in /usr/src/googletest, with the same
# compiler as the programs. Each test program runs as one CTest test in its own Wine prefix under
# <build>/wine/<program>, copied by a setup fixture from a template made once (a fresh prefix
# takes seconds) and removed by a cleanup fixture.

set(TOLVIK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
if(NOT EXISTS ${TOLVIK_GOOGLETEST_SOURCE}/googletest/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TOLVIK_GOOGLETEST_SOURCE} (Debian: googletest)")
endif()
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# It defines GTest::gtest, GTest::gtest_main and GTest::gmock itself.
add_subdirectory(${TOLVIK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

find_program(TOLVIK_WINE64 wine64 PATHS /usr/lib/wine REQUIRED)
find_program(TOLVIK_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine REQUIRED)
set(TOLVIK_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(TOLVIK_WINE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/wine.sh)
# CTest puts this in front of every test command that names a program built here.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVIK_WINE_SCRIPT} run ${TOLVIK_WINE_ROOT} ${TOLVIK_WINE64})

# Every test prefix starts as a linked copy of one template prefix, made once per build folder.
add_test(NAME wine_template
  COMMAND ${TOLVIK_WINE_SCRIPT} template ${TOLVIK_WINE_ROOT} ${TOLVIK_WINE64} ${TOLVIK_WINESERVER})
set_tests_properties(wine_template PROPERTIES FIXTURES_SETUP wine_template LABELS "wine")

# tolvik_add_wine_prefix(<name>): fixture wine_<name>, a prefix <root>/<name> made before the tests
# that require it and removed, with its wineserver ended, after them.
function(tolvik_add_wine_prefix name)
  add_test(NAME ${name}_prefix
    COMMAND ${TOLVIK_WINE_SCRIPT} create ${TOLVIK_WINE_ROOT} ${TOLVIK_WINE64} ${name})
  add_test(NAME ${name}_wineserver
    COMMAND ${TOLVIK_WINE_SCRIPT} stop ${TOLVIK_WINE_ROOT} ${TOLVIK_WINESERVER} ${name})
  set_tests_properties(${name}_prefix PROPERTIES
    FIXTURES_SETUP wine_${name} FIXTURES_REQUIRED wine_template LABELS "wine")
  set_tests_properties(${name}_wineserver PROPERTIES FIXTURES_CLEANUP wine_${name} LABELS "wine")
endfunction()

# tolvik_add_wine_test(<program> [LABELS <labels...>]): one CTest test running the whole program.
function(tolvik_add_wine_test name)
  cmake_parse_arguments(W "" "" "LABELS" ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  tolvik_add_wine_prefix(${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_${name} LABELS "wine;${W_LABELS}" TIMEOUT 300)
endfunction()
