#include "tests/support/SwapRace.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

SwapRace RaceFifoSwaps(const std::string& path, const std::string& regular, int count,
                       const std::function<bool()>& attempt, int deadlineSeconds) {
    SwapRace race;
    int results[2];
    if (link(regular.c_str(), path.c_str()) != 0 || pipe(results) != 0) {
        return race;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(results[0]);
        int counts[2] = {0, 0};
        while (counts[0] < count || counts[1] < count) {
            ++counts[attempt() ? 0 : 1];
        }
        const bool written = write(results[1], counts, sizeof counts) == static_cast<ssize_t>(sizeof counts);
        _exit(written ? 0 : 1);
    }
    close(results[1]);
    const std::string fifo = path + ".fifo";
    const std::string link = path + ".link";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    int status = 0;
    pid_t ended = 0;
    while (child > 0 && (ended = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        // A new entry each time (one left over from a failed rename is reused).
        const bool toFifo = race.swaps % 2 == 0;
        if (toFifo) {
            mkfifo(fifo.c_str(), 0600);
        } else {
            ::link(regular.c_str(), link.c_str());
        }
        if (std::rename(toFifo ? fifo.c_str() : link.c_str(), path.c_str()) == 0) {
            ++race.swaps;
        }
    }
    if (child > 0 && ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    int counts[2] = {0, 0};
    race.finished = ended == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                    read(results[0], counts, sizeof counts) == static_cast<ssize_t>(sizeof counts);
    race.opened = counts[0];
    race.refused = counts[1];
    close(results[0]);
    return race;
}
