#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "store/Record.h"

namespace quillet {

class PhraseItem;

// A named group of phrases. Deleting it deletes its phrases.
class PhraseCategory final : public Record {
public:
    PhraseCategory(QString name, qint64 sortOrder);
    PhraseCategory(QUuid id, QString name, qint64 sortOrder);

    Entity entity() const override { return Entity::Category; }
    const QString& name() const { return m_name; }
    void setName(const QString& name);
    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);

    // The stored phrases of this category in the order the store holds them (not sorted).
    std::vector<std::shared_ptr<PhraseItem>> items() const;
    // The phrases ordered by sortOrder; ties keep the stored order.
    std::vector<std::shared_ptr<PhraseItem>> sortedItems() const;

private:
    friend class StorageContext;
    QString m_name;
    qint64 m_sortOrder;
};

}  // namespace quillet
