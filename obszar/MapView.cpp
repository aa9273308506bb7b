#include "MapView.h"

#include "Cp1250.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace vorida::obszar {

namespace {

// Screen values are doubles: pixels, not coordinates (the coordinates stay long double up to
// the sheet millimetre, which is all the screen needs).
double px(Extended v)
{
    return static_cast<double>(v);
}

constexpr double kMaximumZoom = 400.0;
constexpr double kMinimumZoom = 0.5;
constexpr double kPickRadius = 8.0; // pixels

QColor arrowColour(ArrowKind kind)
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

} // namespace

MapView::MapView(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setMinimumSize(240, 200);
    setAccessibleName(QStringLiteral("Rysunek obszaru"));
}

void MapView::SetPicture(const AreaPicture* picture)
{
    picture_ = picture;
    selected_.reset();
    if (picture_) {
        layout_ = LayOutPicture(*picture_);
        scene_ = LayOutMap(*picture_, layout_);
    } else {
        scene_ = MapScene {};
    }
    FitAll();
}

void MapView::FitAll()
{
    zoom_ = 1.0;
    if (!picture_) {
        update();
        return;
    }
    middleX_ = px(layout_.MapLeft + layout_.MapWidth / 2.0L);
    middleY_ = px(layout_.MapTop + layout_.MapHeight / 2.0L);
    const double w = std::max(1.0, px(layout_.MapWidth)), h = std::max(1.0, px(layout_.MapHeight));
    fitScale_ = std::max(0.01, std::min((width() - 16) / w, (height() - 16) / h));
    update();
}

double MapView::pixelsPerMm() const
{
    return fitScale_ * zoom_;
}

double MapView::labelUnit() const
{
    // A name of the sheet's 2.2 mm reads as about 11 pixels at 96 dpi, more on a dense screen.
    return std::max(4.0, logicalDpiX() / 25.4 * 1.3);
}

QPointF MapView::toPixel(Extended paperX, Extended paperY) const
{
    const double s = pixelsPerMm();
    return { width() / 2.0 + (px(paperX) - middleX_) * s,
        height() / 2.0 + (px(paperY) - middleY_) * s };
}

QPointF MapView::paperOf(size_t i) const
{
    const TPkt& p = picture_->Points[i];
    return { px(layout_.PaperX(p.NationalY)), px(layout_.PaperY(p.NationalX)) };
}

QPointF MapView::PixelOf(size_t i) const
{
    const TPkt& p = picture_->Points[i];
    return toPixel(layout_.PaperX(p.NationalY), layout_.PaperY(p.NationalX));
}

void MapView::ZoomBy(double factor)
{
    zoomAbout(factor, QPointF(width() / 2.0, height() / 2.0));
}

void MapView::zoomAbout(double factor, QPointF pixel)
{
    const double s = pixelsPerMm();
    const double atX = middleX_ + (pixel.x() - width() / 2.0) / s;
    const double atY = middleY_ + (pixel.y() - height() / 2.0) / s;
    zoom_ = std::clamp(zoom_ * factor, kMinimumZoom, kMaximumZoom);
    const double t = pixelsPerMm();
    middleX_ = atX - (pixel.x() - width() / 2.0) / t;
    middleY_ = atY - (pixel.y() - height() / 2.0) / t;
    update();
}

void MapView::PanBy(double dx, double dy)
{
    const double s = pixelsPerMm();
    middleX_ -= dx / s;
    middleY_ -= dy / s;
    update();
}

void MapView::CentreOn(size_t i)
{
    if (!picture_ || i >= picture_->Points.size())
        return;
    const QPointF paper = paperOf(i);
    middleX_ = paper.x();
    middleY_ = paper.y();
    if (zoom_ < 4.0)
        zoom_ = 4.0;
    selected_ = i;
    update();
}

void MapView::Select(std::optional<size_t> i)
{
    selected_ = i;
    update();
}

