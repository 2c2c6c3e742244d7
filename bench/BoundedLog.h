// A record of what happened on the bench that keeps only the newest entries, so a long run
// cannot grow it without bound.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

namespace bench {

template <typename T>
class BoundedLog {
public:
    static constexpr size_t kLimit = 100000;

    void Add(T entry) {
        if (m_entries.size() == kLimit) {
            m_entries.pop_front();
        }
        m_entries.push_back(std::move(entry));
    }
    std::vector<T> Copy() const { return std::vector<T>(m_entries.begin(), m_entries.end()); }

private:
    std::deque<T> m_entries;
};

}  // namespace bench
