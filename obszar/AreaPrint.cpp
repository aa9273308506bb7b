#include "AreaPrint.h"

#include "MapLegend.h"
#include "MapView.h"

#include "AreaText.h"
#include "PictureLegend.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <functional>

namespace vorida::obszar {

namespace {

// Lays the printed matter out page by page: a first pass only counts the pages (nothing is
// drawn), the second draws them with their header and footer.
class Pages
{
public:
    Pages(QPainter& painter, QPrinter& printer, const PrintedArea& what, int total)
        : painter_(painter), printer_(printer), what_(what), total_(total)
    {
        const QRect page = painter.viewport();
        const QFontMetricsF small(font(7), &printer);
        body_ = QRectF(0, small.height() * 2.0, page.width(), page.height() - small.height() * 4.0);
        y_ = body_.top();
        decorate();
    }

    bool Drawing() const { return total_ > 0; }
    int Count() const { return page_; }
    const QRectF& Body() const { return body_; }
    double Top() const { return y_; }
    QFont font(int points) const
    {
        QFont f = QFont();
        f.setPointSizeF(points);
        return f;
    }

    // A block of height: on a new page when it does not fit below what is there; draw(top)
    // paints it in the second pass.
    void Place(double height, const std::function<void(double)>& draw)
    {
        if (y_ + height > body_.bottom() && y_ > body_.top())
            NewPage();
        if (Drawing())
            draw(y_);
        y_ += height;
    }
    void NewPage()
    {
        if (Drawing())
            printer_.newPage();
        ++page_;
        y_ = body_.top();
        decorate();
    }

private:
    void decorate()
    {
        if (!Drawing())
            return;
        painter_.save();
        painter_.setFont(font(7));
        painter_.setPen(Qt::black);
        const QRect page = painter_.viewport();
        const QFontMetricsF m(painter_.font(), &printer_);
        const QRectF head(0, 0, page.width(), m.height());
        painter_.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
            m.elidedText(what_.Title, Qt::ElideRight, page.width() * 0.6));
        painter_.drawText(head, Qt::AlignRight | Qt::AlignVCenter,
            what_.FileName + QStringLiteral("   ") + what_.Date);
        painter_.drawLine(QPointF(0, m.height() * 1.3), QPointF(page.width(), m.height() * 1.3));
        painter_.drawText(QRectF(0, page.height() - m.height(), page.width(), m.height()),
            Qt::AlignHCenter | Qt::AlignVCenter,
            QStringLiteral("Strona %1 z %2").arg(page_).arg(total_));
        painter_.restore();
    }

