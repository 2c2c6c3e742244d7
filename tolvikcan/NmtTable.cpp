#include "tolvikcan/NmtTable.h"

#include "canlink/QuarnCANopen.h"

namespace tolvikcan {

std::optional<uint8_t> NmtCommandForState(int state) {
    switch (state) {
        case CAN_NODE_STATE_OPERATIONAL:
            return kNmtStartRemoteNode;
        case CAN_NODE_STATE_STOPPED:
            return kNmtStopRemoteNode;
        case CAN_NODE_STATE_PRE_OPERATIONAL:
            return kNmtEnterPreOperational;
        default:
            return std::nullopt;
    }
}

}  // namespace tolvikcan
