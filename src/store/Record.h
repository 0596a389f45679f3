#pragma once

#include <QUuid>
#include <memory>

namespace quillet {

class StorageContext;

// A stored object. The context keeps one live object per stored row, so two references to
// the same row are the same object and equality is identity.
class Record : public std::enable_shared_from_this<Record> {
public:
    enum class Entity { Clip, Category, Phrase };

    virtual ~Record() = default;
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    virtual Entity entity() const = 0;
    QUuid id() const { return m_id; }
    // The row number once stored, 0 before the first successful save.
    qint64 rowId() const { return m_rowId; }
    bool isDeleted() const { return m_deleted; }

protected:
    explicit Record(QUuid id) : m_id(id) {}
    // The context that holds this record; null before insertion, after deletion and once the
    // context is gone (it clears the pointer of every live record when destroyed).
    StorageContext* context() const { return m_context; }
    // Called by setters: the change stays pending in the context until the next save.
    void didChange();

private:
    friend class StorageContext;
    QUuid m_id;
    qint64 m_rowId = 0;
    StorageContext* m_context = nullptr;  // non-owning; the context outlives its records' use
    bool m_deleted = false;
};

}  // namespace quillet
