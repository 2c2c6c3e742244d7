// A bridge library that lacks CAN_SetNodeState: the binding must refuse it as a whole and let it
// go. Every operation is a stub from the header's list; the one left out is exported under
// another name instead, so this library never lists the operations itself.
#include "canlink/QuarnCANopen.h"

#ifdef _WIN32
#define PARTIAL_API extern "C" __declspec(dllexport)
#else
#define PARTIAL_API extern "C" __attribute__((visibility("default")))
#endif

namespace {

template <typename... Arguments>
int Stub(Arguments...) {
    return 0;
}

}  // namespace

#define CAN_SetNodeState PartialBridge_NotAnOperation
#define PARTIAL_STUB(name, result, parameters, arguments) \
    PARTIAL_API result CAN_CALLCONV name parameters {     \
        return Stub arguments;                            \
    }
CAN_OPERATIONS(PARTIAL_STUB)
