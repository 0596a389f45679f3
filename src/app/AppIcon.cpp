#include "app/AppIcon.h"

namespace quillet::AppIcon {

namespace {

QIcon builtIn() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillet-%1.png").arg(size), QSize(size, size));
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
