#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

namespace quillet {

class ClipItem;
class StorageContext;

// One entry of the history order: ascending (timestamp, row) is oldest first.
struct ClipOrderEntry {
    qint64 timestamp;
    qint64 rowId;
    auto operator<=>(const ClipOrderEntry&) const = default;
};

// A list of clips, newest first, that holds only row numbers and reads the clips themselves
// in small windows when they are asked for, so a million clips cost a few megabytes.
class ClipList {
public:
    ClipList() = default;
    // A view of the whole history order (ascending), read from the end. The list covers the
    // entries present now; entries its owner appends later are not part of it.
    ClipList(StorageContext* context, std::shared_ptr<const std::vector<ClipOrderEntry>> order);
    // Row numbers already newest first.
    ClipList(StorageContext* context, std::vector<qint64> newestFirst);
    // Row numbers newest first that the owner of `rows` may still append to (a search that
    // is read in steps); every copy of the list sees them.
    ClipList(StorageContext* context, std::shared_ptr<std::vector<qint64>> rows);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    qint64 rowIdAt(qsizetype index) const;
    // The clip at `index`, or null when out of range or no longer stored.
    std::shared_ptr<ClipItem> at(qsizetype index) const;

    // The same rows in the same order.
    bool operator==(const ClipList& other) const;

    static constexpr qsizetype windowSize = 128;

private:
    struct Window {
        qsizetype start = -1;
        std::vector<std::shared_ptr<ClipItem>> items;
    };

    StorageContext* m_context = nullptr;  // non-owning; outlives every list
    std::shared_ptr<const std::vector<ClipOrderEntry>> m_order;
    qsizetype m_orderCount = 0;
    std::shared_ptr<std::vector<qint64>> m_rows;
    std::shared_ptr<Window> m_window = std::make_shared<Window>();
};

}  // namespace quillet
