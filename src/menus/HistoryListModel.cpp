#include "menus/HistoryListModel.h"

#include <QStringList>
#include <algorithm>
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
    if (role != Qt::DisplayRole && role != ContentRole && role != TimestampRole &&
        role != Qt::ToolTipRole)
        return {};
    const std::shared_ptr<ClipItem> clip = m_items.at(index.row());
    if (!clip) return {};
    if (role == TimestampRole) return clip->timestamp();
    if (role == Qt::ToolTipRole)
        return tooltip(clip->content(), m_viewModel.searchText(),
                       m_viewModel.matchCase() ? Qt::CaseSensitive : Qt::CaseInsensitive);
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

QString HistoryListModel::tooltip(const QString& content, const QString& query,
                                  Qt::CaseSensitivity cs) {
    auto shown = [](QStringView line) {
        QString text = line.left(tooltipLineChars).toString();
        if (line.size() > tooltipLineChars) text += QChar(0x2026);
        return text.toHtmlEscaped();
    };
    // Lines are found one at a time, so a clip of a million lines costs only what is shown.
    QStringList lines;
    qsizetype pos = 0;
    while (pos <= content.size() && lines.size() < tooltipLines) {
        qsizetype end = content.indexOf(u'\n', pos);
        if (end < 0) end = content.size();
        lines << shown(QStringView(content).mid(pos, end - pos));
        pos = end + 1;
    }
    if (pos <= content.size()) lines << QString(QChar(0x22EF));  // more lines follow

    const qsizetype match = query.isEmpty() ? -1 : content.indexOf(query, 0, cs);
    const qsizetype lineStart = match > 0 ? content.lastIndexOf(u'\n', match) + 1 : 0;
    // Shown already: on one of the lines above, within the part of it that is shown.
    const bool shownAbove =
        match >= 0 && match < pos && match + query.size() - lineStart <= tooltipLineChars;
    if (match >= 0 && !shownAbove) {
        qsizetype lineEnd = content.indexOf(u'\n', match);
        if (lineEnd < 0) lineEnd = content.size();
        const qsizetype lineNumber = QStringView(content).left(lineStart).count(u'\n') + 1;
        // The match itself is kept in view when the line is long.
        const qsizetype from = std::max(lineStart, match - tooltipLineChars / 2);
        //% "Line %1: %2"
        lines << QStringLiteral("<b>%1</b>")
                     .arg(qtTrId("TOOLTIP_MATCH_LINE")
                              .arg(QString::number(lineNumber),
                                   shown(QStringView(content).mid(from, lineEnd - from))));
    }
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

}  // namespace quillet
