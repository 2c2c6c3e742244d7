# What a bridge library exports, for the ELF and the DLL checks alike: the operations the header
# lists and the names in EXTRA, nothing else.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/BridgeOperations.cmake)

function(tolvik_check_bridge_exports found library)
  tolvik_bridge_operations(expected)
  list(APPEND expected ${EXTRA})
  list(SORT expected)
  list(SORT found)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${library} exports: ${found}\nexpected: ${expected}")
  endif()
endfunction()