Extended MapView::ViewScale() const
{
    return layout_.ScaleDenominator / static_cast<Extended>(zoom_);
}

std::optional<size_t> MapView::PointNearestToMiddle() const
{
    if (!picture_)
        return std::nullopt;
    std::optional<size_t> best;
    double bestDistance = 0.0;
    for (size_t i = 0; i < picture_->Points.size(); ++i) {
        const QPointF p = paperOf(i);
        const double d = std::hypot(p.x() - middleX_, p.y() - middleY_);
        if (!best || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

std::optional<size_t> MapView::pointAt(QPointF pixel) const
{
    if (!picture_)
        return std::nullopt;
    std::optional<size_t> best;
    double bestDistance = kPickRadius;
    for (size_t i = 0; i < picture_->Points.size(); ++i) {
        const double d = QLineF(PixelOf(i), pixel).length();
        if (d <= bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void MapView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const double zoom = zoom_, x = middleX_, y = middleY_;
    FitAll();
    zoom_ = zoom;
    middleX_ = x;
    middleY_ = y;
}

void MapView::paintEvent(QPaintEvent*)
{
    namesShown_ = blunderNamesShown_ = 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!picture_) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Brak obszaru"));
        return;
    }
    drawSheet(painter);
    // The markers at a fixed size, the sheet's size at the names' scale.
    std::vector<QPointF> at(picture_->Points.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = PixelOf(i);
    std::vector<QPointF> checkAt;
    for (const CheckPoint& c : picture_->Checks)
        checkAt.push_back(toPixel(layout_.PaperX(c.NationalY), layout_.PaperY(c.NationalX)));
    drawMarkers(painter, at, checkAt);
    // The names, placed for the screen in units of a name's size: the markers are taken first,
    // then the likely blunders, the extrapolated points and the largest discrepancies are named.
    const double u = labelUnit();
    Occupancy taken(Box {
        0.0L, 0.0L, static_cast<Extended>(width() / u), static_cast<Extended>(height() / u) });
    drawNames(painter, nameLabels(taken, at, checkAt), taken);
    drawSheetTexts(painter);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(8, 4, width() - 16, 20), Qt::AlignRight | Qt::AlignTop,
        QStringLiteral("skala ok. 1:%1").arg(QString::fromStdString(Grouped(ViewScale()))));
}

void MapView::drawSheet(QPainter& painter) const
{
    const QRectF view(0, 0, width(), height());
    auto pixel = [this](Extended x, Extended y) { return toPixel(x, y); };
    painter.setPen(QPen(QColor(205, 205, 205), 0));
    for (const MapLine& l : scene_.Grid)
        painter.drawLine(pixel(l.X1, l.Y1), pixel(l.X2, l.Y2));
    QPen areaPen(QColor(90, 90, 90), 1.2, Qt::DashLine);
    painter.setPen(areaPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(
        pixel(scene_.Area.Left, scene_.Area.Top), pixel(scene_.Area.Right, scene_.Area.Bottom)));

    for (const MapArrow& a : scene_.Arrows) {
        const QPointF from = pixel(a.X1, a.Y1), to = pixel(a.X2, a.Y2);
        if (!view.intersects(QRectF(from, to).normalized().adjusted(-2, -2, 2, 2)))
            continue;
        painter.setPen(QPen(arrowColour(a.Kind), a.Cut ? 1.8 : 1.2));
        painter.drawLine(from, to);
        const QLineF line(to, from);
        if (a.Head && line.length() > 6.0) {
            QLineF side = line;
            side.setLength(6.0);
            side.setAngle(line.angle() + 22.0);
            painter.drawLine(side);
            side.setAngle(line.angle() - 22.0);
            painter.drawLine(side);
        }
    }
}

void MapView::drawMarkers(
    QPainter& painter, const std::vector<QPointF>& at, const std::vector<QPointF>& checkAt) const
{
    const QRectF view(0, 0, width(), height());
    const double u = labelUnit();
    const size_t n = at.size();
    auto triangle = [u](QPointF p) {
        QPolygonF t;
        t << QPointF(p.x(), p.y() + px(kTriangle.Top) * u)
          << QPointF(p.x() + px(kTriangle.Right) * u, p.y() + px(kTriangle.Bottom) * u)
          << QPointF(p.x() + px(kTriangle.Left) * u, p.y() + px(kTriangle.Bottom) * u);
        return t;
    };
    for (size_t i = 0; i < n; ++i) {
        if (!view.adjusted(-10, -10, 10, 10).contains(at[i]))
            continue;
        const bool blunder = picture_->NamedAt(i);
        const QColor colour = blunder     ? kBlunderRed
            : picture_->ExtrapolatedAt(i) ? kExtrapolatedPurple
                                          : Qt::black;
        painter.setPen(QPen(colour, 1.0));
        painter.setBrush(blunder ? QBrush(kBlunderRed) : QBrush(Qt::white));
        painter.drawPolygon(triangle(at[i]));
    }
    painter.setPen(QPen(kCheckGreen, 1.0));
    painter.setBrush(Qt::white);
    for (const QPointF& p : checkAt)
        if (view.contains(p))
            painter.drawRect(QRectF(p.x() + px(kSquare.Left) * u, p.y() + px(kSquare.Top) * u,
                px(kSquare.Right - kSquare.Left) * u, px(kSquare.Bottom - kSquare.Top) * u));
    if (selected_ && *selected_ < n) {
        painter.setPen(QPen(QColor(0, 120, 215), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at[*selected_], 3.0 * u, 3.0 * u);
    }
}

std::vector<Label> MapView::nameLabels(
    Occupancy& taken, const std::vector<QPointF>& at, const std::vector<QPointF>& checkAt) const
{
    const double u = labelUnit();
    const size_t n = at.size();
    std::vector<Label> labels;
    for (size_t i = 0; i < n; ++i) {
        const Extended x = static_cast<Extended>(at[i].x() / u),
                       y = static_cast<Extended>(at[i].y() / u);
        const Box marker { x + kTriangle.Left, y + kTriangle.Top, x + kTriangle.Right,
            y + kTriangle.Bottom };
        if (!taken.Inside(marker))
            continue;
        taken.Take(marker);
        Label label;
        label.X = x;
        label.Y = y;
        label.Text = Cp1250ToUtf8(picture_->Points[i].Name);
        const bool blunder = picture_->NamedAt(i);
        label.Kind = blunder ? LabelKind::BlunderName : LabelKind::Name;
        label.Bold = blunder;
        label.Rank = blunder ? 0 : picture_->ExtrapolatedAt(i) ? 1 : 2;
        label.Weight = picture_->Loo && picture_->Loo->Points[i].Computed()
            ? picture_->Loo->Points[i].V
            : 0.0L;
        labels.push_back(std::move(label));
    }
    for (const QPointF& p : checkAt) {
        const Extended x = static_cast<Extended>(p.x() / u), y = static_cast<Extended>(p.y() / u);
        const Box marker { x + kSquare.Left, y + kSquare.Top, x + kSquare.Right,
            y + kSquare.Bottom };
        if (taken.Inside(marker))
            taken.Take(marker);
    }
    // The cut arrows' lengths stand where the sheet put them: no name goes over them.
    for (const MapText& t : scene_.Texts)
        if (t.Kind == LabelKind::CutLength) {
            const QPointF p = toPixel(t.X, t.Y);
            const Box b = TextBox(static_cast<Extended>(p.x() / u),
                static_cast<Extended>(p.y() / u), t.Text, kGridSize);
            if (taken.Inside(b))
                taken.Take(b);
        }
    std::stable_sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) {
        return a.Rank != b.Rank ? a.Rank < b.Rank : a.Weight > b.Weight;
    });
    return labels;
}

void MapView::drawNames(QPainter& painter, const std::vector<Label>& labels, Occupancy& taken)
{
    const double u = labelUnit();
    QFont font = this->font();
    for (const Label& label : labels) {
        const bool blunder = label.Kind == LabelKind::BlunderName;
        auto place = PlaceLabel(label, taken);
        bool away = false;
        if (!place && blunder) {
            place = PlaceLabelAway(label, taken, true);
            away = place.has_value();
        }
        if (!place)
            continue;
        font.setPixelSize(std::max(8, static_cast<int>(std::lround(px(label.Size) * u))));
        font.setBold(label.Bold);
        painter.setFont(font);
        const QPointF base(px(place->first) * u, px(place->second) * u);
        if (away) {
            painter.setPen(QPen(kBlunderRed, 0.8));
            painter.drawLine(QPointF(px(label.X) * u, px(label.Y) * u), base);
        }
        // The white halo as the text drawn around it: glyphs come from the cache, where an
        // outlined path would be stroked anew at every step of a zoom.
        const QString name = QString::fromStdString(label.Text);
        painter.setPen(Qt::white);
        for (const QPointF& d : { QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1) })
            painter.drawText(base + d, name);
        painter.setPen(blunder ? kBlunderRed : QColor(Qt::black));
        painter.drawText(base, name);
        ++namesShown_;
        blunderNamesShown_ += blunder ? 1 : 0;
    }
}

void MapView::drawSheetTexts(QPainter& painter) const
{
    const QRectF view(0, 0, width(), height());
    const double u = labelUnit();
    QFont font = this->font();
    painter.setBrush(Qt::NoBrush);
    std::vector<QRectF> drawn;
    for (const MapText& t : scene_.Texts) {
        if (t.Kind != LabelKind::GridLabel && t.Kind != LabelKind::CutLength)
            continue;
        const QPointF p = toPixel(t.X, t.Y);
        if (!view.contains(p))
            continue;
        font.setBold(false);
        font.setPixelSize(std::max(8, static_cast<int>(std::lround(px(kGridSize) * u))));
        painter.setFont(font);
        // The sheet spaced them for paper; on a small view a text that would run into one
        // already drawn is left out.
        const QString shown = QString::fromStdString(t.Text);
        const QRectF box
            = QFontMetricsF(font).boundingRect(shown).translated(p).adjusted(-3, 0, 3, 0);
        if (std::any_of(
                drawn.begin(), drawn.end(), [&box](const QRectF& d) { return d.intersects(box); }))
            continue;
        drawn.push_back(box);
        painter.setPen(t.Kind == LabelKind::GridLabel ? QColor(120, 120, 120) : kLooOrange);
        painter.drawText(p, shown);
    }
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0)
        zoomAbout(std::pow(1.25, steps), event->position());
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressed_ = last_ = event->position();
        dragged_ = false;
    }
    QWidget::mousePressEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        const QPointF p = event->position();
        if (!dragged_ && QLineF(p, pressed_).length() >= 4.0)
            dragged_ = true;
        if (dragged_) {
            setCursor(Qt::ClosedHandCursor);
            PanBy(p.x() - last_.x(), p.y() - last_.y());
            last_ = p;
        }
    }
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    unsetCursor();
    if (!dragged_)
        if (const auto i = pointAt(event->position())) {
            selected_ = *i;
            update();
            emit PointClicked(*i);
        }
    dragged_ = false;
}

void MapView::keyPressEvent(QKeyEvent* event)
{
    const double step = 40.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomBy(1.25);
        break;
    case Qt::Key_Minus:
        ZoomBy(0.8);
        break;
    case Qt::Key_Left:
        PanBy(step, 0.0);
        break;
    case Qt::Key_Right:
        PanBy(-step, 0.0);
        break;
    case Qt::Key_Up:
        PanBy(0.0, step);
        break;
    case Qt::Key_Down:
        PanBy(0.0, -step);
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        FitAll();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace vorida::obszar
