# The one list of what a bridge library exports, for the ELF and the DLL checks alike.
function(tolvik_check_bridge_exports found library)
  set(expected CAN_Connect CAN_Disconnect CAN_EnumerateBridges CAN_EnumerateNodes CAN_GetPDO
    CAN_RegisterEvents CAN_RegisterPDO CAN_SDORead CAN_SDOWrite CAN_SetNodeState
    CAN_SetPDOBufferSize CAN_TransmitPDO)
  list(SORT found)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${library} exports: ${found}\nexpected: ${expected}")
  endif()
endfunction()
