// The slcan channel over an in-memory serial port that answers like the adapters' dialects.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "canbus/SlcanChannel.h"

namespace {

using canbus::CanFrame;
using canbus::SerialPort;

// An adapter behind a serial port: answers each command as its dialect does, and lets the test
// put bytes on the line or pull the plug.
struct Adapter {
    enum class Dialect { Silent, CarriageReturn, Bell };
    Dialect dialect = Dialect::Silent;
    bool refuseBitrate = false;
    std::mutex mutex;
    std::condition_variable readable;
    std::deque<char> toHost;
    std::string fromHost;
    bool unplugged = false;
    bool interrupted = false;

    void Put(const std::string& bytes) {
        std::lock_guard<std::mutex> lock(mutex);
        toHost.insert(toHost.end(), bytes.begin(), bytes.end());
        readable.notify_all();
    }
    void Unplug() {
        std::lock_guard<std::mutex> lock(mutex);
        unplugged = true;
        readable.notify_all();
    }
    std::string Written() {
        std::lock_guard<std::mutex> lock(mutex);
        return fromHost;
    }
};

class FakePort final : public SerialPort {
public:
    explicit FakePort(Adapter& adapter) : m_adapter(adapter) {}
    bool Open(const std::string&, std::string*) override { return true; }
    WriteResult Write(const char* bytes, size_t count) override {
        std::lock_guard<std::mutex> lock(m_adapter.mutex);
        if (m_adapter.unplugged) {
            return WriteResult::Gone;
        }
        const std::string text(bytes, count);
        m_adapter.fromHost += text;
        if (m_adapter.dialect == Adapter::Dialect::Silent || text.front() == 't') {
            return WriteResult::Written;
        }
        const bool refused = (text == "C\r" && m_adapter.dialect == Adapter::Dialect::Bell) ||
                             (text[0] == 'S' && m_adapter.refuseBitrate);
        const std::string answer = refused ? "\a" : text == "\r\r\r" ? "\r\r\r" : "\r";
        m_adapter.toHost.insert(m_adapter.toHost.end(), answer.begin(), answer.end());
        m_adapter.readable.notify_all();
        return WriteResult::Written;
    }
    // Hands the bytes over one at a time, as a slow USB adapter may.
    int Read(char* buffer, size_t capacity, std::chrono::milliseconds timeout) override {
        return ReadSome(buffer, std::min<size_t>(capacity, 1), timeout);
    }
    int ReadSome(char* buffer, size_t capacity, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_adapter.mutex);
        m_adapter.readable.wait_for(lock, timeout, [&] {
            return !m_adapter.toHost.empty() || m_adapter.unplugged || m_adapter.interrupted;
        });
        if (m_adapter.interrupted) {
            m_adapter.interrupted = false;
            return 0;
        }
        if (m_adapter.toHost.empty()) {
            return m_adapter.unplugged ? -1 : 0;
        }
        size_t n = 0;
        while (n < capacity && !m_adapter.toHost.empty()) {
            buffer[n++] = m_adapter.toHost.front();
            m_adapter.toHost.pop_front();
        }
        return static_cast<int>(n);
    }
    void Interrupt() override {
        std::lock_guard<std::mutex> lock(m_adapter.mutex);
        m_adapter.interrupted = true;
        m_adapter.readable.notify_all();
    }
    void Drain() override {}
    void Close() override {}

private:
    Adapter& m_adapter;
};

struct Sink final : canbus::FrameSink {
    void OnFrame(const CanFrame& frame) override {
        std::lock_guard<std::mutex> lock(mutex);
        frames.push_back(frame);
        changed.notify_all();
    }
    void OnLinkLost() override {
        std::lock_guard<std::mutex> lock(mutex);
        lost = true;
        changed.notify_all();
    }
    template <typename Ready>
    bool WaitFor(Ready ready) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), ready);
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CanFrame> frames;
    bool lost = false;
};

TEST(SlcanChannelTest, OpensInEveryDialectAndNeverSendsAmbiguousCommands) {
    for (const auto dialect :
         {Adapter::Dialect::Silent, Adapter::Dialect::CarriageReturn, Adapter::Dialect::Bell}) {
        SCOPED_TRACE(static_cast<int>(dialect));
        Adapter adapter;
        adapter.dialect = dialect;
        canbus::SlcanChannel channel(std::make_unique<FakePort>(adapter), "ttyFAKE", 250000);
        Sink sink;
        std::string error;
        ASSERT_TRUE(channel.Open(sink, &error)) << error;
        EXPECT_EQ(channel.AckDialect(), dialect == Adapter::Dialect::Silent
                                            ? canbus::SlcanChannel::Acks::None
                                            : canbus::SlcanChannel::Acks::CarriageReturn);
        ASSERT_TRUE(channel.Send(canbus::MakeFrame(0x1C8, {2})));
        adapter.Put("t1C9107\r\nz\r");
        ASSERT_TRUE(sink.WaitFor([&] { return !sink.frames.empty(); }));
        EXPECT_EQ(sink.frames[0], canbus::MakeFrame(0x1C9, {7}));
        channel.Close();
        EXPECT_EQ(adapter.Written(), "\r\r\rC\rS5\rO\rt1C8102\rC\r");
    }
}

TEST(SlcanChannelTest, RefusedBitRateFailsTheOpening) {
    Adapter adapter;
    adapter.dialect = Adapter::Dialect::Bell;
    adapter.refuseBitrate = true;
    canbus::SlcanChannel channel(std::make_unique<FakePort>(adapter), "ttyFAKE", 125000);
    Sink sink;
    std::string error;
    EXPECT_FALSE(channel.Open(sink, &error));
    EXPECT_NE(error.find("bit rate"), std::string::npos);
    EXPECT_EQ(adapter.Written().find("O\r"), std::string::npos) << "the channel is not opened";
}

TEST(SlcanChannelTest, RateWithoutAnUnambiguousCommandIsRefusedBeforeOpening) {
    Adapter adapter;
    canbus::SlcanChannel channel(std::make_unique<FakePort>(adapter), "ttyFAKE", 800000);
    Sink sink;
    EXPECT_FALSE(channel.Open(sink, nullptr));
    EXPECT_TRUE(adapter.Written().empty());
}

TEST(SlcanChannelTest, UnpluggedAdapterEndsTheLinkAndSendsFail) {
    Adapter adapter;
    adapter.dialect = Adapter::Dialect::CarriageReturn;
    canbus::SlcanChannel channel(std::make_unique<FakePort>(adapter), "ttyFAKE", 500000);
    Sink sink;
    ASSERT_TRUE(channel.Open(sink, nullptr));
    adapter.Put("garbage\r" + std::string(100, 'x') + "\r");
    adapter.Unplug();
    ASSERT_TRUE(sink.WaitFor([&] { return sink.lost; }));
    EXPECT_FALSE(channel.Send(canbus::MakeFrame(0x1C8, {2})));
    channel.Close();  // returns: nothing waits for the adapter that went
    EXPECT_EQ(channel.Count().unknownLines, 1u);
    EXPECT_EQ(channel.Count().overlongLines, 1u);
}

}  // namespace
