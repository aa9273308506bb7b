// The names, the lengths of cut arrows and the map's furniture (legend, scale bars, north arrow)
// of MapView: what is placed on the view after the sheet, clear of what is there.
#include "MapView.h"

#include "AreaText.h"
#include "Cp1250.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vorida::obszar {

namespace {

double px(Extended v)
{
    return static_cast<double>(v);
}

} // namespace

std::vector<MapView::ScreenLabel> MapView::nameLabels(Occupancy& taken,
    const std::vector<QPointF>& at, const std::vector<QPointF>& checkAt,
    const std::vector<std::pair<QLineF, size_t>>& cut) const
{
    const double u = labelUnit();
    std::vector<ScreenLabel> labels;
    // A label at pixel p, its marker taken first (none off the view: a name needs its point).
    auto add = [&](QPointF p, const Box& shape, const std::string& text, LabelKind kind, int rank,
                   Extended weight, const QColor& colour) {
        const Extended x = static_cast<Extended>(p.x() / u), y = static_cast<Extended>(p.y() / u);
        const Box marker { x + shape.Left, y + shape.Top, x + shape.Right, y + shape.Bottom };
        if (!taken.Inside(marker))
            return;
        taken.Take(marker);
        Label label;
        label.X = x;
        label.Y = y;
        label.Text = text;
        label.Kind = kind;
        label.Bold = kind == LabelKind::BlunderName;
        label.Rank = rank;
        label.Weight = weight;
        if (&shape == &kSquare)
            label.Clear = 1.0L;
        labels.push_back({ std::move(label), colour });
    };
    for (size_t i = 0; i < at.size(); ++i) {
        const bool blunder = picture_->NamedAt(i);
        const Extended weight = picture_->Loo && picture_->Loo->Points[i].Computed()
            ? picture_->Loo->Points[i].V
            : 0.0L;
        add(at[i], kTriangle, Cp1250ToUtf8(picture_->Points[i].Name),
            blunder ? LabelKind::BlunderName : LabelKind::Name,
            blunder                           ? 0
                : picture_->ExtrapolatedAt(i) ? 2
                                              : 3,
            weight, blunder ? kBlunderRed : QColor(Qt::black));
    }
    for (size_t i = 0; i < checkAt.size(); ++i)
        add(checkAt[i], kSquare, Cp1250ToUtf8(picture_->Checks[i].Name), LabelKind::Name, 4,
            picture_->CheckResults ? picture_->CheckResults->Points[i].V : 0.0L, kCheckGreen);
    for (const TPkt& p : leftOut_)
        add(toPixel(layout_.PaperX(p.NationalY), layout_.PaperY(p.NationalX)), kTriangle,
            Cp1250ToUtf8(p.Name), LabelKind::Name, 5, 0.0L, kLeftOutGrey);
    // The cut arrows' lengths at their ends.
    for (const auto& [line, k] : cut) {
        Label label;
        label.X = static_cast<Extended>(line.p2().x() / u);
        label.Y = static_cast<Extended>(line.p2().y() / u);
        label.Clear = 0.6L;
        label.Text = arrows_[k].Length;
        label.Kind = LabelKind::CutLength;
        label.Size = kCutSize;
        label.Rank = 1;
        label.Weight = static_cast<Extended>(line.length());
        labels.push_back({ std::move(label), ArrowColour(arrows_[k].Kind) });
    }
    std::stable_sort(labels.begin(), labels.end(), [](const ScreenLabel& a, const ScreenLabel& b) {
        return a.Text.Rank != b.Text.Rank ? a.Text.Rank < b.Text.Rank
                                          : a.Text.Weight > b.Text.Weight;
    });
    return labels;
}

void MapView::drawNames(QPainter& painter, const std::vector<ScreenLabel>& labels, Occupancy& taken)
{
    const double u = labelUnit();
    QFont font = this->font();
    for (const ScreenLabel& shown : labels) {
        const Label& label = shown.Text;
        const bool blunder = label.Kind == LabelKind::BlunderName;
        auto place = PlaceLabel(label, taken);
        bool away = false;
        if (!place && (blunder || label.Cut())) {
            place = PlaceLabelAway(label, taken, blunder);
            away = place.has_value();
        }
        if (!place)
            continue;
        font.setPixelSize(std::max(8, static_cast<int>(std::lround(px(label.Size) * u))));
        font.setBold(label.Bold);
        painter.setFont(font);
        const QPointF base(px(place->first) * u, px(place->second) * u);
        if (away) {
            painter.setPen(QPen(shown.Colour, 0.8));
            painter.drawLine(QPointF(px(label.X) * u, px(label.Y) * u), base);
        }
        // The white halo as the text drawn around it: glyphs come from the cache, where an
        // outlined path would be stroked anew at every step of a zoom.
        const QString name = QString::fromStdString(label.Text);
        painter.setPen(Qt::white);
        for (const QPointF& d : { QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1) })
            painter.drawText(base + d, name);
        painter.setPen(shown.Colour);
        painter.drawText(base, name);
        labelBoxes_.push_back(QFontMetricsF(font).tightBoundingRect(name).translated(base));
        if (label.Cut()) {
            ++lengthsShown_;
            continue;
        }
        ++namesShown_;
        blunderNamesShown_ += blunder ? 1 : 0;
    }
}

