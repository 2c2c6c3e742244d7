// The check-then-open race, provoked: a FIFO and a regular file are renamed over one path in turn,
// as fast as the system allows, while another process opens that path again and again. A reader
// that checks the path and then opens it blocks, sooner or later, in the open of a FIFO.
#pragma once

#include <functional>
#include <string>

struct SwapRace {
    bool finished = false;  // every attempt returned before the deadline
    int opened = 0;         // attempts that got the regular file
    int refused = 0;        // attempts that were refused (a FIFO, mostly)
    int swaps = 0;          // renames over the path while they ran
};

// Runs `attempt` (true: it got the regular file) in a child process, until it got the regular file
// `count` times and was refused `count` times, while this process renames a FIFO and a hard link
// to `regular` over `path` in turn, for at most `deadlineSeconds`; a child still running then is
// killed. Call before the test starts any thread.
SwapRace RaceFifoSwaps(const std::string& path, const std::string& regular, int count,
                       const std::function<bool()>& attempt, int deadlineSeconds = 60);
