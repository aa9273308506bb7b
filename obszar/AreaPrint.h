// The printed copy of the area window: the map as the view shows it with the scale bars of the
// paper, the picture's legend and figures under it, then every table (the adjustment points
// as sorted, the check points) and the summary, long lines wrapped; each page headed with the
// window's title, the area file's name and the date, and numbered "Strona N z M".
#pragma once

#include "UTransPkt.h"

#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QPrinter;

namespace vorida {
struct AreaPicture;
}

namespace vorida::obszar {

class MapView;

// What is printed; the models as shown (sorted), a checkable column printed as "x".
struct PrintedArea
{
    QString Title;
    QString FileName;
    MapView* Map = nullptr;
    const AreaPicture* Picture = nullptr; // none: no legend or figures
    TPktDostosowania LeftOut; // the points left out, greyed on the map
    const QAbstractItemModel* Points = nullptr;
    const QAbstractItemModel* Checks = nullptr; // none or empty: no check table
    QStringList Summary;
    QString Date; // as printed on each page
};

// Prints it on printer (landscape); the number of pages printed, 0 when the printer refused.
int PrintArea(QPrinter& printer, const PrintedArea& what);

} // namespace vorida::obszar
