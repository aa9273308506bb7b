// A table of the window as text that leaves it: the selected rows as tab-separated text for the
// clipboard (a spreadsheet takes it), the whole table as a CSV file, in the order the view
// shows, each cell as shown.
#pragma once

#include <string>
#include <vector>

class QTableView;

namespace vorida::obszar {

struct TableText
{
    std::vector<std::string> Header; // the column titles (UTF-8)
    std::vector<std::vector<std::string>> Rows; // the cells as shown (UTF-8); a tick as "x"
    std::vector<bool> Numeric; // by column: the cells are numbers
};

// The rows of table in the order shown: every row, or those selected.
TableText TableOf(const QTableView& table, bool selectedOnly);

// The column titles and the rows, tab-separated, each line ending in "\n" (UTF-8).
std::string TabSeparated(const TableText& table);

// How a CSV file is written: Windows-1250 or UTF-8 with its byte-order mark; "," between cells
// with "." in numbers, or for a Polish spreadsheet ";" with decimal commas.
struct CsvFormat
{
    bool Utf8 = false;
    bool Polish = false;
};

// The CSV file's bytes: the titles, then the rows, lines ending in CR LF; a cell holding the
// separator, a quote or a line end quoted (its quotes doubled).
std::string CsvBytes(const TableText& table, CsvFormat format);

} // namespace vorida::obszar
