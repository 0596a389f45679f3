#pragma once

#include <QString>

namespace quillet {

// The user-visible text for a localisation key, or `defaultText` (UTF-8) when no installed
// translation has the key.
QString localized(const char* key, const char* defaultText);

}  // namespace quillet
