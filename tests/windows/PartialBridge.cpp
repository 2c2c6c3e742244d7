// A bridge library that lacks CAN_SetNodeState: the binding must refuse it as a whole.
#include "canlink/QuarnCANopen.h"

#define PARTIAL_API extern "C" __declspec(dllexport) int CAN_CALLCONV

PARTIAL_API CAN_EnumerateBridges(CAN_BRIDGE_INFO*, int) {
    return 0;
}
PARTIAL_API CAN_Connect(uint32_t) {
    return 0;
}
PARTIAL_API CAN_Disconnect(void) {
    return 0;
}
PARTIAL_API CAN_EnumerateNodes(uint8_t*) {
    return 0;
}
PARTIAL_API CAN_SetPDOBufferSize(int) {
    return 0;
}
PARTIAL_API CAN_RegisterEvents(CAN_PdoEventProc, CAN_SecondaryEventProc) {
    return 0;
}
PARTIAL_API CAN_RegisterPDO(CAN_PDO) {
    return 0;
}
PARTIAL_API CAN_GetPDO(CAN_PDO*) {
    return 0;
}
PARTIAL_API CAN_TransmitPDO(CAN_PDO) {
    return 0;
}
PARTIAL_API CAN_SDORead(int, int, int, void*, int, int*) {
    return 0;
}
PARTIAL_API CAN_SDOWrite(int, int, int, void*, int, int*) {
    return 0;
}
