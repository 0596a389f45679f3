#pragma once

#include <QtGlobal>
#include <algorithm>
#include <mutex>

namespace quillet {

// A hybrid logical clock: milliseconds of wall time in the high bits, a counter in the low 16.
// Every stamp is above every stamp made or seen before, so a change made after another
// arrived wins over it even when this machine's clock is behind. Thread-safe.
class HybridClock {
public:
    static constexpr int counterBits = 16;

    qint64 stamp(qint64 wallMs) {
        std::lock_guard lock(m_mutex);
        m_last = std::max(m_last + 1, wallMs << counterBits);
        return m_last;
    }
    void observe(qint64 stamp) {
        std::lock_guard lock(m_mutex);
        m_last = std::max(m_last, stamp);
    }
    qint64 last() const {
        std::lock_guard lock(m_mutex);
        return m_last;
    }

private:
    mutable std::mutex m_mutex;
    qint64 m_last = 0;
};

}  // namespace quillet
