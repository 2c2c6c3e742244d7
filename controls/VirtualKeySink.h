// What a virtual-remote key button reports to the dialog it sits on.
#pragma once

namespace qtui {

class VirtualKeySink {
public:
    virtual ~VirtualKeySink() = default;
    // The left mouse button went down (release false) or came up (release true) on control `controlId`.
    virtual void SendVirtualKey(int controlId, bool release) = 0;
};

}  // namespace qtui
