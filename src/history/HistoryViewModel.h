#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "history/ClipboardMonitorDelegate.h"
#include "store/ClipList.h"
#include "store/SearchCursor.h"

namespace quillet {

class ClipItem;
class ClipboardMonitor;
class Clock;
class StorageService;

// The one observable history list: the clips matching `searchText`, newest first, and the
// highlighted row. It stores every new copy the monitor reports and re-uses chosen clips.
class HistoryViewModel : public QObject, public ClipboardMonitorDelegate {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(qint64 selectedIndex READ selectedIndex NOTIFY selectedIndexChanged)
    Q_PROPERTY(bool matchCase READ matchCase WRITE setMatchCase NOTIFY matchCaseChanged)
public:
    HistoryViewModel(StorageService& storage, ClipboardMonitor& monitor, Clock& clock,
                     QObject* parent = nullptr);
    ~HistoryViewModel() override;

    const ClipList& items() const { return m_items; }
    const QString& searchText() const { return m_searchText; }
    // Every assignment reloads the list, an equal one too.
    void setSearchText(const QString& text);
    qint64 selectedIndex() const { return m_selectedIndex; }
    // Whether the search tells upper from lower case (on by default); a change reloads a
    // search under way.
    bool matchCase() const { return m_matchCase; }
    void setMatchCase(bool matchCase);

    // Reads the list for the current search text and puts the selection on the first row.
    void loadItems();
    // Queues a load on the main loop. Loads queued before one runs are served by it: each
    // reads the search text when it runs, so the result is the same.
    void scheduleLoad();
    bool isLoadScheduled() const { return m_loadScheduled; }
    // The first load, queued by the constructor, waits `delayMs` instead: a long history takes
    // a while to read, and start-up (the tray icon, the first requests) comes first. Whatever
    // needs the list before then calls ensureLoaded().
    void deferFirstLoad(int delayMs);
    // Loads now unless a load has run before.
    void ensureLoaded();

    // Puts the clip's text on the clipboard and makes it the newest clip.
    void selectItem(const std::shared_ptr<ClipItem>& item);
    // Removes the clip from the history for good (see StorageService::forgetClip) and
    // empties the clipboard if it holds the clip's text. The highlight stays on the same row,
    // now the next clip, or the last row.
    void forgetItem(const std::shared_ptr<ClipItem>& item);
    // Moves the highlight; it stops at the first and last row and never wraps.
    void moveSelection(qint64 delta);

    void clipboardDidChange(const QString& text) override;

    // A search runs in steps of about `rows` clips on the main loop (see
    // StorageService::search), so the first matches show at once and typing never waits for
    // the whole history; the list grows until the search ends.
    void setScanStep(int rows) { m_scanStep = rows; }
    static constexpr int initialSteps = 3;
    // Texts longer than this (in UTF-16 units, 1 MiB of text) are stored off the event loop.
    static constexpr qsizetype backgroundClipChars = qsizetype(1) << 20;
    bool isScanning() const { return m_scanning; }

signals:
    void itemsChanged();
    // The list grew at its end by a search step: rows [first, first + count) are new. The
    // step that completes the search is announced too, possibly with no rows.
    void itemsAppended(qsizetype first, qsizetype count);
    void searchTextChanged();
    void matchCaseChanged();
    void selectedIndexChanged();
    // A clip was forgotten: whatever shows clips ahead of time builds again.
    void itemForgotten();

private:
    void setSelectedIndex(qint64 index);
    ClipList startScan();
    void continueScan(quint64 generation);

    StorageService& m_storage;
    ClipboardMonitor& m_monitor;
    Clock& m_clock;
    ClipList m_items;
    QString m_searchText;
    bool m_matchCase = true;
    qint64 m_selectedIndex = 0;
    bool m_loadScheduled = false;
    bool m_loaded = false;
    quint64 m_generation = 0;
    bool m_scanning = false;
    int m_scanStep = 4000;
    std::unique_ptr<SearchCursor> m_cursor;
    std::shared_ptr<std::vector<qint64>> m_scanRows;
};

}  // namespace quillet
