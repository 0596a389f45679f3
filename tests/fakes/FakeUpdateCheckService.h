#pragma once

#include <QPointer>
#include <utility>
#include <vector>

#include "settings/UpdateCheckService.h"

namespace quillet::test {

// Update checks that wait until the test answers them, oldest first.
class FakeUpdateCheckService final : public UpdateCheckService {
public:
    static QUrl someFeed() { return QUrl(QStringLiteral("https://127.0.0.1/")); }

    // An empty `feed` is a build without one.
    explicit FakeUpdateCheckService(QUrl feed = someFeed()) : UpdateCheckService(std::move(feed)) {}

    void fetchLatestUpdate(QObject* receiver, Completion done) override {
        pending.push_back({receiver, std::move(done)});
    }

    void answer(const UpdateResult& result) {
        auto fetch = std::move(pending.at(0));
        pending.erase(pending.begin());
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
