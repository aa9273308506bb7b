// The window's tables: sortable by the number behind each cell, filled from the area check.
#pragma once

#include <Qt>

class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class QWidget;

namespace vorida::obszar {

inline constexpr int kSortRole = Qt::UserRole + 1; // the number behind a cell, for sorting
inline constexpr int kIndexRole = Qt::UserRole + 2; // the point's index in the whole set

// A table showing model through sort, sorted by kSortRole when a header is clicked.
QTableView* MakeSortedTable(
    QStandardItemModel* model, QSortFilterProxyModel* sort, QWidget* parent);

// Each column as wide as its cells and its title in two lines, the unit under the rest ("v bez"
// over "[mm]"): the figures of many columns in view at once.
void FitColumns(QTableView& table);

// The selected rows of table, with the column titles, onto the clipboard as tab-separated text.
void CopyRows(const QTableView& table);

} // namespace vorida::obszar
