// What a map needs beside its points, on screen and on paper: the legend's symbols with the
// picture's words (PictureLegend), the scale bars of the map and of the arrows, and the north
// arrow. Sizes are in the painter's units, given by the caller.
#pragma once

#include "PictureLegend.h"

#include <QColor>
#include <QRectF>

class QFont;
class QPainter;

namespace vorida::obszar {

// The picture's colours, on screen and on paper.
inline const QColor kBlunderRed(200, 0, 0);
inline const QColor kResidualBlue(0, 90, 200);
inline const QColor kLooOrange(230, 120, 0);
inline const QColor kCheckGreen(0, 140, 60);
inline const QColor kExtrapolatedPurple(130, 40, 170);
inline const QColor kAreaGrey(90, 90, 90);
inline const QColor kGridGrey(205, 205, 205);
inline const QColor kLeftOutGrey(170, 170, 170);

QColor ArrowColour(ArrowKind kind);

// The legend's symbol drawn in box.
void DrawLegendSymbol(QPainter& painter, const QRectF& box, LegendSymbol symbol);

// The size of the legend's rows (symbol and words) in font, rowHeight apart.
QRectF LegendBox(const std::vector<LegendEntry>& legend, const QFont& font, double rowHeight);
// The legend's rows in box (as LegendBox sized it), on white.
void DrawLegend(
    QPainter& painter, const std::vector<LegendEntry>& legend, const QRectF& box, double rowHeight);

// A round length (1, 2 or 5 times a power of ten) of at most `most`.
double RoundBarLength(double most);

// A scale's denominator to three figures, for "ok. 1:…": dots per inch are seldom exact.
double RoughScale(double denominator);

// A scale bar: its length in the painter's units, what it stands for and its title, the bar
// ending at the right of box; the bar in black and white quarters, the texts above it.
void DrawScaleBar(QPainter& painter, const QRectF& box, double length, const QString& ground,
    const QString& title);

// A north arrow with its "N", standing in box.
void DrawNorthArrow(QPainter& painter, const QRectF& box);

} // namespace vorida::obszar
