#include "history/HistoryViewModel.h"

#include <QTimer>
#include <algorithm>

#include "history/ClipboardMonitor.h"
#include "base/Clock.h"
#include "store/ClipItem.h"
#include "store/StorageService.h"

namespace quillet {

HistoryViewModel::HistoryViewModel(StorageService& storage, ClipboardMonitor& monitor, Clock& clock,
                                   QObject* parent)
    : QObject(parent), m_storage(storage), m_monitor(monitor), m_clock(clock) {
    m_monitor.setDelegate(this);
    connect(&m_storage, &StorageService::clipWrittenInBackground, this,
            &HistoryViewModel::scheduleLoad);
    // Clips from other machines join the history (they are not put on the clipboard).
    connect(&m_storage.context(), &StorageContext::changedElsewhere, this,
            &HistoryViewModel::scheduleLoad);
    scheduleLoad();
}

HistoryViewModel::~HistoryViewModel() {
    if (m_monitor.delegate() == this) m_monitor.setDelegate(nullptr);
}

void HistoryViewModel::setSearchText(const QString& text) {
    const bool changed = text != m_searchText;
    m_searchText = text;
    if (changed) emit searchTextChanged();
    scheduleLoad();
}

void HistoryViewModel::setMatchCase(bool matchCase) {
    if (matchCase == m_matchCase) return;
    m_matchCase = matchCase;
    emit matchCaseChanged();
    if (!m_searchText.isEmpty()) scheduleLoad();
}

void HistoryViewModel::scheduleLoad() {
    if (m_loadScheduled) return;
    m_loadScheduled = true;
    // A load run directly in the meantime serves this request too.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_loadScheduled) loadItems();
        },
        Qt::QueuedConnection);
}

void HistoryViewModel::deferFirstLoad(int delayMs) {
    if (m_loaded) return;
    m_loadScheduled = false;  // the queued load finds nothing to do
    QTimer::singleShot(delayMs, this, [this] {
        if (!m_loaded) scheduleLoad();
    });
}

void HistoryViewModel::ensureLoaded() {
    if (!m_loaded) loadItems();
}

void HistoryViewModel::loadItems() {
    m_loadScheduled = false;
    m_loaded = true;
    ++m_generation;  // a scan still running for an earlier load stops
    m_scanning = false;
    m_cursor.reset();
    ClipList fresh = m_searchText.isEmpty() ? m_storage.fetchItems(m_searchText) : startScan();
    // A list still growing is new even if its first rows equal the old ones: views must
    // follow the new one.
    const bool changed = m_scanning || !(fresh == m_items);
    m_items = std::move(fresh);
    if (changed) emit itemsChanged();
    setSelectedIndex(0);
}

ClipList HistoryViewModel::startScan() {
    m_scanRows = std::make_shared<std::vector<qint64>>();
    m_cursor = m_storage.search(m_searchText, m_matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive,
                                m_scanStep);
    // A first screenful right away if a few steps find it; the rest follows step by step.
    bool more = true;
    for (int i = 0;
         i < initialSteps && more && qsizetype(m_scanRows->size()) < ClipList::windowSize; ++i)
        more = m_cursor->step(*m_scanRows);
    if (more) {
        m_scanning = true;
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this, [this, generation] { continueScan(generation); }, Qt::QueuedConnection);
    } else {
        m_cursor.reset();
    }
    return ClipList(&m_storage.context(), m_scanRows);
}

void HistoryViewModel::continueScan(quint64 generation) {
    if (generation != m_generation || !m_cursor) return;
    std::vector<qint64> found;
    const bool more = m_cursor->step(found);
    m_scanning = more;
    if (!more) m_cursor.reset();
    // The last step is announced even when it found nothing: the search is complete.
    if (!found.empty() || !more) {
        const qsizetype first = qsizetype(m_scanRows->size());
        m_scanRows->insert(m_scanRows->end(), found.begin(), found.end());
        emit itemsAppended(first, qsizetype(found.size()));
    }
    if (!more) return;
    QMetaObject::invokeMethod(
        this, [this, generation] { continueScan(generation); }, Qt::QueuedConnection);
}

void HistoryViewModel::setSelectedIndex(qint64 index) {
    if (index == m_selectedIndex) return;
    m_selectedIndex = index;
    emit selectedIndexChanged();
}

void HistoryViewModel::moveSelection(qint64 delta) {
    const qint64 candidate = m_selectedIndex + delta;
    if (candidate < 0 || candidate >= m_items.size()) return;
    setSelectedIndex(candidate);
}

void HistoryViewModel::clipboardDidChange(const QString& text) {
    if (text.size() > backgroundClipChars) {
        // Megabytes take a noticeable time to reach the disk: written off the event loop,
        // listed once stored.
        m_storage.insertClipInBackground(text, m_clock.now());
        return;
    }
    m_storage.context().insert(std::make_shared<ClipItem>(text, m_clock.now()));
    m_storage.context().save();  // a failed save stays pending and is retried by the next one
    scheduleLoad();
}

void HistoryViewModel::forgetItem(const std::shared_ptr<ClipItem>& item) {
    if (!item || item->isDeleted()) return;
    const QString content = item->content();
    const qint64 row = m_selectedIndex;
    m_storage.forgetClip(item);  // a failed save keeps the deletion pending, as for copies
    m_monitor.clearPasteboardIfHolding(content);
    // At once, not queued: the row must not be chosen again in the meantime.
    loadItems();
    setSelectedIndex(std::max<qint64>(0, std::min<qint64>(row, m_items.size() - 1)));
    emit itemForgotten();
}

void HistoryViewModel::selectItem(const std::shared_ptr<ClipItem>& item) {
    if (!item) return;
    m_monitor.copyToPasteboard(item->content());
    item->setTimestamp(m_clock.now());
    m_storage.context().save();
    scheduleLoad();
}

}  // namespace quillet
