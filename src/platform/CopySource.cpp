#include "platform/CopySource.h"

namespace quillet {

bool isIgnoredApplication(const QStringList& ignored, const QStringList& names) {
    for (const QString& name : names) {
        if (!name.isEmpty() && ignored.contains(name, Qt::CaseInsensitive)) return true;
    }
    return false;
}

}  // namespace quillet
