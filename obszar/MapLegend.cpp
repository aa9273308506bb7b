#include "MapLegend.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vorida::obszar {

QColor ArrowColour(ArrowKind kind)
{
    switch (kind) {
    case ArrowKind::Residual:
        return kResidualBlue;
    case ArrowKind::LeaveOneOut:
        return kLooOrange;
    case ArrowKind::Check:
        return kCheckGreen;
    }
    return Qt::black;
}

void DrawLegendSymbol(QPainter& painter, const QRectF& box, LegendSymbol symbol)
{
    const QPointF middle = box.center();
    const double h = box.height() * 0.6;
    auto triangle = [&](const QColor& pen, const QBrush& fill) {
        painter.setPen(QPen(pen, h / 8.0));
        painter.setBrush(fill);
        const QPointF c(box.left() + h, middle.y());
        painter.drawPolygon(QPolygonF(
            { c + QPointF(0, -h / 2), c + QPointF(h / 2, h / 2), c + QPointF(-h / 2, h / 2) }));
        painter.setBrush(Qt::NoBrush);
    };
    auto line = [&](const QColor& colour, Qt::PenStyle style) {
        painter.setPen(QPen(colour, h / 6.0, style));
        painter.drawLine(QPointF(box.left(), middle.y()), QPointF(box.right(), middle.y()));
        if (style == Qt::SolidLine && colour != kGridGrey) {
            const QPointF tip(box.right(), middle.y());
            painter.drawLine(tip, tip + QPointF(-h / 2, -h / 4));
            painter.drawLine(tip, tip + QPointF(-h / 2, h / 4));
        }
    };
    painter.setBrush(Qt::NoBrush);
    switch (symbol) {
    case LegendSymbol::Adjustment:
        triangle(Qt::black, Qt::white);
        break;
    case LegendSymbol::Extrapolated:
        triangle(kExtrapolatedPurple, Qt::white);
        break;
    case LegendSymbol::Blunder:
        triangle(kBlunderRed, kBlunderRed);
        break;
    case LegendSymbol::Residual:
        line(kResidualBlue, Qt::SolidLine);
        break;
    case LegendSymbol::Loo:
        line(kLooOrange, Qt::SolidLine);
        break;
    case LegendSymbol::Check:
        line(kCheckGreen, Qt::SolidLine);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(box.left(), middle.y() - h / 3, h / 1.5, h / 1.5));
        painter.setBrush(Qt::NoBrush);
        break;
    case LegendSymbol::AreaBox:
        painter.setPen(QPen(kAreaGrey, h / 8.0, Qt::DashLine));
        painter.drawRect(QRectF(box.left(), middle.y() - h / 2, box.width(), h));
        break;
    case LegendSymbol::CutArrow:
        painter.setPen(QPen(kResidualBlue, h / 4.0));
        painter.drawLine(QPointF(box.left(), middle.y()), QPointF(box.right(), middle.y()));
        break;
    case LegendSymbol::Grid:
        line(kGridGrey, Qt::SolidLine);
        break;
    }
}

QRectF LegendBox(const std::vector<LegendEntry>& legend, const QFont& font, double rowHeight)
{
    const QFontMetricsF metrics(font);
    double widest = 0.0;
    for (const LegendEntry& entry : legend)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(entry.Text)));
    return QRectF(0.0, 0.0, rowHeight * 3.0 + widest + rowHeight * 0.5,
        rowHeight * (static_cast<double>(legend.size()) + 0.5));
}

void DrawLegend(
    QPainter& painter, const std::vector<LegendEntry>& legend, const QRectF& box, double rowHeight)
{
    painter.save();
    painter.setPen(QPen(QColor(160, 160, 160), 0));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    double y = box.top() + rowHeight * 0.25;
    for (const LegendEntry& entry : legend) {
        DrawLegendSymbol(painter,
            QRectF(box.left() + rowHeight * 0.4, y + rowHeight * 0.1, rowHeight * 2.0,
                rowHeight * 0.8),
            entry.Symbol);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + rowHeight * 3.0, y, box.width(), rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(entry.Text));
        y += rowHeight;
    }
    painter.restore();
}

double RoundBarLength(double most)
{
    if (!(most > 0.0))
        return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : { 5.0, 2.0, 1.0 })
        if (step * power <= most)
            return step * power;
    return power;
}

double RoughScale(double denominator)
{
    if (!(denominator >= 1000.0))
        return std::round(denominator);
    const double power = std::pow(10.0, std::floor(std::log10(denominator)) - 2.0);
    return std::round(denominator / power) * power;
}

void DrawScaleBar(QPainter& painter, const QRectF& box, double length, const QString& ground,
    const QString& title)
{
    painter.save();
    const QFontMetricsF metrics(painter.font());
    const double barHeight = std::max(3.0, metrics.height() * 0.3);
    // The bar, then what it stands for, at the bottom of box; the title above them.
    const double groundWidth = metrics.horizontalAdvance(ground);
    const double right = box.right() - groundWidth - metrics.horizontalAdvance(QLatin1Char(' '));
    const double left = right - length;
    const double top = box.bottom() - metrics.descent() - barHeight;
    painter.setPen(QPen(Qt::black, 0));
    for (int q = 0; q < 4; ++q) {
        painter.setBrush(q % 2 == 0 ? QBrush(Qt::black) : QBrush(Qt::white));
        painter.drawRect(QRectF(left + length * q / 4.0, top, length / 4.0, barHeight));
    }
    painter.drawText(QPointF(box.right() - groundWidth, box.bottom() - metrics.descent()), ground);
    painter.drawText(QPointF(box.right() - metrics.horizontalAdvance(title),
                         box.bottom() - metrics.descent() - metrics.height()),
        title);
    painter.restore();
}

void DrawNorthArrow(QPainter& painter, const QRectF& box)
{
    painter.save();
    const double w = box.width(), x = box.center().x();
    const QFontMetricsF metrics(painter.font());
    const double arrowTop = box.top() + metrics.height();
    painter.setPen(QPen(Qt::black, std::max(1.0, w / 12.0)));
    painter.drawLine(QPointF(x, box.bottom()), QPointF(x, arrowTop));
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF({ QPointF(x, arrowTop), QPointF(x - w / 3.0, arrowTop + w * 0.8),
        QPointF(x + w / 3.0, arrowTop + w * 0.8) }));
    painter.drawText(QRectF(box.left() - w, box.top(), w * 3.0, metrics.height()),
        Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("N"));
    painter.restore();
}

} // namespace vorida::obszar
