#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace quillet::AppIcon {

namespace {

QIcon builtIn() {
    QIcon icon;
    // Without a size given, each file is read for its size: a missing one adds nothing.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillet-%1.png").arg(size));
    return icon;
}

// Faded, so a glance tells it from the usual icon even where the sign is too small to read;
// the sign sits on a dark disc so it shows on light and dark panels alike.
QPixmap paused(const QIcon& base, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(0.4);
    painter.drawPixmap(QRect(0, 0, size, size), base.pixmap(QSize(size, size), 1.0));
    painter.setOpacity(1.0);
    const qreal disc = size * 0.6;
    const QRectF badge(size - disc, size - disc, disc, disc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 32, 32, 235));
    painter.drawEllipse(badge);
    painter.setBrush(Qt::white);
    const qreal barWidth = disc * 0.17;
    const qreal barHeight = disc * 0.5;
    const qreal gap = disc * 0.14;
    const qreal top = badge.center().y() - barHeight / 2;
    painter.drawRect(QRectF(badge.center().x() - gap / 2 - barWidth, top, barWidth, barHeight));
    painter.drawRect(QRectF(badge.center().x() + gap / 2, top, barWidth, barHeight));
    return pixmap;
}

}  // namespace

QIcon pausedIcon() {
    const QIcon base = icon();
    QIcon result;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) result.addPixmap(paused(base, size));
    return result;
}

bool inTheme() {
    return QIcon::hasThemeIcon(QLatin1String(themeName));
}

QIcon icon() {
    return QIcon::fromTheme(QLatin1String(themeName), builtIn());
}

}  // namespace quillet::AppIcon
