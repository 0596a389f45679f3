#pragma once

#include <QAbstractListModel>
#include <QTimer>
#include <limits>
#include <memory>

#include "store/ClipList.h"

namespace quillet {

class ClipItem;
class HistoryViewModel;

// The history view model's clips as an item model. Rows are read from the clip list only
// when a view asks for them, so a view over a million clips touches just the visible ones.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        ContentRole = Qt::UserRole + 1,  // QString; Qt::DisplayRole gives the same text
        TimestampRole,                   // QDateTime
        SelectedRole,                    // bool: the view model's highlighted row
    };

    explicit HistoryListModel(HistoryViewModel& viewModel, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // A row's tooltip (rich text, everything escaped): the clip's first `tooltipLines` lines
    // and, when the first match of `query` lies further down, the line that holds it.
    static QString tooltip(const QString& content, const QString& query,
                           Qt::CaseSensitivity cs = Qt::CaseSensitive);
    static constexpr int tooltipLines = 40;
    static constexpr int tooltipLineChars = 200;
    QHash<int, QByteArray> roleNames() const override;

    // The clip shown in `row`, or null.
    std::shared_ptr<ClipItem> clipAt(int row) const;

private:
    void reload();
    void selectionMoved();

    HistoryViewModel& m_viewModel;
    // The list the views were last told about; replaced only inside a model reset.
    // An item model counts in int; a history beyond that shows its newest two billion.
    static constexpr qsizetype maxRows = std::numeric_limits<int>::max();

    static constexpr int appendIntervalMs = 250;
    void announceAppended();

    QTimer m_appendTimer;
    ClipList m_items;
    // Rows announced to views; a growing list is ahead of it between the two append signals.
    qsizetype m_rowCount = 0;
    qint64 m_selectedRow = -1;
};

}  // namespace quillet
