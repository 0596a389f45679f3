#pragma once

#include <QString>
#include <memory>

#include "store/Record.h"

namespace quillet {

class PhraseCategory;

// One reusable text: a title shown in lists, the body that is pasted and an optional
// abbreviation, a short word that finds it in the search panel.
class PhraseItem final : public Record {
public:
    PhraseItem(QString title, QString body, qint64 sortOrder);
    PhraseItem(QUuid id, QString title, QString body, qint64 sortOrder);

    Entity entity() const override { return Entity::Phrase; }
    const QString& title() const { return m_title; }
    void setTitle(const QString& title);
    const QString& body() const { return m_body; }
    void setBody(const QString& body);
    const QString& abbreviation() const { return m_abbreviation; }
    void setAbbreviation(const QString& abbreviation);
    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);

    std::shared_ptr<PhraseCategory> category() const { return m_category; }
    // Set by the creator before the phrase is inserted; a phrase never changes category after.
    void setCategory(std::shared_ptr<PhraseCategory> category);
    QUuid categoryId() const;

private:
    friend class StorageContext;
    QString m_title;
    QString m_body;
    QString m_abbreviation;
    qint64 m_sortOrder;
    std::shared_ptr<PhraseCategory> m_category;
};

}  // namespace quillet
