#include "canbus/Slcan.h"

namespace canbus::slcan {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kBell = '\a';

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The `digits` hex digits at `text`, or none.
std::optional<uint32_t> ParseHex(const char* text, size_t digits) {
    uint32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

void AppendHex(std::string& out, uint32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kHex[(value >> shift) & 0xF];
    }
}

}  // namespace

std::string EncodeFrame(const CanFrame& frame) {
    std::string out;
    const char kind = frame.remote ? 'r' : 't';
    out += frame.extended ? static_cast<char>(kind - 'a' + 'A') : kind;
    AppendHex(out, frame.id, frame.extended ? 8 : 3);
    out += static_cast<char>('0' + frame.length);
    if (!frame.remote) {
        for (uint8_t i = 0; i < frame.length; ++i) {
            AppendHex(out, frame.data[i], 2);
        }
    }
    out += '\r';
    return out;
}

std::optional<std::string> BitrateCommand(int bitsPerSecond) {
    switch (bitsPerSecond) {
        case 10000:
            return "S0\r";
        case 20000:
            return "S1\r";
        case 50000:
            return "S2\r";
        case 100000:
            return "S3\r";
        case 125000:
            return "S4\r";
        case 250000:
            return "S5\r";
        case 500000:
            return "S6\r";
        case 1000000:
            return "S8\r";
        default:
            return std::nullopt;
    }
}

std::optional<CanFrame> DecodeFrame(const char* line, size_t length) {
    if (length == 0) {
        return std::nullopt;
    }
    CanFrame frame;
    switch (line[0]) {
        case 't':
            break;
        case 'T':
            frame.extended = true;
            break;
        case 'r':
            frame.remote = true;
            break;
        case 'R':
            frame.extended = frame.remote = true;
            break;
        default:
            return std::nullopt;
    }
    const size_t idDigits = frame.extended ? 8 : 3;
    size_t at = 1;
    if (length < at + idDigits + 1) {
        return std::nullopt;
    }
    const auto id = ParseHex(line + at, idDigits);
    at += idDigits;
    const int dlc = line[at] - '0';
    ++at;
    if (!id || dlc < 0 || dlc > kMaxFrameBytes) {
        return std::nullopt;
    }
    frame.id = *id;
    frame.length = static_cast<uint8_t>(dlc);
    if (!frame.remote) {
        if (length < at + 2 * frame.length) {
            return std::nullopt;
        }
        for (uint8_t i = 0; i < frame.length; ++i, at += 2) {
            const auto byte = ParseHex(line + at, 2);
            if (!byte) {
                return std::nullopt;
            }
            frame.data[i] = static_cast<uint8_t>(*byte);
        }
    }
    // Nothing more, or a timestamp of exactly four hex digits.
    if (at != length && !(length - at == 4 && ParseHex(line + at, 4))) {
        return std::nullopt;
    }
    if (!IsValid(frame)) {
        return std::nullopt;
    }
    return frame;
}

void LineParser::Feed(const char* bytes, size_t count, Events& events) {
    for (size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        const bool afterCr = m_afterCr;
        m_afterCr = c == '\r';
        if (c == kBell) {
            // Sent alone, without a line end.
            events.OnError();
        } else if (c == '\r' || c == '\n') {
            if (c == '\n' && afterCr) {
                continue;  // the LF of a CRLF
            }
            EndLine(events);
        } else if (m_length == kMaxLine) {
            m_overflow = true;
        } else {
            m_line[m_length++] = c;
        }
    }
}

void LineParser::EndLine(Events& events) {
    const size_t length = m_length;
    const bool overflow = m_overflow;
    m_length = 0;
    m_overflow = false;
    if (overflow) {
        ++m_overlong;
        return;
    }
    if (length == 0 || (length == 1 && (m_line[0] == 'z' || m_line[0] == 'Z'))) {
        events.OnAck();
        return;
    }
    if (const auto frame = DecodeFrame(m_line.data(), length)) {
        events.OnFrame(*frame);
        return;
    }
    ++m_unknown;
}

}  // namespace canbus::slcan
