// One SDO upload or download against a server whose answers come from the input, in virtual
// time on one thread. The server keeps a model of what the client must have taken from its
// answers: the client asks for (or sends) the next segment only after a checked one, moves
// exactly the data of the frames it took, stays in its buffer and ends in bounded time.
//
// Input: flags (bit 0 download, bit 1 an oversized download), size (2 bytes, little-endian),
// index (2), sub-index, for a download its data; then per request a count (0..3) of answers,
// each a mode byte and what the mode reads. Past the end every byte reads as 0.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "canopen/CanOpenClient.h"

using canbus::CanFrame;
using canbus::Milliseconds;
using canopen::CanOpenClient;
using canopen::kSdoTimeout;
using canopen::kSdoTransferTimeout;
using canopen::sdo::Payload;

namespace {

constexpr uint8_t kNode = 72;
// The server's response to each client command specifier (0..3), as its first byte's top bits.
constexpr uint8_t kResponse[] = {0x20, 0x60, 0x40, 0x00};

struct Input {
    uint8_t Next() { return at < size ? data[at++] : 0; }
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

// The client's channel and clock, and the server behind them.
class Server final : public canbus::FrameChannel, public canbus::WaitClock {
public:
    Server(Input& input, uint16_t index, uint8_t sub) : m_input(input), m_index(index), m_sub(sub) {}

    bool Open(canbus::FrameSink&, std::string*) override { return true; }
    void Close() override {}
    bool Send(const CanFrame& frame) override;
    Milliseconds Now() const override { return m_now; }
    bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable&, Milliseconds timeout,
                 const std::function<bool()>& ready) override {
        if (timeout > kSdoTimeout) {
            std::abort();
        }
        if (!ready()) {
            lock.unlock();
            for (; !m_pending.empty(); m_pending.pop_front()) {
                client->OnFrame(m_pending.front());
            }
            lock.lock();
        }
        if (!ready()) {
            m_now += timeout;
        }
        return ready();
    }

    CanOpenClient* client = nullptr;
    std::vector<Payload> requests;
    std::vector<uint8_t> moved;  // the data of the segments (or expedited frame) the client took
    bool lastSent = false;       // download: the segment flagged last went out
    // The answer the client took to the last request (to the one before, when that is an abort).
    std::optional<Payload> Final() const;

private:
    // The answer the client must take from those it got for `request`: the first it hears that
    // is no abort of another object and, for an initiate, the response addressing this object.
    std::optional<Payload> Taken(const Payload& request, const std::vector<CanFrame>& answers) const;
    bool Addresses(const Payload& p) const {
        return p[1] == (m_index & 0xFF) && p[2] == m_index >> 8 && p[3] == m_sub;
    }
    void Answer(const Payload& request);

