#include "MapView.h"

#include "AreaText.h"
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

void MapView::SetPicture(const AreaPicture* picture, TPktDostosowania leftOut)
{
    picture_ = picture;
    leftOut_ = picture_ ? std::move(leftOut) : TPktDostosowania {};
    selected_.reset();
    arrows_.clear();
    if (picture_) {
        layout_ = LayOutPicture(*picture_);
        scene_ = LayOutMap(*picture_, layout_);
        layOutArrows();
    } else {
        scene_ = MapScene {};
    }
    FitAll();
}

void MapView::ShowLegend(bool shown)
{
    legendShown_ = shown;
    update();
}

// The arrows as the sheet draws them (a point's residual, its leave-one-out discrepancy, a
// check point's difference), kept uncut: the view cuts them at the sheet's longest arrow.
void MapView::layOutArrows()
{
    for (size_t i = 0; i < picture_->Points.size(); ++i) {
        const QPointF from = paperOf(i);
        if (i < picture_->ResidualX.size())
            arrow(from, picture_->ResidualX[i], picture_->ResidualY[i], ArrowKind::Residual);
        if (picture_->Loo && picture_->Loo->Points[i].Computed())
            arrow(from, picture_->Loo->Points[i].Vx, picture_->Loo->Points[i].Vy,
                ArrowKind::LeaveOneOut);
    }
    if (!picture_->CheckResults)
        return;
    for (size_t i = 0; i < picture_->Checks.size(); ++i) {
        const CheckPoint& c = picture_->Checks[i];
        const CheckDifference& d = picture_->CheckResults->Points[i];
        if (!d.Failed)
            arrow({ px(layout_.PaperX(c.NationalY)), px(layout_.PaperY(c.NationalX)) }, d.Vx, d.Vy,
                ArrowKind::Check);
    }
}

void MapView::arrow(QPointF from, Extended vx, Extended vy, ArrowKind kind)
{
    // Metres of the national system (x north, y east) to paper millimetres (y down).
    const Extended k = 1000.0L * layout_.ArrowScale;
    arrows_.push_back(
        { from, QPointF(px(vy * k), px(-vx * k)), kind, Millimetres(std::hypot(vx, vy)) + " mm" });
}

double MapView::ArrowPixelsPerMm() const
{
    return fitScale_ * px(layout_.ArrowScale);
}

double MapView::MetresPerPixel() const
{
    return px(layout_.ScaleDenominator) / 1000.0 / pixelsPerMm();
}

