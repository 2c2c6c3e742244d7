// The slcan line parser on any adapter bytes: fed whole, byte by byte and in chunks the input
// chooses, it reports the same events and counts, and exactly what an independent reading of
// each line says. Input: one byte n (mod 17), n chunk sizes, then the adapter's bytes.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "canbus/Slcan.h"

using canbus::CanFrame;
using canbus::slcan::LineParser;

namespace {

struct Event {
    char kind;  // 'f' frame, 'a' ack, 'e' error
    CanFrame frame;
    bool operator==(const Event&) const = default;
};

struct Run final : LineParser::Events {
    std::vector<Event> events;
    uint64_t unknown = 0;
    uint64_t overlong = 0;
    void OnFrame(const CanFrame& frame) override { events.push_back({'f', frame}); }
    void OnAck() override { events.push_back({'a', {}}); }
    void OnError() override { events.push_back({'e', {}}); }
};

// The value of hex digits; none when any is not one.
std::optional<uint32_t> Hex(const std::string& text) {
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); })) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

// What a line says: kind letter, identifier digits, a length digit, the data's hex digits
// (none for a remote request), and nothing or a four-digit timestamp.
std::optional<CanFrame> ReadLine(const std::string& line) {
    if (line.empty() || std::string("tTrR").find(line[0]) == std::string::npos) {
        return std::nullopt;
    }
    CanFrame frame;
    frame.extended = std::isupper(static_cast<unsigned char>(line[0])) != 0;
    frame.remote = line[0] == 'r' || line[0] == 'R';
    const size_t idDigits = frame.extended ? 8 : 3;
    const auto id = line.size() < 2 + idDigits ? std::nullopt : Hex(line.substr(1, idDigits));
    if (!id || line[1 + idDigits] < '0' || line[1 + idDigits] > '8') {
        return std::nullopt;
    }
    frame.id = *id;
    frame.length = static_cast<uint8_t>(line[1 + idDigits] - '0');
    const size_t dataDigits = frame.remote ? 0 : 2u * frame.length;
    const std::string data = line.substr(2 + idDigits, dataDigits);
    const std::string rest = line.substr(std::min(line.size(), 2 + idDigits + dataDigits));
    if (data.size() != dataDigits || !Hex(data) || !(rest.empty() || (rest.size() == 4 && Hex(rest)))) {
        return std::nullopt;
    }
    for (size_t i = 0; i < dataDigits / 2; ++i) {
        frame.data[i] = static_cast<uint8_t>(*Hex(data.substr(2 * i, 2)));
    }
    if (frame.id > (frame.extended ? canbus::kMaxExtendedId : canbus::kMaxStandardId)) {
        return std::nullopt;
    }
    return frame;
}

// The events and counts the adapter's bytes stand for, and the number of line ends.
uint64_t Expect(const std::string& bytes, Run* expected) {
    std::string line;
    uint64_t lineEnds = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\a') {
            expected->OnError();
            continue;
        }
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\n' && i > 0 && bytes[i - 1] == '\r') {
            continue;
        }
        ++lineEnds;
        if (line.size() > LineParser::kMaxLine) {
            ++expected->overlong;
        } else if (line.empty() || line == "z" || line == "Z") {
            expected->OnAck();
        } else if (const auto frame = ReadLine(line)) {
            expected->OnFrame(*frame);
        } else {
            ++expected->unknown;
        }
        line.clear();
    }
    return lineEnds;
}

Run Feed(const std::string& bytes, const std::vector<size_t>& chunks) {
    LineParser parser;
    Run run;
    for (size_t at = 0, i = 0; at < bytes.size(); ++i) {
        const size_t count =
            std::min(bytes.size() - at, chunks.empty() ? bytes.size() : chunks[i % chunks.size()]);
        parser.Feed(bytes.data() + at, count, run);
        at += count;
    }
    run.unknown = parser.UnknownLines();
    run.overlong = parser.OverlongLines();
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t planned = std::min<size_t>(data[0] % 17, size - 1);
    std::vector<size_t> chunks;
    for (size_t i = 0; i < planned; ++i) {
        chunks.push_back(1 + data[1 + i] % 40);
    }
    const std::string bytes(reinterpret_cast<const char*>(data) + 1 + planned, size - 1 - planned);

    Run expected;
    const uint64_t lineEnds = Expect(bytes, &expected);
    const Run whole = Feed(bytes, {});
    for (const Run& run : {whole, Feed(bytes, {1}), Feed(bytes, chunks)}) {
        if (run.events != expected.events || run.unknown != expected.unknown ||
            run.overlong != expected.overlong) {
            std::abort();
        }
    }
    for (const Event& event : whole.events) {
        const uint32_t maxId = event.frame.extended ? canbus::kMaxExtendedId : canbus::kMaxStandardId;
        if (event.kind == 'f' && (event.frame.id > maxId || event.frame.length > canbus::kMaxFrameBytes)) {
            std::abort();
        }
    }
    if (whole.unknown + whole.overlong > lineEnds) {
        std::abort();
    }
    return 0;
}
