// The serial-line CAN (slcan) text protocol, as far as this library speaks it: frames out, the
// bit-rate command, and a parser for what adapters send back. Only commands every adapter reads
// the same way are used; M, m, A and P differ between adapters and S7 means 800 or 750 kbit/s,
// so none of them is ever produced.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "canbus/CanFrame.h"

namespace canbus::slcan {

// "t1C8102\r" and the like.
std::string EncodeFrame(const CanFrame& frame);
// "S0\r" to "S8\r" for the rates with one meaning on every adapter (S3 is 100 kbit/s); none for
// any other rate.
std::optional<std::string> BitrateCommand(int bitsPerSecond);

// What an adapter sends: frames, acknowledgements (CR alone, "z", "Z"), errors (BEL). A line
// may end in CR or CRLF and a frame may carry a 4-digit timestamp after its data.
class LineParser {
public:
    // Longer than the longest valid line ("T" + 8 + 1 + 16 + 4 timestamp digits = 30).
    static constexpr size_t kMaxLine = 32;

    struct Events {
        virtual ~Events() = default;
        virtual void OnFrame(const CanFrame& frame) = 0;
        virtual void OnAck() = 0;
        virtual void OnError() = 0;
    };

    void Feed(const char* bytes, size_t count, Events& events);

    uint64_t UnknownLines() const { return m_unknown; }
    uint64_t OverlongLines() const { return m_overlong; }

private:
    void EndLine(Events& events);

    std::array<char, kMaxLine> m_line{};
    size_t m_length = 0;
    bool m_overflow = false;
    bool m_afterCr = false;
    uint64_t m_unknown = 0;
    uint64_t m_overlong = 0;
};

// A frame line ("t", "T", "r" or "R" onwards, without its line end); none when it is not one.
std::optional<CanFrame> DecodeFrame(const char* line, size_t length);

}  // namespace canbus::slcan
