#include "phrases/SymbolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillet {

namespace {

QString themeName(const QString& symbol) {
    if (symbol == QLatin1String("plus")) return QStringLiteral("list-add");
    if (symbol == QLatin1String("folder.badge.plus")) return QStringLiteral("folder-new");
    if (symbol == QLatin1String("arrow.up.doc.fill")) return QStringLiteral("document-export");
    return {};
}

// Drawn here rather than shipped as images, so they show without a theme or image plugins.
QIcon drawn(const QString& symbol) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x3b, 0x3f, 0x45);
    auto plus = [&](QPointF centre, qreal half) {
        painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
        painter.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
    };
    if (symbol == QLatin1String("folder.badge.plus")) {
        painter.setPen(QPen(ink, 2));
        painter.setBrush(QColor(0xe8, 0xd9, 0xa8));
        QPainterPath folder;
        folder.moveTo(3, 8);
        folder.lineTo(12, 8);
        folder.lineTo(15, 11);
        folder.lineTo(27, 11);
        folder.lineTo(27, 26);
        folder.lineTo(3, 26);
        folder.closeSubpath();
        painter.drawPath(folder);
        plus({22, 21}, 5);
    } else if (symbol == QLatin1String("arrow.up.doc.fill")) {
        painter.setPen(QPen(ink, 2));
        painter.setBrush(QColor(0xf4, 0xf1, 0xe8));
        painter.drawRoundedRect(QRectF(7, 3, 18, 26), 2, 2);
        painter.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(16, 23), QPointF(16, 10));
        painter.drawLine(QPointF(16, 10), QPointF(11.5, 14.5));
        painter.drawLine(QPointF(16, 10), QPointF(20.5, 14.5));
    } else {
        plus({16, 16}, 10);
    }
    return QIcon(pixmap);
}

}  // namespace

QIcon symbolIcon(const QString& symbolName) {
    const QIcon themed = QIcon::fromTheme(themeName(symbolName));
    if (!themed.isNull() && !themed.availableSizes().isEmpty()) return themed;
    return drawn(symbolName);
}

}  // namespace quillet
