// The changes that the bridge library's thread hands to the user-interface thread: status lines,
// item texts, pictures and bar positions. Bounded: only the last text, picture and bar position of
// each item waits (an earlier one would never be seen), and at most kMaxLines lines. Pushing never
// waits for the user-interface thread; the lock is held only to move a change in or the batch out.
// Toolkit-free, so every front end hands over the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace port {

class UpdateQueue {
public:
    // Lines waiting for the user-interface thread beyond which HasRoom() says no: about half a
    // second of a saturated bus, far more than arrives in one event-loop turn.
    static constexpr std::size_t kRoomLines = 4096;
    // The hard bound, for a pusher that does not ask HasRoom() (about 1 MB of lines).
    static constexpr std::size_t kMaxLines = 4 * kRoomLines;

    struct Update {
        enum Kind { Line, Text, Picture, Bar } kind;
        int controlId;
        int value;
        std::string text;
    };

    // Queues the change. A line that finds kMaxLines waiting is dropped and counted; the event
    // callback asks HasRoom() before each record, so that records wait with the library instead
    // and no line of theirs is lost here. True when the caller must arrange one Drain() on the
    // user-interface thread (the first change since the last drain).
    bool Push(Update update) {
        std::lock_guard lock(m_mutex);
        if (update.kind == Update::Line) {
            if (m_lines.size() >= kMaxLines) {
                ++m_droppedLines;
                return false;
            }
            m_lines.push_back(std::move(update.text));
        } else {
            Replace(std::move(update));
        }
        const bool post = !m_drainPending;
        m_drainPending = true;
        return post;
    }

    // Whether the user-interface thread keeps up: fewer than kRoomLines lines wait. Any thread.
    bool HasRoom() const {
        std::lock_guard lock(m_mutex);
        return m_lines.size() < kRoomLines;
    }

    // Everything waiting: the latest item changes and the lines in the order they came.
    struct Batch {
        std::vector<Update> changes;
        std::vector<std::string> lines;
    };
    Batch Drain() {
        Batch batch;
        std::lock_guard lock(m_mutex);
        batch.changes.swap(m_changes);
        batch.lines.swap(m_lines);
        m_drainPending = false;
        return batch;
    }

    std::uint64_t DroppedLines() const {
        std::lock_guard lock(m_mutex);
        return m_droppedLines;
    }

private:
    void Replace(Update update) {
        for (Update& waiting : m_changes) {
            if (waiting.kind == update.kind && waiting.controlId == update.controlId) {
                waiting = std::move(update);
                return;
            }
        }
        m_changes.push_back(std::move(update));
    }

    mutable std::mutex m_mutex;
    std::vector<Update> m_changes;  // one per item and kind: a handful
    std::vector<std::string> m_lines;
    bool m_drainPending = false;
    std::uint64_t m_droppedLines = 0;
};

}  // namespace port