void MapView::drawGridLabels(QPainter& painter) const
{
    const QRectF view(0, 0, width(), height());
    QFont font = this->font();
    font.setPixelSize(std::max(8, static_cast<int>(std::lround(px(kGridSize) * labelUnit()))));
    painter.setFont(font);
    painter.setPen(QColor(120, 120, 120));
    // The sheet spaced them for paper; on a small view a text that would run into one already
    // drawn, or into the legend or the scale bars, is left out.
    std::vector<QRectF> drawn = furniture_;
    for (const MapText& t : scene_.Texts) {
        if (t.Kind != LabelKind::GridLabel)
            continue;
        const QPointF p = toPixel(t.X, t.Y);
        if (!view.contains(p))
            continue;
        const QString shown = QString::fromStdString(t.Text);
        const QRectF box
            = QFontMetricsF(font).boundingRect(shown).translated(p).adjusted(-3, 0, 3, 0);
        if (std::any_of(
                drawn.begin(), drawn.end(), [&box](const QRectF& d) { return d.intersects(box); }))
            continue;
        drawn.push_back(box);
        painter.drawText(p, shown);
    }
}

void MapView::layOutFurniture()
{
    furniture_.clear();
    if (!furnitureShown_)
        return;
    const double margin = 6.0, rowHeight = furnitureFont().pixelSize() * 1.35;
    // The north arrow at the top right, the scale bars at the bottom right, the legend at the
    // bottom left where the view is large enough for it.
    furniture_.push_back(QRectF(width() - margin - 16.0, margin, 16.0, 44.0));
    // On a narrow view the bars stand above the legend.
    const double barsWidth = std::min(200.0, width() * 0.45), barsHeight = rowHeight * 4.4;
    QRectF bars(
        width() - margin - barsWidth, height() - margin - barsHeight, barsWidth, barsHeight);
    QRectF legendBox;
    if (legendShown_) {
        const std::vector<LegendEntry> legend = PictureLegend(*picture_, layout_);
        const QRectF box = LegendBox(legend, furnitureFont(), rowHeight);
        if (box.width() < width() - 2.0 * margin && box.height() + barsHeight < height() * 0.7) {
            legendBox = box.translated(margin, height() - margin - box.height());
            if (box.width() > width() - barsWidth - 3.0 * margin)
                bars.translate(0.0, -box.height() - margin);
        }
    }
    furniture_.push_back(bars);
    if (!legendBox.isEmpty())
        furniture_.push_back(legendBox);
}

QFont MapView::furnitureFont() const
{
    QFont font = this->font();
    font.setBold(false);
    font.setPixelSize(std::max(9, static_cast<int>(std::lround(px(kGridSize) * labelUnit()))));
    return font;
}

void MapView::drawFurniture(QPainter& painter) const
{
    if (furniture_.size() < 2)
        return;
    const QFont font = furnitureFont();
    painter.setFont(font);
    const double rowHeight = font.pixelSize() * 1.35;
    DrawNorthArrow(painter, furniture_[0]);
    const QRectF bars = furniture_[1];
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(bars);
    painter.restore();
    // The arrows' scale is the sheet's at every zoom; the map's is the screen's, its bar a
    // round number of metres.
    const QRectF inner = bars.adjusted(6.0, 2.0, -6.0, -4.0);
    DrawScaleBar(painter, QRectF(inner.left(), inner.top(), inner.width(), rowHeight * 2.2),
        px(layout_.ArrowBarGround) * ArrowPixelsPerMm(),
        QString::fromStdString(PlainNumber(layout_.ArrowBarGround) + " mm"),
        QStringLiteral("skala odchyłek"));
    const double metresPerPixel = MetresPerPixel();
    const double metres = RoundBarLength(metresPerPixel * inner.width() * 0.8);
    DrawScaleBar(painter,
        QRectF(inner.left(), inner.bottom() - rowHeight * 2.2, inner.width(), rowHeight * 2.2),
        metres / metresPerPixel,
        QString::fromStdString(PlainNumber(static_cast<Extended>(metres)) + " m"),
        QStringLiteral("skala ekranu ok. 1:%1")
            .arg(
                QString::fromStdString(Grouped(static_cast<Extended>(RoughScale(ScreenScale()))))));
    if (furniture_.size() > 2)
        DrawLegend(painter, PictureLegend(*picture_, layout_), furniture_[2], rowHeight);
}

} // namespace vorida::obszar
