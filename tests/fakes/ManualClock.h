#pragma once

#include <algorithm>
#include <vector>

#include "base/Clock.h"

namespace quillet::test {

// Time that moves only when the test says so; delayed work runs when its moment is reached.
class ManualClock final : public Clock {
public:
    ManualClock() : m_now(QDateTime::fromMSecsSinceEpoch(1'800'000'000'000LL, Qt::UTC)) {}

    QDateTime now() const override { return m_now; }
    void after(int ms, std::function<void()> work) override {
        m_pending.push_back({m_now.addMSecs(ms), m_sequence++, std::move(work)});
    }

    // Moves time forward step by step, running work as its moment comes (work scheduled
    // meanwhile included).
    void advance(int ms) {
        const QDateTime target = m_now.addMSecs(ms);
        for (;;) {
            auto due = std::min_element(
                m_pending.begin(), m_pending.end(), [](const auto& a, const auto& b) {
                    return std::tie(a.at, a.sequence) < std::tie(b.at, b.sequence);
                });
            if (due == m_pending.end() || due->at > target) break;
            m_now = std::max(m_now, due->at);
            auto work = std::move(due->work);
            m_pending.erase(due);
            work();
        }
        m_now = target;
    }

private:
    struct Pending {
        QDateTime at;
        int sequence;
        std::function<void()> work;
    };
    QDateTime m_now;
    int m_sequence = 0;
    std::vector<Pending> m_pending;
};

}  // namespace quillet::test
