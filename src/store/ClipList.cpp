#include "store/ClipList.h"

#include <algorithm>

#include "store/ClipItem.h"
#include "store/StorageContext.h"

namespace quillet {

ClipList::ClipList(StorageContext* context,
                   std::shared_ptr<const std::vector<ClipOrderEntry>> order)
    : m_context(context), m_order(std::move(order)), m_orderCount(qsizetype(m_order->size())) {}

ClipList::ClipList(StorageContext* context, std::vector<qint64> newestFirst)
    : m_context(context), m_rows(std::make_shared<std::vector<qint64>>(std::move(newestFirst))) {}

ClipList::ClipList(StorageContext* context, std::shared_ptr<std::vector<qint64>> rows)
    : m_context(context), m_rows(std::move(rows)) {}

qsizetype ClipList::size() const {
    if (m_order) return m_orderCount;
    return m_rows ? qsizetype(m_rows->size()) : 0;
}

qint64 ClipList::rowIdAt(qsizetype index) const {
    if (index < 0 || index >= size()) return 0;
    if (m_order) return (*m_order)[size_t(m_orderCount - 1 - index)].rowId;
    return (*m_rows)[size_t(index)];
}

std::shared_ptr<ClipItem> ClipList::at(qsizetype index) const {
    if (index < 0 || index >= size() || m_context == nullptr) return nullptr;
    Window& window = *m_window;
    const auto inWindow = [&] {
        return window.start >= 0 && index >= window.start &&
               index < window.start + qsizetype(window.items.size());
    };
    if (!inWindow()) {
        // Read a window around the index, mostly ahead of it: lists are read top to bottom.
        const qsizetype start = std::max<qsizetype>(0, index - windowSize / 4);
        const qsizetype end = std::min(size(), start + windowSize);
        std::vector<qint64> rows;
        rows.reserve(size_t(end - start));
        for (qsizetype i = start; i < end; ++i) rows.push_back(rowIdAt(i));
        auto clips = m_context->clipsWithRowIds(rows);
        // Keep positions aligned even if a row vanished underneath us.
        window.items.assign(rows.size(), nullptr);
        size_t next = 0;
        for (size_t i = 0; i < rows.size() && next < clips.size(); ++i)
            if (clips[next]->rowId() == rows[i]) window.items[i] = clips[next++];
        window.start = start;
    }
    return window.items[size_t(index - window.start)];
}

bool ClipList::operator==(const ClipList& other) const {
    if (size() != other.size()) return false;
    if (m_order && m_order == other.m_order) return true;
    if (m_rows && m_rows == other.m_rows) return true;
    for (qsizetype i = 0; i < size(); ++i)
        if (rowIdAt(i) != other.rowIdAt(i)) return false;
    return true;
}

}  // namespace quillet
