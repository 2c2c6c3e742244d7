// The bridge library's C interface: records and the twelve operations, as function types.
// The tool never links the library; it binds these at run time (BridgeLibrary.h), so only the
// types and the list of operations live here. The bench library includes this header to export
// matching functions.
#ifndef TOLVIK_CANLINK_QUARNCANOPEN_H
#define TOLVIK_CANLINK_QUARNCANOPEN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The calling convention of the twelve operations and of the two callbacks handed to
// CAN_RegisterEvents. 64-bit Windows and the other systems have only one. On 32-bit Windows the
// library is known only as plain C functions returning int: cdecl is what C gives those by
// default, and it keeps the exported names undecorated (CAN_Connect, not CAN_Connect@4 as
// stdcall would without --kill-at), which is how the tool looks them up. Should the vendor's
// 32-bit DLL turn out to be stdcall, this is the line to change.
#if defined(_WIN32) && !defined(_WIN64)
#define CAN_CALLCONV __cdecl
#else
#define CAN_CALLCONV
#endif

#pragma pack(push, 1)
typedef struct CAN_BRIDGE_INFO {
    uint8_t ipAddress[4];  // first octet first; read as one 32-bit value for CAN_Connect
    uint8_t macAddress[6];
} CAN_BRIDGE_INFO;
#pragma pack(pop)

typedef struct CAN_PDO {
    uint32_t cobId;
    uint32_t reserved;
    uint32_t length;
    uint8_t data[8];
} CAN_PDO;

#ifdef __cplusplus
static_assert(sizeof(CAN_BRIDGE_INFO) == 10, "CAN_BRIDGE_INFO crosses the boundary as 10 packed bytes");
static_assert(offsetof(CAN_BRIDGE_INFO, macAddress) == 4, "MAC follows the IPv4 address directly");
static_assert(sizeof(CAN_PDO) == 20, "CAN_PDO crosses the boundary as 20 bytes");
static_assert(offsetof(CAN_PDO, data) == 12, "data follows COB-ID, reserved word and length");
#endif

enum { CAN_NODE_TABLE_SIZE = 128, CAN_NODE_PRESENT = 2 };
// The states CAN_SetNodeState takes, as Tolvik reads them: after it reconfigures a transmit PDO
// it sends 3, then 1, which takes the node through pre-operational (where a node takes a new PDO
// configuration) back to operational (where it sends its PDOs). Both libraries act on this
// reading; other numbers are refused.
enum { CAN_NODE_STATE_OPERATIONAL = 1, CAN_NODE_STATE_STOPPED = 2, CAN_NODE_STATE_PRE_OPERATIONAL = 3 };
// What the operations return: success, failure, and the -1 of a connect or bridge scan that
// failed. Plain ints, as the operations return them.
#define CAN_OK 1
#define CAN_FAILED 0
#define CAN_CONNECT_FAILED (-1)
#define CAN_SCAN_FAILED (-1)

typedef void(CAN_CALLCONV* CAN_PdoEventProc)(int count);
typedef void(CAN_CALLCONV* CAN_SecondaryEventProc)(int event, int data);

// The twelve operations, listed once: everything that names them all (the binding table, the
// bench's exports, the export lists the checks compare) is generated from this list.
// X(name, return type, (parameters), (arguments)); the arguments let a wrapper forward a call.
// The build reads the names from here (cmake/BridgeOperations.cmake): one X( entry per line.
#define CAN_OPERATIONS(X)                                                                           \
    X(CAN_EnumerateBridges, int, (CAN_BRIDGE_INFO * bridges, int capacity), (bridges, capacity))    \
    X(CAN_Connect, int, (uint32_t ipAddress), (ipAddress))                                          \
    X(CAN_Disconnect, int, (void), ())                                                              \
    X(CAN_EnumerateNodes, int, (uint8_t * nodeTable), (nodeTable))                                  \
    X(CAN_SetPDOBufferSize, int, (int size), (size))                                                \
    X(CAN_RegisterEvents, int, (CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary),        \
      (onPdo, onSecondary))                                                                         \
    X(CAN_RegisterPDO, int, (CAN_PDO pdo), (pdo))                                                   \
    X(CAN_GetPDO, int, (CAN_PDO * pdo), (pdo))                                                      \
    X(CAN_TransmitPDO, int, (CAN_PDO pdo), (pdo))                                                   \
    X(CAN_SDORead, int, (int node, int index, int subIndex, void* buffer, int size, int* outValue), \
      (node, index, subIndex, buffer, size, outValue))                                              \
    X(CAN_SDOWrite, int, (int node, int index, int subIndex, void* data, int size, int* outValue),  \
      (node, index, subIndex, data, size, outValue))                                                \
    X(CAN_SetNodeState, int, (int node, int state), (node, state))

// PFN_CAN_Connect and so on: the type of each operation as the tool binds it.
#define CAN_DECLARE_POINTER_TYPE(name, result, parameters, arguments) \
    typedef result(CAN_CALLCONV* PFN_##name) parameters;
CAN_OPERATIONS(CAN_DECLARE_POINTER_TYPE)
#undef CAN_DECLARE_POINTER_TYPE

#ifdef __cplusplus
}
#endif

#endif
