#include "tests/peer/PeerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ostream>

extern char** environ;

std::string PeerDirectory() {
    return TOLVIK_PEER_DIR;
}

void PrintTo(const PeerOptions& options, std::ostream* out) {
    *out << "nodes " << options.nodes << ", ack " << options.ack << ", eol " << options.eol
         << (options.timestamps ? ", timestamps" : "");
}

PeerProcess::PeerProcess(const PeerOptions& options) {
    int toPeer[2];
    int fromPeer[2];
    if (pipe2(toPeer, O_CLOEXEC) != 0 || pipe2(fromPeer, O_CLOEXEC) != 0) {
        return;
    }
    const std::string script = PeerDirectory() + "/slcan_adapter.py";
    // Debian's interpreter without site packages: the script needs only the standard library,
    // and this starts fastest.
    std::vector<std::string> args = {"/usr/bin/python3", "-S",          script,
                                     "--nodes",          options.nodes, "--ack",
                                     options.ack,        "--eol",       options.eol};
    if (options.timestamps) {
        args.push_back("--timestamps");
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toPeer[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromPeer[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so the adapter and the Node peer it starts end together.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawn(&m_pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(toPeer[0]);
    close(fromPeer[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(toPeer[1]);
        close(fromPeer[0]);
        return;
    }
    m_control = toPeer[1];
    m_reader = std::thread([this, fd = fromPeer[0]] { Read(fd); });
    const std::string ready = WaitFor("r ready", std::chrono::seconds(10));
    const std::string pty = WaitFor("pty ", std::chrono::milliseconds(0));
    if (!ready.empty() && !pty.empty()) {
        m_pty = pty.substr(4);
    }
}

PeerProcess::~PeerProcess() {
    if (m_control >= 0) {
        close(m_control);  // the adapter ends itself and its peer on end of input
    }
    if (m_pid > 0) {
        int status = 0;
        for (int i = 0; i < 200 && waitpid(m_pid, &status, WNOHANG) == 0; ++i) {
            usleep(10000);
        }
        // Whatever is left of the group (the peer, or the adapter itself when it hung) goes now.
        kill(-m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
}

void PeerProcess::Read(int fd) {
    FILE* in = fdopen(fd, "r");
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, in)) > 0) {
        std::string text(line, static_cast<size_t>(length));
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(text));
        m_changed.notify_all();
    }
    free(line);
    fclose(in);
    std::lock_guard lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

std::string PeerProcess::Command(const std::string& command) {
    const size_t from = LineCount();
    const std::string line = command + "\n";
    if (m_control < 0 || write(m_control, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return "";
    }
    const std::string name = command.substr(0, command.find(' '));
    const std::string answer = WaitFor("r " + name + " ", std::chrono::seconds(10), from);
    return answer.empty() ? "" : answer.substr(3 + name.size());
}

std::string PeerProcess::WaitFor(const std::string& prefix, std::chrono::milliseconds timeout, size_t from) {
    std::unique_lock lock(m_mutex);
    std::string found;
    m_changed.wait_for(lock, timeout, [&] {
        for (size_t i = from; i < m_lines.size(); ++i) {
            if (m_lines[i].rfind(prefix, 0) == 0) {
                found = m_lines[i];
                return true;
            }
        }
        return m_ended;
    });
    return found;
}

std::vector<std::string> PeerProcess::WaitForCount(const std::string& prefix, size_t count,
                                                   std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] {
            size_t seen = 0;
            for (const std::string& line : m_lines) {
                seen += line.rfind(prefix, 0) == 0;
            }
            return seen >= count || m_ended;
        });
    }
    return LinesWith(prefix);
}

std::vector<std::string> PeerProcess::LinesWith(const std::string& prefix, size_t from) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> found;
    for (size_t i = from; i < m_lines.size(); ++i) {
        if (m_lines[i].rfind(prefix, 0) == 0) {
            found.push_back(m_lines[i]);
        }
    }
    return found;
}

size_t PeerProcess::LineCount() const {
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}
