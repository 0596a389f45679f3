#pragma once

#include <QDateTime>
#include <QString>

#include "store/Record.h"

namespace quillet {

// One history entry: a copied text and the time it was last copied or used.
class ClipItem final : public Record {
public:
    // A new clip with a fresh id.
    ClipItem(QString content, QDateTime timestamp);
    // A clip as stored.
    ClipItem(QUuid id, QString content, QDateTime timestamp);

    Entity entity() const override { return Entity::Clip; }
    const QString& content() const { return m_content; }
    QDateTime timestamp() const { return m_timestamp; }
    void setTimestamp(const QDateTime& timestamp);

    // The timestamp as last saved; the order index needs it to find the old position.
    QDateTime storedTimestamp() const { return m_storedTimestamp; }

private:
    friend class StorageContext;
    QString m_content;
    QDateTime m_timestamp;
    QDateTime m_storedTimestamp;
};

}  // namespace quillet
