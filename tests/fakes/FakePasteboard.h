#pragma once

#include <functional>
#include <vector>

#include "platform/Pasteboard.h"

namespace quillet::test {

// A clipboard in memory. `copy*` play another program; the Pasteboard calls are ours.
class FakePasteboard final : public Pasteboard {
public:
    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override {
        ++reads;
        return m_types;
    }
    std::optional<QString> string() const override {
        ++reads;
        return m_text;
    }
    bool announcesChanges() const override { return announces; }
    void setReadingPaused(bool paused) override { readingPaused = paused; }
    QStringList application() const override { return m_application; }
    void setIgnoredApplications(const QStringList& names) override { ignoredApplications = names; }
    void clearContents() override {
        m_application.clear();
        m_types.clear();
        m_text.reset();
        ++m_changeCount;
    }
    bool setString(const QString& text) override {
        m_types = {PasteboardType::string};
        m_text = text;
        m_application.clear();
        ++m_changeCount;
        ++writes;
        return true;
    }

    void confirmWrite(std::function<void(bool)> done) override {
        if (confirms)
            done(*confirms);
        else
            unanswered.push_back(std::move(done));
    }

    void lendPrimary(const QString& text, std::function<void(bool)> ready) override {
        primary = text;
        if (lendsPrimary)
            ready(*lendsPrimary);
        else
            unansweredPrimary.push_back(std::move(ready));
    }

    // A backend that learns only after it started that it can announce changes.
    void startAnnouncing() {
        announces = true;
        notifyChange();
    }

    void copyText(const QString& text) { copy({PasteboardType::string}, text); }
    // `application`: the names the copy is attributed to (none: unknown).
    void copy(const QStringList& types, std::optional<QString> text,
              QStringList application = {}) {
        m_types = types;
        m_text = std::move(text);
        m_application = std::move(application);
        ++m_changeCount;
        if (announces) notifyChange();
    }

    int writes = 0;
    // Every look at the contents (types or text) counts as a read.
    mutable int reads = 0;
    // Whether copies are announced through the change handler as they happen.
    bool announces = false;
    bool readingPaused = false;
    // What confirmWrite answers; none keeps the question in `unanswered` for the test.
    std::optional<bool> confirms = true;
    std::vector<std::function<void(bool)>> unanswered;
    std::optional<QString> primary;
    // What lendPrimary answers; none keeps the question in `unansweredPrimary`.
    std::optional<bool> lendsPrimary = true;
    std::vector<std::function<void(bool)>> unansweredPrimary;
    // What the monitor passed on to the backend.
    QStringList ignoredApplications;

private:
    qint64 m_changeCount = 100;
    QStringList m_types;
    std::optional<QString> m_text;
    QStringList m_application;
};

}  // namespace quillet::test
