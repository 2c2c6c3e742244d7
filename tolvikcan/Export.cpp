// The CAN adapter library as a bridge library: the twelve operations with C linkage, nothing
// else visible (exports.map hides the rest on ELF platforms). The one Library lives as long as
// the library is loaded.
#include <cstdlib>
#include <type_traits>

#include "tolvikcan/Library.h"
#include "tolvikcan/SystemAdapters.h"

#ifdef _WIN32
#define TOLVIK_CAN_API extern "C" __declspec(dllexport)
#else
#define TOLVIK_CAN_API extern "C" __attribute__((visibility("default")))
#endif

namespace {

tolvikcan::Library& TheLibrary() {
    static tolvikcan::Library library(tolvikcan::SystemAdapters());
    return library;
}

}  // namespace

TOLVIK_CAN_API int CAN_CALLCONV CAN_EnumerateBridges(CAN_BRIDGE_INFO* bridges, int capacity) {
    return TheLibrary().EnumerateBridges(std::getenv("TOLVIK_CAN_ADAPTER"), bridges, capacity);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_Connect(uint32_t ipAddress) {
    return TheLibrary().Connect(ipAddress);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_Disconnect(void) {
    return TheLibrary().Disconnect();
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_EnumerateNodes(uint8_t* nodeTable) {
    return TheLibrary().EnumerateNodes(nodeTable);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_SetPDOBufferSize(int size) {
    return TheLibrary().SetPdoBufferSize(size);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_RegisterEvents(CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary) {
    return TheLibrary().RegisterEvents(onPdo, onSecondary);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_RegisterPDO(CAN_PDO pdo) {
    return TheLibrary().RegisterPdo(pdo);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_GetPDO(CAN_PDO* pdo) {
    return TheLibrary().GetPdo(pdo);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_TransmitPDO(CAN_PDO pdo) {
    return TheLibrary().TransmitPdo(pdo);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_SDORead(int node, int index, int subIndex, void* buffer, int size,
                                            int* outValue) {
    return TheLibrary().SdoRead(node, index, subIndex, buffer, size, outValue);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_SDOWrite(int node, int index, int subIndex, void* data, int size,
                                             int* outValue) {
    return TheLibrary().SdoWrite(node, index, subIndex, data, size, outValue);
}
TOLVIK_CAN_API int CAN_CALLCONV CAN_SetNodeState(int node, int state) {
    return TheLibrary().SetNodeState(node, state);
}

// The tool binds these by name into PFN_CAN_* pointers: a signature drifting apart here would
// only show as a crash at run time.
static_assert(std::is_same_v<decltype(&CAN_EnumerateBridges), PFN_CAN_EnumerateBridges>);
static_assert(std::is_same_v<decltype(&CAN_Connect), PFN_CAN_Connect>);
static_assert(std::is_same_v<decltype(&CAN_Disconnect), PFN_CAN_Disconnect>);
static_assert(std::is_same_v<decltype(&CAN_EnumerateNodes), PFN_CAN_EnumerateNodes>);
static_assert(std::is_same_v<decltype(&CAN_SetPDOBufferSize), PFN_CAN_SetPDOBufferSize>);
static_assert(std::is_same_v<decltype(&CAN_RegisterEvents), PFN_CAN_RegisterEvents>);
static_assert(std::is_same_v<decltype(&CAN_RegisterPDO), PFN_CAN_RegisterPDO>);
static_assert(std::is_same_v<decltype(&CAN_GetPDO), PFN_CAN_GetPDO>);
static_assert(std::is_same_v<decltype(&CAN_TransmitPDO), PFN_CAN_TransmitPDO>);
static_assert(std::is_same_v<decltype(&CAN_SDORead), PFN_CAN_SDORead>);
static_assert(std::is_same_v<decltype(&CAN_SDOWrite), PFN_CAN_SDOWrite>);
static_assert(std::is_same_v<decltype(&CAN_SetNodeState), PFN_CAN_SetNodeState>);
