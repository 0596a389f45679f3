#pragma once

#include <QPointer>
#include <utility>
#include <vector>

#include "settings/UpdateCheckService.h"

namespace quillet::test {

// Update checks that wait until the test answers them, in any order.
class FakeUpdateCheckService final : public UpdateCheckService {
public:
    FakeUpdateCheckService() : UpdateCheckService(QUrl(QStringLiteral("https://127.0.0.1/"))) {}

    void fetchLatestUpdate(QObject* receiver, Completion done) override {
        pending.push_back({receiver, std::move(done)});
    }

    // Answers the fetch started `index`-th among those still pending.
    void answer(const UpdateResult& result, size_t index = 0) {
        auto fetch = std::move(pending.at(index));
        pending.erase(pending.begin() + std::ptrdiff_t(index));
        if (fetch.receiver) fetch.done(result);
    }

    struct Fetch {
        QPointer<QObject> receiver;
        Completion done;
    };
    std::vector<Fetch> pending;
};

inline UpdateInfo release(const QString& version, std::optional<QString> notes = std::nullopt) {
    return {version, QUrl(QStringLiteral("https://example.org/quillet-") + version + ".tar.gz"),
            std::move(notes), std::nullopt};
}

}  // namespace quillet::test
