#include "app/Localized.h"

#include <QCoreApplication>

namespace quillet {

QString localized(const char* key, const char* defaultText) {
    const QString translated = QCoreApplication::translate("Quillet", key);
    if (translated != QLatin1String(key)) return translated;
    return QString::fromUtf8(defaultText);
}

}  // namespace quillet
