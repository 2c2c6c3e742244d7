// What a key code received on a key PDO shows: its status line and the remote picture.
#pragma once

#include <cstdint>

namespace remote {

struct KeyCodeEntry {
    const char* statusLine;
    int bitmap;  // kKeepPicture when the picture stays as it is
};

constexpr int kKeepPicture = -1;

const KeyCodeEntry& LookUpKeyCode(uint8_t code);

}  // namespace remote
