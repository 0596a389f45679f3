#include "app/AppIcon.h"

namespace quillet::AppIcon {

namespace {

QIcon builtIn() {
    QIcon icon;
    // Without a size given, each file is read for its size: a missing one adds nothing.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillet-%1.png").arg(size));
    return icon;
}

}  // namespace

bool inTheme() {
    return QIcon::hasThemeIcon(QLatin1String(themeName));
}

QIcon icon() {
    return QIcon::fromTheme(QLatin1String(themeName), builtIn());
}

}  // namespace quillet::AppIcon
