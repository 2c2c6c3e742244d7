# The names of the bridge library's operations, read from the one list in canlink/QuarnCANopen.h
# (the CAN_OPERATIONS macro), for the export map and the export checks. Works in a project and
# in a -P script alike.
set(TOLVIK_BRIDGE_HEADER ${CMAKE_CURRENT_LIST_DIR}/../canlink/QuarnCANopen.h)

# Sets `out` to the operations' names in the list's order.
function(tolvik_bridge_operations out)
  file(READ ${TOLVIK_BRIDGE_HEADER} header)
  # The macro's body: from its #define to the first line that does not continue with a backslash.
  if(NOT header MATCHES "#define CAN_OPERATIONS\\(X\\)([^\n]*\\\\\n)*[^\n]*\n")
    message(FATAL_ERROR "${TOLVIK_BRIDGE_HEADER}: no CAN_OPERATIONS list")
  endif()
  string(REGEX MATCHALL "X\\(CAN_[A-Za-z0-9_]+," entries "${CMAKE_MATCH_0}")
  set(names)
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^X\\((.*),$" "\\1" name "${entry}")
    list(APPEND names ${name})
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${TOLVIK_BRIDGE_HEADER}: the CAN_OPERATIONS list names no operation")
  endif()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
