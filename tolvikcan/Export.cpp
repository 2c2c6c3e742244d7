// The CAN adapter library as a bridge library: the twelve operations and the reason export with
// C linkage, nothing else visible (exports.map hides the rest on ELF platforms). The one Library
// lives as long as the library is loaded.
#include "canlink/AdapterExtension.h"
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

// Each operation forwards to the library's own. Both are declared from the one list, so their
// signatures match the PFN_CAN_* types the tool binds them as.
#define TOLVIK_CAN_EXPORT(name, result, parameters, arguments) \
    TOLVIK_CAN_API result CAN_CALLCONV name parameters {       \
        return TheLibrary().name arguments;                    \
    }
CAN_OPERATIONS(TOLVIK_CAN_EXPORT)

TOLVIK_CAN_API int CAN_CALLCONV TOLVIK_SetReasonProc(TOLVIK_ReasonProc proc) {
    TheLibrary().SetReasonProc(proc);
    return CAN_OK;
}
