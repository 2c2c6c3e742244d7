// What both bridge libraries wrap every operation in: the tool calls them as C functions, so no
// exception may cross the boundary.
#pragma once

namespace canlink {

// Runs `body` and returns its result; any exception (a failed allocation, a thread that could
// not start) becomes `failure`, the operation's failure value.
template <typename Body>
int Guarded(int failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace canlink
