#include "remote/KeyCodes.h"

#include <array>

#include "res/Resource.h"

namespace remote {

namespace {

constexpr std::array<KeyCodeEntry, 13> kNamedKeys{{
    {"Key up", res::IDB_REMOTE_IDLE},
    {"Key (A/V) down", res::IDB_REMOTE_ALIGN_VIEW},
    {"Key (Measure) down", res::IDB_REMOTE_MEASURE},
    {"Key (Cancel) down", kKeepPicture},
    {"Key (Focus -) down", res::IDB_REMOTE_FOCUS_MINUS},
    {"Key (Focus +) down", res::IDB_REMOTE_FOCUS_PLUS},
    {"Key (Zoom -) down", res::IDB_REMOTE_ZOOM_MINUS},
    {"Key (Zoom +) down", res::IDB_REMOTE_ZOOM_PLUS},
    {"Key (Spot) down", res::IDB_REMOTE_SPOT},
    {"Key (Ring) down", res::IDB_REMOTE_RING},
    {"Key (Back) down", kKeepPicture},
    {"Key (Next/Finish) down", kKeepPicture},
    {"Key (Ok) down", kKeepPicture},
}};

// Sent by the remote while a key is held down.
constexpr uint8_t kKeyRepeating = 255;
constexpr KeyCodeEntry kRepeating{"Key repeating", kKeepPicture};
constexpr KeyCodeEntry kUnknown{"Unknown button event", kKeepPicture};

}  // namespace

const KeyCodeEntry& LookUpKeyCode(uint8_t code) {
    if (code < kNamedKeys.size()) {
        return kNamedKeys[code];
    }
    return code == kKeyRepeating ? kRepeating : kUnknown;
}

}  // namespace remote
