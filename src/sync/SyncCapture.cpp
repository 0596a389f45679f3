#include "sync/SyncCapture.h"

#include <algorithm>

#include "base/Clock.h"
#include "store/ClipItem.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageService.h"
#include "sync/HybridClock.h"

namespace quillet {

namespace {

using Kind = SyncOperation::Kind;

// Order within a batch: a phrase's category exists before the phrase, and goes after it.
int rank(Kind kind) {
    switch (kind) {
        case Kind::CategoryPut:
            return 0;
        case Kind::PhrasePut:
            return 1;
        case Kind::PhraseDeleted:
            return 3;
        case Kind::CategoryDeleted:
            return 4;
        default:
            return 2;
    }
}

SyncOperation putOf(const Record& record) {
    if (record.entity() == Record::Entity::Category) {
        const auto& category = static_cast<const PhraseCategory&>(record);
        return SyncOperation::categoryPut(category.id(), category.name(), category.sortOrder());
    }
    const auto& phrase = static_cast<const PhraseItem&>(record);
    return SyncOperation::phrasePut(phrase.id(), phrase.title(), phrase.body(),
                                    phrase.sortOrder(), phrase.categoryId());
}

}  // namespace

SyncCapture::SyncCapture(StorageService& storage, Clock& clock, HybridClock& versions,
                         QString device, Sink sink,
                         std::function<void(qint64)> storedInBackground)
    : QObject(nullptr),
      m_clock(clock),
      m_versions(versions),
      m_device(std::move(device)),
      m_sink(std::move(sink)) {
    connect(&storage.context(), &StorageContext::didSave, this, [this](const SaveSummary& s) {
        auto ops = operationsOf(s, m_versions, m_clock.now().toMSecsSinceEpoch(), m_device);
        if (!ops.empty()) m_sink(std::move(ops));
    });
    connect(&storage, &StorageService::clipStoredInBackground, this,
            std::move(storedInBackground));
}

std::vector<SyncOperation> SyncCapture::operationsOf(const SaveSummary& summary,
                                                     HybridClock& versions, qint64 nowMs,
                                                     const QString& device) {
    std::vector<SyncOperation> ops;
    auto versioned = [&](SyncOperation op) {
        op.clock = versions.stamp(nowMs);
        op.origin = device;
        ops.push_back(std::move(op));
    };
    for (const auto* records : {&summary.inserted, &summary.changed}) {
        for (const auto& record : *records) {
            if (record->entity() != Record::Entity::Clip) {
                versioned(putOf(*record));
                continue;
            }
            const auto& clip = static_cast<const ClipItem&>(*record);
            const Kind kind = records == &summary.inserted ? Kind::ClipAdded : Kind::ClipUsed;
            ops.push_back(SyncOperation::clip(kind, clip.id(), clip.timestamp().toMSecsSinceEpoch(),
                                              kind == Kind::ClipAdded ? clip.content() : QString()));
        }
    }
    for (const auto& record : summary.deleted) {
        switch (record->entity()) {
            case Record::Entity::Clip:
                ops.push_back(SyncOperation::clip(Kind::ClipForgotten, record->id()));
                break;
            case Record::Entity::Category:
                versioned(SyncOperation::deletion(Kind::CategoryDeleted, record->id()));
                break;
            case Record::Entity::Phrase:
                versioned(SyncOperation::deletion(Kind::PhraseDeleted, record->id()));
                break;
        }
    }
    std::stable_sort(ops.begin(), ops.end(), [](const SyncOperation& a, const SyncOperation& b) {
        return rank(a.kind) < rank(b.kind);
    });
    return ops;
}

}  // namespace quillet