double MapView::ScreenScale() const
{
    // A paper millimetre of the sheet is pixelsPerMm() pixels, 25.4 / dpi millimetres each.
    const double dpi = std::max(1, physicalDpiX());
    return px(layout_.ScaleDenominator) * dpi / (25.4 * pixelsPerMm());
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

void MapView::CopyView(const MapView& other)
{
    FitAll();
    middleX_ = other.middleX_;
    middleY_ = other.middleY_;
    const double fits = std::min(width() / std::max(1.0, double(other.width())),
        height() / std::max(1.0, double(other.height())));
    zoom_ = std::clamp(other.pixelsPerMm() * fits / fitScale_, kMinimumZoom, kMaximumZoom);
    selected_ = other.selected_;
    legendShown_ = other.legendShown_;
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
    namesShown_ = blunderNamesShown_ = lengthsShown_ = 0;
    labelBoxes_.clear();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!picture_) {
        furniture_.clear();
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Brak obszaru"));
        return;
    }
    drawSheet(painter);
    const auto cut = drawArrows(painter);
    // The markers at a fixed size, the sheet's size at the names' scale.
    std::vector<QPointF> at(picture_->Points.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = PixelOf(i);
    std::vector<QPointF> checkAt;
    for (const CheckPoint& c : picture_->Checks)
        checkAt.push_back(toPixel(layout_.PaperX(c.NationalY), layout_.PaperY(c.NationalX)));
    drawMarkers(painter, at, checkAt);
    // The names, placed for the screen in units of a name's size: the legend, the scale bars
    // and the markers are taken first, then the likely blunders, the cut arrows' lengths, the
    // extrapolated points, the largest discrepancies and the check points are named.
    const double u = labelUnit();
    Occupancy taken(Box {
        0.0L, 0.0L, static_cast<Extended>(width() / u), static_cast<Extended>(height() / u) });
    layOutFurniture();
    for (const QRectF& r : furniture_)
        taken.Take({ static_cast<Extended>(r.left() / u), static_cast<Extended>(r.top() / u),
            static_cast<Extended>(r.right() / u), static_cast<Extended>(r.bottom() / u) });
    drawGridLabels(painter);
    drawNames(painter, nameLabels(taken, at, checkAt, cut), taken);
    drawFurniture(painter);
}

void MapView::drawSheet(QPainter& painter) const
{
    auto pixel = [this](Extended x, Extended y) { return toPixel(x, y); };
    painter.setPen(QPen(kGridGrey, 0));
    for (const MapLine& l : scene_.Grid)
        painter.drawLine(pixel(l.X1, l.Y1), pixel(l.X2, l.Y2));
    painter.setPen(QPen(kAreaGrey, 1.2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(
        pixel(scene_.Area.Left, scene_.Area.Top), pixel(scene_.Area.Right, scene_.Area.Bottom)));
}

std::vector<std::pair<QLineF, size_t>> MapView::drawArrows(QPainter& painter) const
{
    // An arrow keeps its length on paper at every zoom, as the sheet of a view has it: its
    // millimetres of discrepancy are ArrowPixelsPerMm() pixels each, cut at the sheet's longest.
    const QRectF view(0, 0, width(), height());
    const double perPaperMm = fitScale_, longest = px(layout_.LongestArrow) * fitScale_;
    std::vector<std::pair<QLineF, size_t>> cut;
    for (size_t k = 0; k < arrows_.size(); ++k) {
        const ScreenArrow& a = arrows_[k];
        const QPointF from
            = toPixel(static_cast<Extended>(a.From.x()), static_cast<Extended>(a.From.y()));
        QLineF line(from, from + a.Vector * perPaperMm);
        const bool isCut = line.length() > longest;
        if (isCut)
            line.setLength(longest);
        if (line.length() < 0.5
            || !view.intersects(QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2)))
            continue;
        painter.setPen(QPen(ArrowColour(a.Kind), isCut ? 2.2 : 1.2));
        painter.drawLine(line);
        if (line.length() > 6.0) {
            QLineF side(line.p2(), line.p1());
            const double angle = side.angle();
            side.setLength(6.0);
            side.setAngle(angle + 22.0);
            painter.drawLine(side);
            side.setAngle(angle - 22.0);
            painter.drawLine(side);
        }
        if (isCut)
            cut.emplace_back(line, k);
    }
    return cut;
}

void MapView::drawMarkers(
    QPainter& painter, const std::vector<QPointF>& at, const std::vector<QPointF>& checkAt) const
{
    const QRectF view = QRectF(0, 0, width(), height()).adjusted(-10, -10, 10, 10);
    const double u = labelUnit();
    const size_t n = at.size();
    auto triangle = [u](QPointF p) {
        QPolygonF t;
        t << QPointF(p.x(), p.y() + px(kTriangle.Top) * u)
          << QPointF(p.x() + px(kTriangle.Right) * u, p.y() + px(kTriangle.Bottom) * u)
          << QPointF(p.x() + px(kTriangle.Left) * u, p.y() + px(kTriangle.Bottom) * u);
        return t;
    };
    painter.setPen(QPen(kLeftOutGrey, 1.0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    for (const TPkt& p : leftOut_) {
        const QPointF pixel = toPixel(layout_.PaperX(p.NationalY), layout_.PaperY(p.NationalX));
        if (view.contains(pixel))
            painter.drawPolygon(triangle(pixel));
    }
    for (size_t i = 0; i < n; ++i) {
        if (!view.contains(at[i]))
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
