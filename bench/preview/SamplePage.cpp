#include "SamplePage.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Width = 1632;
constexpr int Height = 2112;
constexpr int DotsPerMeter192 = 7559;

void holly(QPainter &painter, QPointF at, qreal size, qreal angle)
{
    painter.save();
    painter.translate(at);
    painter.rotate(angle);
    painter.setPen(QPen(QColor(0x1b, 0x5e, 0x20), size * 0.04));
    painter.setBrush(QColor(0x2e, 0x7d, 0x32));
    for (int leaf = 0; leaf < 3; ++leaf) {
        painter.save();
        painter.rotate(-50 + leaf * 50);
        QPainterPath path(QPointF(0, 0));
        path.cubicTo(QPointF(size * 0.3, -size * 0.35), QPointF(size * 0.8, -size * 0.3), QPointF(size, 0));
        path.cubicTo(QPointF(size * 0.8, size * 0.3), QPointF(size * 0.3, size * 0.35), QPointF(0, 0));
        painter.drawPath(path);
        painter.restore();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    for (QPointF berry :
         {QPointF(-size * 0.08, -size * 0.1), QPointF(size * 0.1, -size * 0.06), QPointF(0, size * 0.1)})
        painter.drawEllipse(berry, size * 0.11, size * 0.11);
    painter.restore();
}

void centredText(QPainter &painter, int top, int height, const QFont &font, const QColor &color, const QString &text)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRect(0, top, Width, height), Qt::AlignCenter, text);
}

QFont font(const char *family, int pixelSize, bool bold = false, bool italic = false)
{
    QFont result(QString::fromLatin1(family));
    result.setPixelSize(pixelSize);
    result.setBold(bold);
    result.setItalic(italic);
    return result;
}

} // namespace

QImage samplePage()
{
    QImage page(Width, Height, QImage::Format_RGB32);
    page.setDotsPerMeterX(DotsPerMeter192);
    page.setDotsPerMeterY(DotsPerMeter192);
    page.fill(Qt::white);

    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor red(0xb7, 0x1c, 0x1c);
    const QColor green(0x1b, 0x5e, 0x20);
    painter.setPen(QPen(red, 14));
    painter.drawRect(QRectF(96, 96, Width - 192, Height - 192));
    painter.setPen(QPen(green, 5));
    painter.drawRect(QRectF(126, 126, Width - 252, Height - 252));
    holly(painter, QPointF(160, 160), 150, 45);
    holly(painter, QPointF(Width - 160, 160), 150, 135);
    holly(painter, QPointF(160, Height - 160), 150, -45);
    holly(painter, QPointF(Width - 160, Height - 160), 150, -135);

    centredText(painter, 330, 200, font("Liberation Serif", 150, true, true), red, QStringLiteral("You're Invited"));
    centredText(painter, 540, 110, font("Liberation Serif", 84, false, true), green,
                QStringLiteral("to a Christmas Party"));
    holly(painter, QPointF(Width / 2.0, 760), 110, -90);
    centredText(painter, 900, 90, font("Liberation Serif", 64), Qt::black,
                QStringLiteral("Saturday, December 19, 2026, at 7:30 P.M."));
    centredText(painter, 1010, 90, font("Liberation Serif", 64), Qt::black,
                QStringLiteral("417 Larkspur Avenue, North Vellmont, WA"));
    centredText(painter, 1200, 70, font("Liberation Sans", 44, false, true), QColor(0x55, 0x55, 0x55),
                QStringLiteral("Given by"));
    centredText(painter, 1270, 100, font("Liberation Serif", 76, true), red, QStringLiteral("Ilse and Bram Ketterly"));
    centredText(painter, 1500, 260, font("Liberation Sans", 40), QColor(0x44, 0x44, 0x44),
                QStringLiteral("Carols, mulled cider and gingerbread.\nPlease reply by December 12."));
    return page;
}