    QPainter& painter_;
    QPrinter& printer_;
    const PrintedArea& what_;
    int total_;
    int page_ = 1;
    QRectF body_;
    double y_ = 0.0;
};

// The map as the view shows it (without its screen legend and bars), scaled into the upper
// part of the body, the paper's scale bars and the north arrow with it; under it the
// picture's legend and figures.
void printMap(Pages& pages, QPainter& painter, QPrinter& printer, const PrintedArea& what)
{
    // A view of the page's map size at the screen's dots per inch, showing what the window's
    // view shows, drawn scaled onto the page.
    const QRectF body = pages.Body();
    const double scale = printer.resolution() / 96.0;
    MapView map;
    map.resize(
        static_cast<int>(body.width() / scale), static_cast<int>(body.height() * 0.68 / scale));
    map.SetPicture(what.Picture, what.LeftOut);
    map.CopyView(*what.Map);
    map.ShowFurniture(false);
    const QSize size = map.size();
    const double mapHeight = size.height() * scale;
    pages.Place(mapHeight, [&](double top) {
        painter.save();
        painter.translate(body.left(), top);
        painter.scale(scale, scale);
        map.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.restore();
        painter.setPen(QPen(Qt::gray, 0));
        painter.drawRect(QRectF(body.left(), top, size.width() * scale, mapHeight));
    });
    if (what.Picture == nullptr)
        return;
    const QFont font = pages.font(7);
    painter.setFont(font);
    const QFontMetricsF m(font, &printer);
    const double row = m.height() * 1.25;
    const PictureLayout layout = LayOutPicture(*what.Picture);
    const std::vector<LegendEntry> legend = PictureLegend(*what.Picture, layout);
    const std::vector<std::string> figures
        = PictureFigures(*what.Picture, LayOutMap(*what.Picture, layout));
    const double rows = static_cast<double>(std::max(legend.size(), figures.size() + 5));
    pages.Place(row * (rows + 1.0), [&](double top) {
        top += row * 0.5;
        const double third = body.width() / 3.0;
        DrawLegend(painter, legend,
            QRectF(body.left(), top, third * 1.2, row * (static_cast<double>(legend.size()) + 0.5)),
            row);
        // The paper's scales: the arrows' as the view draws them, the map's as printed.
        const QRectF bars(body.left() + third * 1.3, top, third * 0.6, row * 2.2);
        DrawScaleBar(painter, bars,
            static_cast<double>(layout.ArrowBarGround) * map.ArrowPixelsPerMm() * scale,
            QString::fromStdString(PlainNumber(layout.ArrowBarGround) + " mm"),
            QStringLiteral("skala odchyłek"));
        const double metresPerUnit = map.MetresPerPixel() / scale;
        const double metres = RoundBarLength(metresPerUnit * bars.width() * 0.7);
        const double paperDenominator = metresPerUnit * 1000.0 * printer.resolution() / 25.4;
        DrawScaleBar(painter, bars.translated(0, row * 2.6), metres / metresPerUnit,
            QString::fromStdString(PlainNumber(static_cast<Extended>(metres)) + " m"),
            QStringLiteral("skala wydruku ok. 1:%1")
                .arg(QString::fromStdString(
                    Grouped(static_cast<Extended>(RoughScale(paperDenominator))))));
        DrawNorthArrow(painter, QRectF(bars.right() + row, top, row, row * 4.0));
        painter.setPen(Qt::black);
        double y = top;
        for (const std::string& line : figures) {
            painter.drawText(
                QRectF(body.left() + third * 2.0 + row * 2.0, y, third - row * 2.0, row),
                Qt::AlignLeft | Qt::AlignVCenter,
                m.elidedText(QString::fromStdString(line), Qt::ElideRight, third - row * 2.0));
            y += row;
        }
    });
}

// A cell as printed: a checkable cell as "x" or nothing.
QString cellText(const QAbstractItemModel& model, int r, int c)
{
    const QVariant check = model.data(model.index(r, c), Qt::CheckStateRole);
    if (check.isValid())
        return check.toInt() == Qt::Checked ? QStringLiteral("x") : QString();
    return model.data(model.index(r, c)).toString();
}

// A table, every row and column: a smaller type when it is wider than the page (down to 5
// points, then cells cut), the header again on each page.
void printTable(Pages& pages, QPainter& painter, QPrinter& printer, const QAbstractItemModel& model)
{
    const int columns = model.columnCount();
    QFont font = pages.font(8);
    std::vector<double> widths;
    double gap = 0.0, total = 0.0;
    for (double points = 8.0; points >= 5.0; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetricsF m(font, &printer);
        gap = m.horizontalAdvance(QStringLiteral("  "));
        widths.assign(static_cast<size_t>(columns), 0.0);
        for (int c = 0; c < columns; ++c) {
            double& w = widths[static_cast<size_t>(c)];
            w = m.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < model.rowCount(); ++r)
                w = std::max(w, m.horizontalAdvance(cellText(model, r, c)));
        }
        total = 0.0;
        for (double w : widths)
            total += w + gap;
        if (total <= pages.Body().width())
            break;
    }
    const QFontMetricsF m(font, &printer);
    const double row = m.height() * 1.2;
    auto drawRow = [&](double top, auto text, bool header) {
        painter.setFont(font);
        painter.setPen(Qt::black);
        double x = pages.Body().left();
        for (int c = 0; c < columns && x < pages.Body().right(); ++c) {
            const double w = std::min(widths[static_cast<size_t>(c)], pages.Body().right() - x);
            const QString t = text(c);
            const bool number
                = !header && !t.isEmpty() && (t[0].isDigit() || t[0] == QLatin1Char('-'));
            painter.drawText(QRectF(x, top, w, row),
                (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                m.elidedText(t, Qt::ElideRight, w));
            x += w + gap;
        }
        if (header)
            painter.drawLine(QPointF(pages.Body().left(), top + row),
                QPointF(std::min(pages.Body().left() + total, pages.Body().right()), top + row));
    };
    auto header = [&](double top) {
        drawRow(
            top, [&](int c) { return model.headerData(c, Qt::Horizontal).toString(); }, true);
    };
    pages.Place(row * 2.0, [&](double top) { header(top); });
    for (int r = 0; r < model.rowCount(); ++r) {
        const bool fresh = pages.Top() + row > pages.Body().bottom();
        if (fresh) {
            pages.NewPage();
            pages.Place(row, [&](double top) { header(top); });
        }
        pages.Place(row, [&](double top) {
            drawRow(
                top, [&](int c) { return cellText(model, r, c); }, false);
        });
    }
    pages.Place(row, [](double) {});
}

// The summary's lines, each wrapped at the page's width.
void printLines(Pages& pages, QPainter& painter, QPrinter& printer, const QStringList& lines)
{
    const QFont font = pages.font(8);
    const QFontMetricsF m(font, &printer);
    const QRectF body = pages.Body();
    for (const QString& line : lines) {
        const QRectF need = m.boundingRect(QRectF(0, 0, body.width(), 1e9), Qt::TextWordWrap, line);
        pages.Place(std::max(need.height(), m.height()), [&](double top) {
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(body.left(), top, body.width(), need.height() + 1.0),
                Qt::TextWordWrap, line);
        });
    }
}

int layOut(QPainter& painter, QPrinter& printer, const PrintedArea& what, int total)
{
    Pages pages(painter, printer, what, total);
    if (what.Map != nullptr)
        printMap(pages, painter, printer, what);
    pages.NewPage();
    if (what.Points != nullptr)
        printTable(pages, painter, printer, *what.Points);
    if (what.Checks != nullptr && what.Checks->rowCount() > 0)
        printTable(pages, painter, printer, *what.Checks);
    printLines(pages, painter, printer, what.Summary);
    return pages.Count();
}

} // namespace

int PrintArea(QPrinter& printer, const PrintedArea& what)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    if (!painter.isActive())
        return 0;
    const int total = layOut(painter, printer, what, 0);
    return layOut(painter, printer, what, total);
}

} // namespace vorida::obszar
