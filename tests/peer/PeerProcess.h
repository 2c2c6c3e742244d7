// The CAN peer (the slcan adapter script on a pseudo-terminal and the CANopen devices behind it)
// as a child process group of the test. Commands go to its stdin; every line it prints is kept.
// The destructor ends the whole group by its id: nothing is left running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PeerOptions {
    std::string nodes = "72,73";  // "none" for an empty bus
    std::string ack = "cr";       // none, cr, z, bel
    std::string eol = "cr";       // cr, crlf
    bool timestamps = false;
};

// As a parameterised test prints them.
void PrintTo(const PeerOptions& options, std::ostream* out);

class PeerProcess {
public:
    explicit PeerProcess(const PeerOptions& options = {});
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Started() const { return !m_pty.empty(); }
    const std::string& Pty() const { return m_pty; }
    // The adapter name the library is given, e.g. "slcan:/dev/pts/7".
    std::string AdapterName() const { return "slcan:" + m_pty; }

    // Sends a command and returns its answer line ("r <name> ...", without the "r <name> ").
    std::string Command(const std::string& command);
    // The first line from index `from` on that starts with `prefix`, waiting up to `timeout`;
    // empty when none came.
    std::string WaitFor(const std::string& prefix,
                        std::chrono::milliseconds timeout = std::chrono::seconds(3), size_t from = 0);
    // Waits up to `timeout` until at least `count` lines start with `prefix`; then those lines.
    std::vector<std::string> WaitForCount(const std::string& prefix, size_t count,
                                          std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // Lines starting with `prefix`, from index `from` on.
    std::vector<std::string> LinesWith(const std::string& prefix, size_t from = 0) const;
    size_t LineCount() const;

private:
    void Read(int fd);

    pid_t m_pid = -1;
    int m_control = -1;
    std::string m_pty;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    bool m_ended = false;
};

// The folder of the peer's scripts and npm packages.
std::string PeerDirectory();
