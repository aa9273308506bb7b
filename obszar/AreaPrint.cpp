// Printing the window: the picture as the view shows it with the picture's legend and figures
// under it, then the table and the summary, in landscape.
#include "AreaWindow.h"

#include "MapView.h"

#include "PictureLegend.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardItemModel>

#include <algorithm>

namespace vorida::obszar {

namespace {

// The picture's legend on the left and its figures on the right of area.
void drawLegend(QPainter& painter, const AreaPicture& picture, const QRectF& area, int rowHeight)
{
    const PictureLayout layout = LayOutPicture(picture);
    const MapScene scene = LayOutMap(picture, layout);
    double y = area.top();
    for (const LegendEntry& entry : PictureLegend(picture, layout)) {
        DrawLegendSymbol(painter, QRectF(area.left(), y, rowHeight * 2.0, rowHeight), entry.Symbol);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left() + rowHeight * 2.6, y, area.width() / 2, rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(entry.Text));
        y += rowHeight;
    }
    y = area.top();
    for (const std::string& line : PictureFigures(picture, scene)) {
        painter.drawText(QRectF(area.center().x(), y, area.width() / 2, rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(line));
        y += rowHeight;
    }
}

// The first page: the title, the map as the view shows it scaled to the page, and under it the
// picture's legend and figures.
void printPicture(QPainter& painter, QPrinter& printer, MapView& map, const QString& title,
    const AreaPicture* picture)
{
    const QRect page = painter.viewport();
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(
        QRect(0, 0, page.width(), page.height() / 20), Qt::AlignLeft | Qt::AlignVCenter, title);
    const QSize size = map.size();
    const double scale = std::min(
        page.width() / double(size.width()), page.height() * 0.72 / double(size.height()));
    painter.save();
    painter.translate(0, page.height() / 20.0);
    painter.scale(scale, scale);
    map.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    if (picture == nullptr)
        return;
    font.setPointSize(7);
    font.setBold(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const double top = page.height() / 20.0 + size.height() * scale + metrics.height();
    drawLegend(painter, *picture, QRectF(0, top, page.width(), page.height() - top),
        metrics.height() * 5 / 4);
}

} // namespace

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
    printPicture(
        painter, printer, *map_, windowTitle(), check_->Picture ? &*check_->Picture : nullptr);
    QFont font = painter.font();
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
