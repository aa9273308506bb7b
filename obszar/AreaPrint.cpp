// Printing the window: the picture as the view shows it, then the table and the summary, in
// landscape.
#include "AreaWindow.h"

#include "MapView.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardItemModel>

#include <algorithm>

namespace vorida::obszar {

void AreaWindow::Print()
{
    if (!area_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drukuj"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTo(printer);
}

void AreaWindow::PrintTo(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page = painter.viewport();
    // The picture: the map as the view shows it, scaled to the page.
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, page.width(), page.height() / 20),
        Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    const QSize size = map_->size();
    const double scale = std::min(
        page.width() / double(size.width()), page.height() * 0.92 / double(size.height()));
    painter.save();
    painter.translate(0, page.height() / 20.0);
    painter.scale(scale, scale);
    map_->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    // The table: every column of every point, as many rows a page as fit.
    printer.newPage();
    font.setPointSize(7);
    font.setBold(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int rowHeight = metrics.height() + metrics.height() / 4;
    std::vector<int> widths(kPointColumns, 0);
    auto cell = [this](int r, int c) {
        return c == kLeftOut
            ? (points_->item(r, c)->checkState() == Qt::Checked ? QStringLiteral("x") : QString())
            : points_->item(r, c)->text();
    };
    for (int c = 0; c < kPointColumns; ++c) {
        widths[static_cast<size_t>(c)]
            = metrics.horizontalAdvance(points_->horizontalHeaderItem(c)->text());
        for (int r = 0; r < points_->rowCount(); ++r)
            widths[static_cast<size_t>(c)]
                = std::max(widths[static_cast<size_t>(c)], metrics.horizontalAdvance(cell(r, c)));
    }
    int y = rowHeight;
    auto drawRow = [&](auto cellText, bool header) {
        int x = 0;
        for (int c = 0; c < kPointColumns; ++c) {
            const int w = widths[static_cast<size_t>(c)];
            const bool number = !header && c >= kLocalX && c <= kDetectable;
            painter.drawText(QRect(x, y - rowHeight, w, rowHeight),
                (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, cellText(c));
            x += w + metrics.horizontalAdvance(QStringLiteral("  "));
        }
        y += rowHeight;
    };
    auto header = [&] {
        drawRow([this](int c) { return points_->horizontalHeaderItem(c)->text(); }, true);
    };
    header();
    for (int r = 0; r < points_->rowCount(); ++r) {
        if (y > page.height()) {
            printer.newPage();
            y = rowHeight;
            header();
        }
        drawRow([&](int c) { return cell(r, c); }, false);
    }
    for (const QString& line : SummaryText().split(QLatin1Char('\n'))) {
        if (y > page.height()) {
            printer.newPage();
            y = rowHeight;
        }
        painter.drawText(QRect(0, y - rowHeight, page.width(), rowHeight), Qt::AlignLeft, line);
        y += rowHeight;
    }
}

} // namespace vorida::obszar
