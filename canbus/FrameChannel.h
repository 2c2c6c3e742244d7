// The one interface through which the CANopen client reaches a bus: open with a sink, send
// frames, close. Each channel owns one reader thread that hands received frames to the sink.
#pragma once

#include <string>

#include "canbus/CanFrame.h"

namespace canbus {

// Called on the channel's reader thread only, one call at a time. Must not block for long and
// must not call Close on the channel.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void OnFrame(const CanFrame& frame) = 0;
    // The adapter went away (read error, end of file): no frame follows, sends fail from now on.
    virtual void OnLinkLost() = 0;
};

class FrameChannel {
public:
    virtual ~FrameChannel() = default;
    // Opens the adapter, puts it on the bus and starts the reader thread. False with a message
    // when that fails; nothing runs then.
    virtual bool Open(FrameSink& sink, std::string* error) = 0;
    // Queues one frame for the bus. False when the channel is not open, the link is lost or the
    // frame is not valid. Never waits for the frame to be acknowledged on the bus.
    virtual bool Send(const CanFrame& frame) = 0;
    // Sends what is queued, takes the adapter off the bus, ends the reader thread and closes.
    // When it returns the sink is not running and will not be called again. Idempotent.
    virtual void Close() = 0;
};

}  // namespace canbus
