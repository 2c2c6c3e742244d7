#include "tolvikcan/NmtTable.h"

namespace tolvikcan {

std::optional<uint8_t> NmtCommandForState(int state) {
    switch (state) {
        case 1:
            return 0x01;
        case 2:
            return 0x02;
        case 3:
            return 0x80;
        default:
            return std::nullopt;
    }
}

}  // namespace tolvikcan