    Input& m_input;
    uint16_t m_index;
    uint8_t m_sub;
    Milliseconds m_now{0};
    std::deque<CanFrame> m_pending;
    std::optional<Payload> m_beforeAbort;  // what the client took before it sent its last abort
    std::vector<CanFrame> m_answers;       // to the last request
};

std::optional<Payload> Server::Taken(const Payload& request, const std::vector<CanFrame>& answers) const {
    const bool initiate = request[0] >> 5 == 1 || request[0] >> 5 == 2;
    for (const CanFrame& frame : answers) {
        if (frame.extended || frame.remote || frame.id != 0x580u + kNode) {
            continue;
        }
        Payload p{};
        std::copy_n(frame.data.begin(), frame.length, p.begin());
        const int command = p[0] >> 5;
        if (command == 4 ? Addresses(p)
                         : !initiate || (command == kResponse[request[0] >> 5] >> 5 && Addresses(p))) {
            return p;
        }
    }
    return std::nullopt;
}

bool Server::Send(const CanFrame& frame) {
    if (frame.id != 0x600u + kNode || frame.extended || frame.remote || frame.length != 8) {
        std::abort();
    }
    Payload request;
    std::copy_n(frame.data.begin(), 8, request.begin());
    const std::optional<Payload> previous = requests.empty() ? std::nullopt : std::optional(requests.back());
    const std::optional<Payload> answer = previous ? Taken(*previous, m_answers) : std::nullopt;
    const int command = request[0] >> 5;
    const bool toggle = (request[0] & 0x10) != 0;
    const bool prevToggle = previous && ((*previous)[0] & 0x10) != 0;
    const auto from = [&](int c) { return previous && (*previous)[0] >> 5 == c; };
    const auto is = [&](int c, bool t) {
        return answer && (*answer)[0] >> 5 == c && (((*answer)[0] & 0x10) != 0) == t;
    };
    bool allowed = false;
    if (command == 4 || command == 2 || command == 1) {
        // An abort or an initiate, for this object; an upload is asked again only after silence.
        const bool retry =
            command == 2 && requests.size() == 2 && requests[0][0] >> 5 == 2 && from(4) && !m_beforeAbort;
        allowed = Addresses(request) && (command == 4 || requests.empty() || retry);
    } else if (command == 3 && from(2)) {
        allowed =
            !toggle && answer && (*answer)[0] >> 5 == 2 && Addresses(*answer) && ((*answer)[0] & 0x02) == 0;
    } else if (command == 3 && from(3) && answer) {
        const int size = 7 - (((*answer)[0] >> 1) & 7);
        allowed = toggle != prevToggle && is(0, prevToggle) && size > 0 && ((*answer)[0] & 1) == 0;
        moved.insert(moved.end(), answer->begin() + 1, answer->begin() + 1 + size);
    } else if (command == 0 && !lastSent) {
        allowed = from(1) ? !toggle && answer && (*answer)[0] >> 5 == 3 && Addresses(*answer)
                          : from(0) && toggle != prevToggle && is(1, prevToggle);
        moved.insert(moved.end(), request.begin() + 1, request.begin() + 8 - ((request[0] >> 1) & 7));
        lastSent = (request[0] & 1) != 0;
    }
    if (!allowed) {
        std::abort();
    }
    if (command == 4) {
        m_beforeAbort = answer;
    }
    requests.push_back(request);
    m_answers.clear();
    if (command != 4) {
        Answer(request);
    }
    return true;
}

std::optional<Payload> Server::Final() const {
    if (requests.size() >= 2 && requests.back()[0] >> 5 == 4) {
        return m_beforeAbort;
    }
    return requests.empty() ? std::nullopt : Taken(requests.back(), m_answers);
}

// Mode: bits 0-1 raw 8 bytes / an abort of this object / the right response with the next
// byte's flags / the same with the right toggle; bit 2 the COB-ID's low byte read; bit 3 the
// length read; bit 4 extended; bit 5 remote.
void Server::Answer(const Payload& request) {
    const bool initiate = request[0] >> 5 == 1 || request[0] >> 5 == 2;
    for (int count = m_input.Next() & 3; count > 0; --count) {
        const uint8_t mode = m_input.Next();
        Payload p{};
        size_t at = 0;
        if ((mode & 3) == 1) {
            p = {0x80, static_cast<uint8_t>(m_index), static_cast<uint8_t>(m_index >> 8), m_sub};
            at = 4;
        } else if ((mode & 3) >= 2) {
            const uint8_t flags = m_input.Next();
            p[0] = kResponse[request[0] >> 5] | (flags & 0x0F) |
                   ((mode & 3) == 3 ? request[0] & 0x10 : flags & 0x10);
            std::copy_n(request.begin() + 1, initiate ? 3 : 0, p.begin() + 1);
            at = initiate ? 4 : 1;
        }
        for (; at < 8; ++at) {
            p[at] = m_input.Next();
        }
        CanFrame frame = canopen::sdo::ToFrame(0x580 + kNode, p);
        frame.id = mode & 0x04 ? 0x500u + m_input.Next() : frame.id;
        frame.length = mode & 0x08 ? m_input.Next() % 9 : 8;
        frame.extended = (mode & 0x10) != 0;
        frame.remote = (mode & 0x20) != 0;
        m_pending.push_back(frame);
        m_answers.push_back(frame);
    }
}

// A successful upload: what the client took last ended it, and its data are the result.
bool UploadEnded(const Server& server, const uint8_t* buffer, size_t size, size_t result) {
    const Payload request = server.requests.back();
    const auto answer = server.Final();
    if (!answer) {
        return false;
    }
    std::vector<uint8_t> moved = server.moved;
    const uint8_t head = (*answer)[0];
    if (request[0] >> 5 == 2) {
        const size_t n = head & 0x01 ? 4 - ((head >> 2) & 3) : 4;
        if (head >> 5 != 2 || (head & 0x02) == 0) {
            return false;
        }
        moved.assign(answer->begin() + 4, answer->begin() + 4 + n);
    } else if (head >> 5 == 0) {
        moved.insert(moved.end(), answer->begin() + 1, answer->begin() + 8 - ((head >> 1) & 7));
        const bool fullStop =
            request[0] >> 5 == 4 &&
            canopen::sdo::AbortCode(request) == static_cast<uint32_t>(canopen::SdoErrc::LengthTooHigh) &&
            moved.size() > size;
        const Payload& asked = request[0] >> 5 == 3 ? request : server.requests.end()[-2];
        if ((!(head & 1) && !fullStop) || (head & 0x10) != (asked[0] & 0x10)) {
            return false;
        }
    } else {
        return false;
    }
    const size_t kept = std::min(size, moved.size());
    return result == kept && std::equal(moved.begin(), moved.begin() + kept, buffer) &&
           (kept == size || buffer[kept] == 0);
}

// A successful download: the server confirmed it, and got exactly the caller's data.
bool DownloadEnded(const Server& server, const std::vector<uint8_t>& data) {
    const Payload request = server.requests.back();
    const auto answer = server.Final();
    if (data.size() <= 4) {
        return server.requests.size() == 1 && request[0] == (0x23 | (4 - data.size()) << 2) &&
               std::equal(data.begin(), data.end(), request.begin() + 4) && answer && (*answer)[0] >> 5 == 3;
    }
    return server.lastSent && server.moved == data && answer && (*answer)[0] >> 5 == 1 &&
           ((*answer)[0] & 0x10) == (request[0] & 0x10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input{data, size};
    const uint8_t flags = input.Next();
    const size_t count = 1 + (input.Next() | input.Next() << 8) % 1024;
    const auto index = static_cast<uint16_t>(input.Next() | input.Next() << 8);
    const uint8_t sub = input.Next();
    Server server(input, index, sub);
    CanOpenClient client(server, server);
    server.client = &client;
    canopen::SdoResult result;
    if (flags & 2) {
        const std::vector<uint8_t> huge(canopen::kMaxTransferBytes + 1);
        result = client.Download(kNode, index, sub, huge.data(), huge.size());
        if (result.ok || !server.requests.empty()) {
            std::abort();
        }
        return 0;
    }
    const bool download = flags & 1;
    std::vector<uint8_t> bytes(count);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[count]);
    std::fill_n(buffer.get(), count, 0xA5);
    if (download) {
        std::generate(bytes.begin(), bytes.end(), [&] { return input.Next(); });
        result = client.Download(kNode, index, sub, bytes.data(), count);
    } else {
        result = client.Upload(kNode, index, sub, buffer.get(), count);
    }
    if (server.Now() > kSdoTransferTimeout + kSdoTimeout) {
        std::abort();
    }
    const size_t segments = std::count_if(server.requests.begin(), server.requests.end(),
                                          [&](const Payload& p) { return p[0] >> 5 == (download ? 0 : 3); });
    if (segments > (download ? (count + 6) / 7 : count + 1)) {
        std::abort();
    }
    if (result.ok && (download ? result.value != count || !DownloadEnded(server, bytes)
                               : !UploadEnded(server, buffer.get(), count, result.value))) {
        std::abort();
    }
    return 0;
}
