#include "ui/brand_icon.h"

#include <QPainter>
#include <QPixmap>

namespace klv {

QIcon brandIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x6f, 0x5c));
        p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.2, size * 0.2);
        p.setBrush(QColor(0x7c, 0xd9, 0x5f));
        p.drawRect(QRectF(size * 0.18, size * 0.74, size * 0.64, size * 0.08));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(std::max(7, int(size * 0.42)));
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, size, size * 0.82), Qt::AlignCenter, QStringLiteral("CW"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace klv
