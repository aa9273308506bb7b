// The picture of an area on screen: the sheet `plot` lays out (PictureLayout, LayOutMap), drawn
// with a zoom and a pan of its own. The grid, the area box, the arrows and the markers are the
// layout's; the names are placed for what the screen shows, by the same placing as the sheet's
// (LabelPlacement): a name appears where it gets room, a likely blunder's name always, in red,
// with a leader line where no place beside its point is free.
#pragma once

#include "PictureLayout.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

namespace vorida::obszar {

// The picture's colours, on screen and on paper.
inline const QColor kBlunderRed(200, 0, 0);
inline const QColor kResidualBlue(0, 90, 200);
inline const QColor kLooOrange(230, 120, 0);
inline const QColor kCheckGreen(0, 140, 60);
inline const QColor kExtrapolatedPurple(130, 40, 170);

class MapView : public QWidget
{
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    // The picture to show (kept by the caller while shown), or none; the view then fits it.
    void SetPicture(const AreaPicture* picture);
    // The whole map in the view ("Cały obszar").
    void FitAll();
    // Zooms by factor about the view's middle.
    void ZoomBy(double factor);
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
    std::optional<size_t> PointNearestToMiddle() const;
    double Zoom() const { return zoom_; }
    // How many names the view shows now, and of them how many blunders'.
    size_t NamesShown() const { return namesShown_; }
    size_t BlunderNamesShown() const { return blunderNamesShown_; }
    // The pixel of point i of the picture's adjustment points.
    QPointF PixelOf(size_t i) const;

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
    std::vector<Label> nameLabels(Occupancy& taken, const std::vector<QPointF>& at,
        const std::vector<QPointF>& checkAt) const;
    void drawNames(QPainter& painter, const std::vector<Label>& labels, Occupancy& taken);
    void drawSheetTexts(QPainter& painter) const;

    const AreaPicture* picture_ = nullptr;
    PictureLayout layout_;
    MapScene scene_;
    double fitScale_ = 1.0; // pixels per paper millimetre with the whole map shown
    double zoom_ = 1.0;
    double middleX_ = 0.0, middleY_ = 0.0; // the sheet millimetre at the view's middle
    std::optional<size_t> selected_;
    QPointF pressed_, last_;
    bool dragged_ = false;
    size_t namesShown_ = 0, blunderNamesShown_ = 0;
};

} // namespace vorida::obszar
