#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <vector>

#include "store/PhraseSearch.h"

namespace quillet {

class StorageContext;
struct SaveSummary;

// The phrases the search panel lists while it searches phrases: those PhraseSearch finds for
// the text typed, at most `maxRows` (a search narrows a longer library), and which of them
// is highlighted. The list for an empty search is kept until a save touches the library, so
// a panel opened on the phrases shows them without reading the store.
class PhraseSearchModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { AbbreviationRole = Qt::UserRole + 1, BodyRole, CategoryRole };
    static constexpr int maxRows = 200;

    explicit PhraseSearchModel(StorageContext& context, QObject* parent = nullptr);

    // Searches for `text`; the first row is highlighted.
    void search(const QString& text);
    // The same for an empty text, from the list kept when the library has not changed since.
    void showAll();
    const QString& searchText() const { return m_text; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const PhraseHit* hitAt(int row) const;
    int highlighted() const { return m_highlighted; }
    // Moves the highlight by `step` rows, kept within the list.
    void moveHighlight(int step);

signals:
    void highlightChanged(int row);

private:
    void noteSave(const SaveSummary& summary);

    StorageContext& m_context;
    bool m_current = false;  // the rows are the whole library's first, as it is now
    QString m_text;
    std::vector<PhraseHit> m_hits;
    int m_highlighted = -1;
};

// A found phrase's row: its title with the abbreviation right-aligned on the first line, the
// start of its body dimmed on the second.
class PhraseHitDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace quillet
