# A shared library exporting exactly the bridge library's operations, built from `export_source`
# over the static library `core`: the bench and the CAN adapter library are both made this way.
include(${CMAKE_CURRENT_LIST_DIR}/BridgeOperations.cmake)

# Names in `ARGN` are exported beside the operations.
function(tolvik_add_bridge_library target export_source core)
  add_library(${target} SHARED ${export_source})
  target_link_libraries(${target} PRIVATE ${core})
  set_target_properties(${target} PROPERTIES
    AUTOMOC OFF
    OUTPUT_NAME ${target}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    # <target>.dll, as Windows names libraries, not lib<target>.dll.
    set_target_properties(${target} PROPERTIES PREFIX "")
  endif()
  if(NOT WIN32 AND NOT APPLE)
    # Hidden visibility alone still exports the standard library's template instances. The
    # version script exports the operations canlink/QuarnCANopen.h lists (and the extra names),
    # written at configure time.
    tolvik_bridge_operations(operations)
    list(APPEND operations ${ARGN})
    list(JOIN operations ";\n    " exported)
    set(export_map ${CMAKE_CURRENT_BINARY_DIR}/exports.map)
    file(CONFIGURE OUTPUT ${export_map} CONTENT "{\n  global:\n    ${exported};\n  local:\n    *;\n};\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TOLVIK_BRIDGE_HEADER})
    target_link_options(${target} PRIVATE "LINKER:--version-script=${export_map}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${export_map})
  endif()
endfunction()
