// Changes handed from the bridge library's thread to the dialog's thread: kept in order under a
// lock the dialog's thread holds only to swap the batch out, so the library's thread never waits
// for the dialog. One wake-up per batch, however many changes arrive meanwhile.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct PendingUpdate {
    enum Kind { Line, Text, Picture, Bar } kind;
    int controlId;
    int value;
    std::string text;
};

class PendingUpdates {
public:
    // True when the dialog's thread must be woken for this batch.
    bool Push(PendingUpdate update) {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(update));
        const bool wake = !m_wakePending;
        m_wakePending = true;
        return wake;
    }
    std::vector<PendingUpdate> Take() {
        std::lock_guard lock(m_mutex);
        m_wakePending = false;
        return std::exchange(m_pending, {});
    }

private:
    std::mutex m_mutex;
    std::vector<PendingUpdate> m_pending;
    bool m_wakePending = false;
};
