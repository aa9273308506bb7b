#include "TableText.h"

#include "Cp1250.h"
#include "TextEncoding.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

namespace vorida::obszar {

TableText TableOf(const QTableView& table, bool selectedOnly)
{
    TableText text;
    const QAbstractItemModel* model = table.model();
    const int columns = model->columnCount();
    for (int c = 0; c < columns; ++c) {
        text.Header.push_back(model->headerData(c, Qt::Horizontal).toString().toStdString());
        text.Numeric.push_back(false);
    }
    std::vector<int> rows;
    if (selectedOnly && table.selectionModel() != nullptr) {
        for (const QModelIndex& index : table.selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
    } else {
        for (int r = 0; r < model->rowCount(); ++r)
            rows.push_back(r);
    }
    for (int r : rows) {
        std::vector<std::string> cells;
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model->index(r, c);
            const QVariant check = model->data(index, Qt::CheckStateRole);
            if (check.isValid()) {
                cells.push_back(check.toInt() == Qt::Checked ? "x" : "");
                continue;
            }
            const QString shown = model->data(index, Qt::DisplayRole).toString();
            const bool right
                = (model->data(index, Qt::TextAlignmentRole).toInt() & Qt::AlignRight) != 0;
            bool number = false;
            shown.toDouble(&number);
            if (right && number)
                text.Numeric[static_cast<size_t>(c)] = true;
            cells.push_back(shown.toStdString());
        }
        text.Rows.push_back(std::move(cells));
    }
    return text;
}

std::string TabSeparated(const TableText& table)
{
    auto line = [](const std::vector<std::string>& cells) {
        std::string out;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += '\t';
            for (char ch : cells[c])
                out += ch == '\t' || ch == '\n' || ch == '\r' ? ' ' : ch;
        }
        return out + '\n';
    };
    std::string text = line(table.Header);
    for (const auto& row : table.Rows)
        text += line(row);
    return text;
}

std::string CsvBytes(const TableText& table, CsvFormat format)
{
    const char separator = format.Polish ? ';' : ',';
    auto field = [&](std::string cell, bool number) {
        if (number && format.Polish)
            std::replace(cell.begin(), cell.end(), '.', ',');
        if (cell.find_first_of(std::string { separator, '"', '\n', '\r' }) == std::string::npos)
            return cell;
        std::string quoted = "\"";
        for (char ch : cell)
            quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        return quoted + '"';
    };
    auto line = [&](const std::vector<std::string>& cells, bool numbers) {
        std::string out;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += separator;
            out += field(cells[c], numbers && c < table.Numeric.size() && table.Numeric[c]);
        }
        return out + "\r\n";
    };
    std::string text = line(table.Header, false);
    for (const auto& row : table.Rows)
        text += line(row, true);
    return format.Utf8 ? std::string(kUtf8ByteOrderMark) + text : Utf8ToCp1250(text, '?');
}

} // namespace vorida::obszar
