#include "store/ClipItem.h"

namespace quillet {

ClipItem::ClipItem(QString content, QDateTime timestamp)
    : ClipItem(QUuid::createUuid(), std::move(content), std::move(timestamp)) {}

ClipItem::ClipItem(QUuid id, QString content, QDateTime timestamp)
    : Record(id), m_content(std::move(content)), m_timestamp(std::move(timestamp)) {}

void ClipItem::setTimestamp(const QDateTime& timestamp) {
    if (timestamp == m_timestamp) return;
    m_timestamp = timestamp;
    didChange();
}

}  // namespace quillet
