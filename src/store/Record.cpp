#include "store/Record.h"

#include "store/StorageContext.h"

namespace quillet {

void Record::didChange() {
    if (m_context != nullptr && !m_deleted) m_context->noteChange(shared_from_this());
}

}  // namespace quillet
