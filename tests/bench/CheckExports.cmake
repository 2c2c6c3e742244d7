# Checks that LIBRARY defines exactly the twelve bridge operations as dynamic symbols.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(found)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  list(APPEND found ${name})
endforeach()
set(expected CAN_Connect CAN_Disconnect CAN_EnumerateBridges CAN_EnumerateNodes CAN_GetPDO
  CAN_RegisterEvents CAN_RegisterPDO CAN_SDORead CAN_SDOWrite CAN_SetNodeState
  CAN_SetPDOBufferSize CAN_TransmitPDO)
list(SORT found)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "exported: ${found}\nexpected: ${expected}")
endif()
