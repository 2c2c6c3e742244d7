#include "canbus/SlcanChannel.h"

#include <chrono>
#include <vector>

namespace canbus {
namespace {

using std::chrono::milliseconds;

// How long the opening waits for an answer to each command before taking it that the adapter
// does not acknowledge.
constexpr milliseconds kAnswerWait{100};
// The answers to the empty lines that start the opening end once the line has been quiet this
// long (and at the latest after kFlushLimit).
constexpr milliseconds kQuiet{50};
constexpr milliseconds kFlushLimit{300};
// How long the reader waits on the port before looking whether it is asked to stop.
constexpr milliseconds kReadSlice{1000};

}  // namespace

// The parser's events, counted; frames go to the sink once the channel is open.
class SlcanChannel::Intake final : public slcan::LineParser::Events {
public:
    void OnFrame(const CanFrame& frame) override {
        if (sink) {
            sink->OnFrame(frame);
        }
    }
    void OnAck() override { acks.fetch_add(1, std::memory_order_relaxed); }
    void OnError() override { errors.fetch_add(1, std::memory_order_relaxed); }

    void Feed(const char* bytes, size_t count) {
        parser.Feed(bytes, count, *this);
        unknown.store(parser.UnknownLines(), std::memory_order_relaxed);
        overlong.store(parser.OverlongLines(), std::memory_order_relaxed);
    }

    FrameSink* sink = nullptr;
    slcan::LineParser parser;
    std::atomic<uint64_t> acks{0};
    std::atomic<uint64_t> errors{0};
    std::atomic<uint64_t> unknown{0};
    std::atomic<uint64_t> overlong{0};
};

SlcanChannel::SlcanChannel(std::unique_ptr<SerialPort> port, std::string device, int bitsPerSecond)
    : m_port(std::move(port)), m_device(std::move(device)), m_bitsPerSecond(bitsPerSecond) {}

SlcanChannel::~SlcanChannel() {
    Close();
}

bool SlcanChannel::Flush() {
    // Empty lines end whatever half command the adapter holds; their answers (one per line, or
    // none) say nothing yet and must not be taken for the answers to the commands that follow.
    static const char kEmptyLines[] = "\r\r\r";
    if (m_port->Write(kEmptyLines, sizeof kEmptyLines - 1) != SerialPort::WriteResult::Written) {
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + kFlushLimit;
    char buffer[256];
    while (std::chrono::steady_clock::now() < end) {
        const int n = m_port->Read(buffer, sizeof buffer, kQuiet);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
    }
    return true;
}

int SlcanChannel::Command(const std::string& command, Intake& intake, bool* gone) {
    const uint64_t acks = intake.acks.load();
    const uint64_t errors = intake.errors.load();
    if (m_port->Write(command.data(), command.size()) != SerialPort::WriteResult::Written) {
        *gone = true;
        return 0;
    }
    const auto end = std::chrono::steady_clock::now() + kAnswerWait;
    char buffer[256];
    while (intake.acks.load() == acks && intake.errors.load() == errors) {
        const auto left = std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return 0;
        }
        const int n = m_port->Read(buffer, sizeof buffer, left);
        if (n < 0) {
            *gone = true;
            return 0;
        }
        intake.Feed(buffer, static_cast<size_t>(n));
    }
    return intake.errors.load() != errors ? -1 : 1;
}

bool SlcanChannel::Open(FrameSink& sink, std::string* error) {
    std::lock_guard<std::mutex> lock(m_writeMutex);
    const auto fail = [&](const std::string& message) {
        if (error) {
            *error = message;
        }
        m_port->Close();
        return false;
    };
    if (m_open || m_reader.joinable()) {
        return fail("already open");
    }
    const auto rate = slcan::BitrateCommand(m_bitsPerSecond);
    if (!rate) {
        return fail("bit rate " + std::to_string(m_bitsPerSecond) +
                    " has no command every slcan adapter reads alike");
    }
    if (!m_port->Open(m_device, error)) {
        return false;
    }
    auto intake = std::make_unique<Intake>();
    bool gone = !Flush();
    // Closing a channel that is not open is refused by some adapters: its answer is not checked.
    Command("C\r", *intake, &gone);
    const int rateAnswer = gone ? 0 : Command(*rate, *intake, &gone);
    const int openAnswer = gone || rateAnswer < 0 ? 0 : Command("O\r", *intake, &gone);
    if (gone) {
        return fail(
            "the adapter went away or stopped taking bytes while opening; check its cable and plug it in "
            "again");
    }
    if (rateAnswer < 0) {
        return fail("the adapter refused the bit rate of " + std::to_string(m_bitsPerSecond / 1000) +
                    " kbit/s; name one it offers with bitrate=N");
    }
    if (openAnswer < 0) {
        return fail(
            "the adapter refused to open the CAN channel (another program may hold it, or it is in an "
            "error state); unplug it, plug it in again and retry");
    }
    m_acks = rateAnswer > 0 || openAnswer > 0 ? Acks::CarriageReturn : Acks::None;
    intake->sink = &sink;
    m_intake = std::move(intake);
    m_sink = &sink;
    m_stopping = false;
    m_lost = false;
    m_open = true;
    m_reader = std::thread([this] { ReaderLoop(); });
    return true;
}

bool SlcanChannel::Send(const CanFrame& frame) {
    if (!IsValid(frame)) {
        return false;
    }
    const std::string line = slcan::EncodeFrame(frame);
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (!m_open || m_lost) {
        return false;
    }
    const SerialPort::WriteResult result = m_port->Write(line.data(), line.size());
    if (result == SerialPort::WriteResult::Gone) {
        m_lost = true;
        m_port->Interrupt();
    }
    return result == SerialPort::WriteResult::Written;
}

void SlcanChannel::Close() {
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (!m_open) {
        return;
    }
    if (!m_lost) {
        static const char kClose[] = "C\r";
        m_port->Write(kClose, sizeof kClose - 1);
        m_port->Drain();
    }
    m_stopping = true;
    m_port->Interrupt();
    m_reader.join();
    m_port->Close();
    m_open = false;
}

void SlcanChannel::ReaderLoop() {
    std::vector<char> buffer(4096);
    while (!m_stopping) {
        const int n = m_lost ? -1 : m_port->Read(buffer.data(), buffer.size(), kReadSlice);
        if (n < 0) {
            m_lost = true;
            m_sink->OnLinkLost();
            return;
        }
        m_intake->Feed(buffer.data(), static_cast<size_t>(n));
    }
}

SlcanChannel::Counters SlcanChannel::Count() const {
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (!m_intake) {
        return {};
    }
    return {m_intake->acks.load(), m_intake->errors.load(), m_intake->unknown.load(),
            m_intake->overlong.load()};
}

}  // namespace canbus
