#include "menus/HistoryListModel.h"

#include <limits>

#include "history/HistoryViewModel.h"
#include "store/ClipItem.h"

namespace quillet {

HistoryListModel::HistoryListModel(HistoryViewModel& viewModel, QObject* parent)
    : QAbstractListModel(parent),
      m_viewModel(viewModel),
      m_items(viewModel.items()),
      m_rowCount(std::min<qsizetype>(m_items.size(), maxRows)),
      m_selectedRow(viewModel.selectedIndex()) {
    connect(&m_viewModel, &HistoryViewModel::itemsChanged, this, &HistoryListModel::reload);
    connect(&m_viewModel, &HistoryViewModel::selectedIndexChanged, this,
            &HistoryListModel::selectionMoved);
    // A search in steps appends rows. Views lay out every row again on each insertion, so the
    // new rows are announced at most a few times a second, and at once when the search ends.
    m_appendTimer.setSingleShot(true);
    m_appendTimer.setInterval(appendIntervalMs);
    connect(&m_appendTimer, &QTimer::timeout, this, &HistoryListModel::announceAppended);
    connect(&m_viewModel, &HistoryViewModel::itemsAppended, this, [this] {
        if (!m_viewModel.isScanning()) {
            announceAppended();
        } else if (!m_appendTimer.isActive()) {
            m_appendTimer.start();
        }
    });
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return int(m_rowCount);
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == SelectedRole) return index.row() == m_selectedRow;
    if (role != Qt::DisplayRole && role != ContentRole && role != TimestampRole) return {};
    const std::shared_ptr<ClipItem> clip = m_items.at(index.row());
    if (!clip) return {};
    if (role == TimestampRole) return clip->timestamp();
    return clip->content();
}

QHash<int, QByteArray> HistoryListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(ContentRole, "content");
    names.insert(TimestampRole, "timestamp");
    names.insert(SelectedRole, "selected");
    return names;
}

std::shared_ptr<ClipItem> HistoryListModel::clipAt(int row) const {
    if (row < 0) return nullptr;
    return m_items.at(row);
}

void HistoryListModel::announceAppended() {
    m_appendTimer.stop();
    const qsizetype available = std::min<qsizetype>(m_items.size(), maxRows);
    if (available <= m_rowCount) return;
    beginInsertRows({}, int(m_rowCount), int(available - 1));
    m_rowCount = available;
    endInsertRows();
}

void HistoryListModel::reload() {
    m_appendTimer.stop();
    beginResetModel();
    m_items = m_viewModel.items();
    m_rowCount = std::min<qsizetype>(m_items.size(), maxRows);
    m_selectedRow = m_viewModel.selectedIndex();
    endResetModel();
}

void HistoryListModel::selectionMoved() {
    const qint64 previous = m_selectedRow;
    m_selectedRow = m_viewModel.selectedIndex();
    if (m_selectedRow >= m_rowCount) announceAppended();  // moved onto rows not shown yet
    for (const qint64 row : {previous, m_selectedRow}) {
        if (row < 0 || row >= rowCount()) continue;
        const QModelIndex changed = index(int(row));
        emit dataChanged(changed, changed, {SelectedRole});
    }
}

}  // namespace quillet
