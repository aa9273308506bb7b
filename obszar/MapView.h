// The picture of an area on screen: the sheet `plot` lays out (PictureLayout, LayOutMap), drawn
// with a zoom and a pan of its own. The grid, the area box, the arrows and the markers are the
// layout's; the names are placed for what the screen shows, by the same placing as the sheet's
// (LabelPlacement): a name appears where it gets room, a likely blunder's name always, in red,
// with a leader line where no place beside its point is free.
#pragma once

#include "MapLegend.h"
#include "PictureLayout.h"

#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

namespace vorida::obszar {

class MapView : public QWidget
{
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    // The picture to show (kept by the caller while shown), or none; the view then fits it.
    // leftOut: the points of the area left out of it, shown greyed where they stand.
    void SetPicture(const AreaPicture* picture, TPktDostosowania leftOut = {});
    // The legend, the scale bars and the north arrow over the map (shown at first).
    void ShowLegend(bool shown);
    bool LegendShown() const { return legendShown_; }
    // All of them (shown at first); printing draws its own for the paper.
    void ShowFurniture(bool shown) { furnitureShown_ = shown; }
    // The whole map in the view ("Cały obszar").
    void FitAll();
    // Zooms by factor about the view's middle.
    void ZoomBy(double factor);
    // Shows what other shows (the same middle, the same part of the map at least) at this
    // view's size.
    void CopyView(const MapView& other);
    // Moves the view by (dx, dy) pixels.
    void PanBy(double dx, double dy);
    // Centres the view on point i of the picture's adjustment points, zooming in when the
    // whole map is shown.
    void CentreOn(size_t i);
    // The point marked as selected (an index into the picture's adjustment points).
    void Select(std::optional<size_t> i);

    // The map scale's denominator of what the view shows at the sheet's size, and the
    // adjustment point nearest to the view's middle: `plot --scale --center` of the view.
    Extended ViewScale() const;
    // The scale of the map as the screen shows it (its physical dots per inch).
    double ScreenScale() const;
    // Metres of the national system per pixel at the present zoom.
    double MetresPerPixel() const;
    std::optional<size_t> PointNearestToMiddle() const;
    double Zoom() const { return zoom_; }
    // How many names the view shows now, and of them how many blunders'; the cut arrows'
    // lengths shown; where the legend and the scale bars stand (pixels, empty when hidden).
    size_t NamesShown() const { return namesShown_; }
    size_t BlunderNamesShown() const { return blunderNamesShown_; }
    size_t LengthsShown() const { return lengthsShown_; }
    const std::vector<QRectF>& Furniture() const { return furniture_; }
    // Every name and length drawn in the last painting, pixels.
    const std::vector<QRectF>& LabelBoxes() const { return labelBoxes_; }
    // The pixel of point i of the picture's adjustment points.
    QPointF PixelOf(size_t i) const;
    // Pixels per millimetre of a discrepancy's arrow: the same at every zoom.
    double ArrowPixelsPerMm() const;

signals:
    void PointClicked(size_t i);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF toPixel(Extended paperX, Extended paperY) const;
    QPointF paperOf(size_t i) const; // point i on the sheet, millimetres
    double pixelsPerMm() const; // of the map at the present zoom
    double labelUnit() const; // pixels per millimetre of a name's size
    void zoomAbout(double factor, QPointF pixel);
    std::optional<size_t> pointAt(QPointF pixel) const;
    // The parts of the painting: the sheet's grid, area box and arrows; the markers at their
    // pixels (at: the adjustment points, checkAt: the check points); the names to place, their
    // markers and the cut arrows' lengths taken; the names placed and drawn; the sheet's grid
    // labels and cut lengths.
    void drawSheet(QPainter& painter) const;
    void drawMarkers(QPainter& painter, const std::vector<QPointF>& at,
        const std::vector<QPointF>& checkAt) const;
    struct ScreenLabel
    {
        Label Text;
        QColor Colour;
    };
    struct ScreenArrow
    {
        QPointF From; // paper millimetres
        QPointF Vector; // paper millimetres at the picture's arrow scale, uncut
        ArrowKind Kind = ArrowKind::Residual;
        std::string Length; // "12.3 mm" (UTF-8)
    };
    void layOutArrows();
    void arrow(QPointF from, Extended vx, Extended vy, ArrowKind kind);
    // The arrows drawn; the cut ones returned with their index in arrows_.
    std::vector<std::pair<QLineF, size_t>> drawArrows(QPainter& painter) const;
    std::vector<ScreenLabel> nameLabels(Occupancy& taken, const std::vector<QPointF>& at,
        const std::vector<QPointF>& checkAt,
        const std::vector<std::pair<QLineF, size_t>>& cut) const;
    void drawNames(QPainter& painter, const std::vector<ScreenLabel>& labels, Occupancy& taken);
    void drawGridLabels(QPainter& painter) const;
    // The legend, the scale bars, the north arrow and the scale; their boxes in furniture_.
    void layOutFurniture();
    void drawFurniture(QPainter& painter) const;
    QFont furnitureFont() const;

    const AreaPicture* picture_ = nullptr;
    PictureLayout layout_;
    MapScene scene_;
    double fitScale_ = 1.0; // pixels per paper millimetre with the whole map shown
    double zoom_ = 1.0;
    double middleX_ = 0.0, middleY_ = 0.0; // the sheet millimetre at the view's middle
    std::vector<ScreenArrow> arrows_;
    TPktDostosowania leftOut_;
    bool legendShown_ = true, furnitureShown_ = true;
    std::vector<QRectF> furniture_, labelBoxes_;
    std::optional<size_t> selected_;
    QPointF pressed_, last_;
    bool dragged_ = false;
    size_t namesShown_ = 0, blunderNamesShown_ = 0, lengthsShown_ = 0;
};

} // namespace vorida::obszar
