#pragma once

#include <QIcon>
#include <QString>

namespace quillet {

// The symbol images of the phrase window ("plus", "folder.badge.plus", "arrow.up.doc.fill")
// as icons of the desktop's theme, or drawn ones where the theme has none.
QIcon symbolIcon(const QString& symbolName);

}  // namespace quillet
