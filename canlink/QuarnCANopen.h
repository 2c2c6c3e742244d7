// The bridge library's C interface: records and the twelve operations, as function types.
// The tool never links the library; it binds these at run time (BridgeLibrary.h), so only the
// types live here. The bench library includes this header to export matching functions.
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

typedef void(CAN_CALLCONV* CAN_PdoEventProc)(int count);
typedef void(CAN_CALLCONV* CAN_SecondaryEventProc)(int event, int data);

typedef int(CAN_CALLCONV* PFN_CAN_EnumerateBridges)(CAN_BRIDGE_INFO* bridges, int capacity);
typedef int(CAN_CALLCONV* PFN_CAN_Connect)(uint32_t ipAddress);
typedef int(CAN_CALLCONV* PFN_CAN_Disconnect)(void);
typedef int(CAN_CALLCONV* PFN_CAN_EnumerateNodes)(uint8_t* nodeTable);
typedef int(CAN_CALLCONV* PFN_CAN_SetPDOBufferSize)(int size);
typedef int(CAN_CALLCONV* PFN_CAN_RegisterEvents)(CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary);
typedef int(CAN_CALLCONV* PFN_CAN_RegisterPDO)(CAN_PDO pdo);
typedef int(CAN_CALLCONV* PFN_CAN_GetPDO)(CAN_PDO* pdo);
typedef int(CAN_CALLCONV* PFN_CAN_TransmitPDO)(CAN_PDO pdo);
typedef int(CAN_CALLCONV* PFN_CAN_SDORead)(int node, int index, int subIndex, void* buffer, int size,
                                           int* outValue);
typedef int(CAN_CALLCONV* PFN_CAN_SDOWrite)(int node, int index, int subIndex, void* data, int size,
                                            int* outValue);
typedef int(CAN_CALLCONV* PFN_CAN_SetNodeState)(int node, int state);

#ifdef __cplusplus
}
#endif

#endif
