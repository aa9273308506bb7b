#include "AreaPicture.h"

#include "AreaText.h"
#include "Cp1250.h"
#include "Numbers.h"
#include "UNITtrk.h"
#include "UTransPkt.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace vorida {

AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks, Extended tolerance,
    unsigned threads)
{
    AreaPicture picture;
    picture.AreaName = areaName;
    picture.SystemCode = systemCode;
    picture.Points = points;
    picture.Extents = ComputeAreaExtents(points);
    picture.Checks = checks;
    TTrKonfAf t;
    picture.Fit = FitArea(t, points, false);
    if (picture.Fit == AreaFitStatus::Fitted) {
        picture.ResidualX.assign(t.ResidualX.begin() + 1, t.ResidualX.end());
        picture.ResidualY.assign(t.ResidualY.begin() + 1, t.ResidualY.end());
        if (!checks.empty())
            picture.CheckResults = CompareCheckPoints(t, checks, false, picture.Extents, {});
    }
    picture.Tolerance = tolerance;
    picture.Named.assign(points.size(), false);
    if (points.size() >= kMinimumPointsForLeaveOneOut) {
        Screening screening = ScreenBlunders(points, false, {}, tolerance, threads);
        picture.Loo = std::move(screening.Rounds.front().Loo);
        for (size_t i : screening.Blunders)
            picture.Named[i] = true;
    }
    return picture;
}

namespace {

// The sheet: A4, margins, the title above the map and the legend below it (millimetres).
constexpr Extended kShortSide = 210.0L, kLongSide = 297.0L;
constexpr Extended kMargin = 12.0L;
constexpr Extended kTitleHeight = 17.0L;
constexpr Extended kLegendHeight = 50.0L;
constexpr Extended kArrowBarPaper = 15.0L; // the arrow scale bar
constexpr Extended kLongestArrow = 25.0L;
constexpr Extended kSmallestVector = 0.1L; // mm: the arrow scale never shows less
constexpr size_t kBlundersNamed = 8; // the legend names at most this many blunders
// The frame around the points: this share of their larger extent on every side, at least
// kFrameMinimum metres; an area smaller than kFrameSmallest metres is drawn as that large.
constexpr Extended kFrameShare = 0.08L, kFrameMinimum = 20.0L, kFrameSmallest = 100.0L;
constexpr Extended kGridPaperStep = 18.0L; // mm: grid lines at least this far apart

// The smallest number of the form step * 10^k that is at least v (v > 0); steps ascending
// from 1, below 10.
Extended roundUp(Extended v, std::initializer_list<Extended> steps)
{
    Extended decade = std::pow(10.0L, std::floor(std::log10(v)) - 1.0L);
    for (int pass = 0; pass < 3; ++pass, decade = decade * 10.0L)
        for (Extended s : steps)
            if (s * decade >= v)
                return s * decade;
    return v;
}

// The largest number of the form step * 10^k that is at most v (v > 0).
Extended roundDown(Extended v, std::initializer_list<Extended> steps)
{
    Extended decade = std::pow(10.0L, std::floor(std::log10(v)) + 1.0L);
    for (int pass = 0; pass < 3; ++pass, decade = decade / 10.0L)
        for (auto s = std::rbegin(steps); s != std::rend(steps); ++s)
            if (*s * decade <= v)
                return *s * decade;
    return v;
}

Extended longestReferenceVector(const AreaPicture& picture)
{
    // A blunder's arrows would shrink every other arrow: they are cut instead.
    auto blunder = [&picture](size_t i) { return i < picture.Named.size() && picture.Named[i]; };
    Extended longest = 0.0L;
    for (size_t i = 0; i < picture.ResidualX.size(); ++i)
        if (!blunder(i))
            longest = std::max(longest, std::hypot(picture.ResidualX[i], picture.ResidualY[i]));
    if (picture.Loo)
        for (size_t i = 0; i < picture.Loo->Points.size(); ++i)
            if (picture.Loo->Points[i].Computed() && !blunder(i))
                longest = std::max(longest, picture.Loo->Points[i].V);
    if (picture.CheckResults)
        for (const CheckDifference& d : picture.CheckResults->Points)
            if (d.Inside && !d.Failed)
                longest = std::max(longest, d.V);
    return longest;
}

} // namespace

Extended PictureLayout::PaperX(Extended east) const
{
    return MapLeft + MapWidth / 2.0L + (east - CentreEast) * 1000.0L / ScaleDenominator;
}

Extended PictureLayout::PaperY(Extended north) const
{
    return MapTop + MapHeight / 2.0L - (north - CentreNorth) * 1000.0L / ScaleDenominator;
}

namespace {

// The box of the adjustment points and of the check points inside the area box, national.
ExtentBox framedBox(const AreaPicture& picture)
{
    const ExtentBox& area = picture.Extents.National;
    ExtentBox b { 0.0L, 0.0L, 0.0L, 0.0L };
    bool any = false;
    auto add = [&](Extended x, Extended y) {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        if (!any) {
            b = { x, y, x, y };
            any = true;
            return;
        }
        b.MinX = std::min(b.MinX, x);
        b.MinY = std::min(b.MinY, y);
        b.MaxX = std::max(b.MaxX, x);
        b.MaxY = std::max(b.MaxY, y);
    };
    for (const TPkt& p : picture.Points)
        add(p.NationalX, p.NationalY);
    for (const CheckPoint& c : picture.Checks)
        if (area.MinX <= c.NationalX && c.NationalX <= area.MaxX && area.MinY <= c.NationalY
            && c.NationalY <= area.MaxY)
            add(c.NationalX, c.NationalY);
    const Extended size = std::max({ b.MaxX - b.MinX, b.MaxY - b.MinY, kFrameSmallest });
    const Extended margin = std::max(size * kFrameShare, kFrameMinimum);
    const Extended growX = (size - (b.MaxX - b.MinX)) / 2.0L + margin;
    const Extended growY = (size - (b.MaxY - b.MinY)) / 2.0L + margin;
    // A long, narrow area keeps its shape: only a side shorter than kFrameSmallest grows.
    const bool thinX = b.MaxX - b.MinX < kFrameSmallest, thinY = b.MaxY - b.MinY < kFrameSmallest;
    b.MinX = b.MinX - (thinX ? growX : margin);
    b.MaxX = b.MaxX + (thinX ? growX : margin);
    b.MinY = b.MinY - (thinY ? growY : margin);
    b.MaxY = b.MaxY + (thinY ? growY : margin);
    return b;
}

} // namespace

PictureLayout LayOutPicture(const AreaPicture& picture)
{
    PictureLayout l;
    l.Framed = framedBox(picture);
    const ExtentBox& box = l.Framed;
    const Extended width = box.MaxY - box.MinY; // easting, metres
    const Extended height = box.MaxX - box.MinX; // northing
    Extended metresPerMm = 0.0L;
    for (bool landscape : { false, true }) {
        const Extended pageWidth = landscape ? kLongSide : kShortSide;
        const Extended pageHeight = landscape ? kShortSide : kLongSide;
        const Extended mapWidth = pageWidth - 2.0L * kMargin;
        const Extended mapHeight = pageHeight - 2.0L * kMargin - kTitleHeight - kLegendHeight;
        const Extended needed = std::max(width / mapWidth, height / mapHeight);
        if (!landscape || needed < metresPerMm) {
            metresPerMm = needed;
            l.Landscape = landscape;
            l.PageWidth = pageWidth;
            l.PageHeight = pageHeight;
            l.MapLeft = kMargin;
            l.MapTop = kMargin + kTitleHeight;
            l.MapWidth = mapWidth;
            l.MapHeight = mapHeight;
        }
    }
    l.ScaleDenominator = picture.Scale
        ? *picture.Scale
        : roundUp(metresPerMm * 1000.0L,
            { 1.0L, 1.2L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 7.5L, 8.0L });
    l.CentreNorth = (box.MinX + box.MaxX) / 2.0L;
    l.CentreEast = (box.MinY + box.MaxY) / 2.0L;
    const ExtentBox& area = picture.Extents.National;
    l.AreaClipped = l.PaperX(area.MinY) < l.MapLeft || l.PaperX(area.MaxY) > l.MapLeft + l.MapWidth
        || l.PaperY(area.MaxX) < l.MapTop || l.PaperY(area.MinX) > l.MapTop + l.MapHeight;
    const Extended longest = std::max(longestReferenceVector(picture) * 1000.0L, kSmallestVector);
    l.ArrowBarGround = roundUp(longest, { 1.0L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 8.0L });
    l.ArrowScale = kArrowBarPaper / l.ArrowBarGround;
    l.MetreBarGround
        = roundDown(l.MapWidth * l.ScaleDenominator / 1000.0L / 4.0L, { 1.0L, 2.0L, 5.0L });
    l.GridStep = roundUp(kGridPaperStep * l.ScaleDenominator / 1000.0L, { 1.0L, 2.0L, 5.0L });
    l.LongestArrow = kLongestArrow;
    return l;
}

namespace {

// Text for the document: UTF-8 with the XML specials escaped; a control character, which XML
// does not allow, becomes U+FFFD.
std::string xmlText(std::string_view utf8)
{
    std::string out;
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

// Windows-1250 bytes (names from the files) for the document.
std::string xmlName(std::string_view cp1250)
{
    return xmlText(Cp1250ToUtf8(cp1250));
}

// A coordinate on the sheet.
std::string mm(Extended v)
{
    return FormatDecimals(v, 2);
}

// Millimetres of a vector given in metres, one decimal.
std::string vectorMm(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 1);
}

// A whole number with its thousands separated by no-break spaces (75 000).
std::string grouped(Extended v)
{
    return GroupThousands(FormatDecimals(v, 0), "\xC2\xA0");
}

size_t utf8Length(std::string_view s)
{
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// ---- Places for labels ----

// A rectangle on the sheet, millimetres, y down.
struct Box
{
    Extended Left = 0.0L, Top = 0.0L, Right = 0.0L, Bottom = 0.0L;
};

bool overlap(const Box& a, const Box& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Text sizes (font size in millimetres): the advance of an average character of the sans
// faces the document names, generous so that a name never runs into its neighbour, and the
// height from the top of a capital to the bottom of a descender.
constexpr Extended kCharWidth = 0.64L, kBoldCharWidth = 0.72L;
constexpr Extended kAscent = 0.8L, kDescent = 0.25L;
constexpr Extended kNameSize = 2.2L, kCutSize = 2.0L, kGridSize = 2.0L;
constexpr Extended kHalo = 0.25L; // the white outline around names

Box textBox(Extended x, Extended baseline, std::string_view utf8, Extended size, bool bold = false)
{
    const Extended width
        = static_cast<Extended>(utf8Length(utf8)) * size * (bold ? kBoldCharWidth : kCharWidth);
    return { x - kHalo, baseline - kAscent * size - kHalo, x + width + kHalo,
        baseline + kDescent * size + kHalo };
}

// The boxes taken on the map, found through a grid of cells.
class Occupancy
{
public:
    explicit Occupancy(const Box& map) : map_(map)
    {
        columns_ = cellOf(map.Right - map.Left) + 1;
        rows_ = cellOf(map.Bottom - map.Top) + 1;
        cells_.resize(columns_ * rows_);
    }

    // Inside the map and clear of every box taken.
    bool Free(const Box& b) const
    {
        if (b.Left < map_.Left || b.Right > map_.Right || b.Top < map_.Top
            || b.Bottom > map_.Bottom)
            return false;
        bool free = true;
        visit(b, [&](size_t cell) {
            for (size_t k : cells_[cell])
                free = free && !overlap(b, boxes_[k]);
        });
        return free;
    }

    void Take(const Box& b)
    {
        boxes_.push_back(b);
        visit(b, [&](size_t cell) { cells_[cell].push_back(boxes_.size() - 1); });
    }

private:
    static constexpr Extended kCell = 5.0L;

    size_t cellOf(Extended offset) const
    {
        if (!(offset > 0.0L))
            return 0;
        return static_cast<size_t>(std::min(offset / kCell, 100000.0L));
    }

    template <typename F> void visit(const Box& b, F f) const
    {
        const size_t c0 = std::min(cellOf(b.Left - map_.Left), columns_ - 1);
        const size_t c1 = std::min(cellOf(b.Right - map_.Left), columns_ - 1);
        const size_t r0 = std::min(cellOf(b.Top - map_.Top), rows_ - 1);
        const size_t r1 = std::min(cellOf(b.Bottom - map_.Top), rows_ - 1);
        for (size_t r = r0; r <= r1; ++r)
            for (size_t c = c0; c <= c1; ++c)
                f(r * columns_ + c);
    }

    Box map_;
    size_t columns_ = 1, rows_ = 1;
    std::vector<std::vector<size_t>> cells_;
    std::vector<Box> boxes_;
};

// A label to place near an anchor: a point's name or a cut arrow's length.
struct Label
{
    Extended X = 0.0L, Y = 0.0L; // the anchor on the sheet
    Extended Clear = 1.4L; // half the size of what stands at the anchor
    std::string Text; // UTF-8
    std::string Class;
    Extended Size = kNameSize;
    bool Bold = false;
    bool Cut = false; // a cut arrow's label, else a name
    int Rank = 0; // lower first
    Extended Weight = 0.0L; // within a rank, larger first
};

// The place of a label: the first free one of eight around the anchor (right of it first,
// as maps name points), then of eight a step further out; nothing when none is free.
std::optional<std::pair<Extended, Extended>> place(const Label& label, Occupancy& taken)
{
    const Box unit = textBox(0.0L, 0.0L, label.Text, label.Size, label.Bold);
    const Extended w = unit.Right - unit.Left - 2.0L * kHalo;
    const Extended up = kAscent * label.Size, down = kDescent * label.Size;
    for (Extended ring : { 0.0L, 1.2L }) {
        const Extended c = label.Clear + ring;
        const std::pair<Extended, Extended> offsets[] = {
            { c, -0.7L * c }, // upper right
            { c + 0.2L, 0.35L * up }, // right
            { c, 0.7L * c + up }, // lower right
            { -c - w, -0.7L * c }, // upper left
            { -c - 0.2L - w, 0.35L * up }, // left
            { -c - w, 0.7L * c + up }, // lower left
            { -w / 2.0L, -c - down }, // above
            { -w / 2.0L, c + up }, // below
        };
        for (const auto& [dx, dy] : offsets) {
            const Extended x = label.X + dx, y = label.Y + dy;
            const Box b = textBox(x, y, label.Text, label.Size, label.Bold);
            if (taken.Free(b)) {
                taken.Take(b);
                return std::make_pair(x, y);
            }
        }
    }
    return std::nullopt;
}

// ---- The document ----

class SvgWriter
{
public:
    void Line(const std::string& text)
    {
        out_ += text;
        out_ += "\r\n";
    }

    void Text(Extended x, Extended y, const std::string& cls, const std::string& escaped,
        const std::string& extra = {})
    {
        Line("<text x=\"" + mm(x) + "\" y=\"" + mm(y) + "\" class=\"" + cls + "\"" + extra + ">"
            + escaped + "</text>");
    }

    // An arrow from (x, y) by (dx, dy) on paper; one longer than `longest` is cut there, and
    // its label (the length in full) is handed back for placing.
    std::optional<Label> Arrow(Extended x, Extended y, Extended dx, Extended dy, const char* cls,
        const char* head, Extended longest, const std::string& label)
    {
        const Extended length = std::hypot(dx, dy);
        if (!(length >= 0.05L))
            return std::nullopt; // nothing visible
        const bool cut = length > longest;
        if (cut) {
            dx = dx * (longest / length);
            dy = dy * (longest / length);
        }
        std::string l = "<line class=\"" + std::string(cls) + (cut ? " cut" : "") + "\" x1=\""
            + mm(x) + "\" y1=\"" + mm(y) + "\" x2=\"" + mm(x + dx) + "\" y2=\"" + mm(y + dy) + "\"";
        if (length >= 0.8L)
            l += " marker-end=\"url(#" + std::string(head) + ")\"";
        Line(l + "/>");
        if (!cut)
            return std::nullopt;
        Label cutLabel;
        cutLabel.X = x + dx;
        cutLabel.Y = y + dy;
        cutLabel.Clear = 0.6L;
        cutLabel.Text = label + " mm";
        cutLabel.Class = "cutlabel";
        cutLabel.Size = kCutSize;
        cutLabel.Cut = true;
        cutLabel.Rank = 1;
        cutLabel.Weight = length;
        return cutLabel;
    }

    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

const char* const kStyle = R"(<style>
.sheet { fill: #fff; }
.area { fill: none; stroke: #555; stroke-width: 0.35; stroke-dasharray: 2 1.2; }
.frame { fill: none; stroke: #888; stroke-width: 0.25; }
.grid { stroke: #ccc; stroke-width: 0.15; }
.res { stroke: #1f5fbf; stroke-width: 0.35; }
.loo { stroke: #e07b00; stroke-width: 0.35; }
.chk { stroke: #1a8a2e; stroke-width: 0.35; }
.cut { stroke-dasharray: 1 0.5; }
.adjustment { fill: #fff; stroke: #222; stroke-width: 0.3; }
.extrapolated { fill: #bbb; }
.blunder { fill: #d40000; stroke: #d40000; }
.check { fill: #1a8a2e; }
.bar { fill: none; stroke: #222; stroke-width: 0.3; }
.north { fill: #222; }
text { font-size: 2.2px; fill: #222; }
.name { paint-order: stroke; stroke: #fff; stroke-width: 0.5px; }
.bname { fill: #d40000; font-weight: bold; }
.cutlabel { font-size: 2px; paint-order: stroke; stroke: #fff; stroke-width: 0.4px; }
.gridlabel { font-size: 2px; fill: #777; paint-order: stroke; stroke: #fff; stroke-width: 0.4px; }
.title { font-weight: bold; }
.sub { font-size: 2.8px; }
.leg { font-size: 2.6px; }
.fig { font-size: 2.4px; }
</style>)";

std::string marker(const char* id, const char* colour)
{
    return std::string("<marker id=\"") + id
        + "\" viewBox=\"0 0 10 10\" refX=\"10\" refY=\"5\" markerWidth=\"1.6\" "
          "markerHeight=\"1.6\" markerUnits=\"userSpaceOnUse\" orient=\"auto\"><path d=\"M0,0 "
          "L10,5 L0,10 z\" fill=\""
        + colour + "\"/></marker>";
}

// The symbol of an adjustment point; in the legend (key) it carries the class "key" as well.
std::string triangle(Extended x, Extended y, const char* kind, bool key = false)
{
    return "<path class=\"adjustment" + std::string(kind) + (key ? " key" : "") + "\" d=\"M" + mm(x)
        + "," + mm(y - 1.3L) + " L" + mm(x + 1.15L) + "," + mm(y + 0.7L) + " L" + mm(x - 1.15L)
        + "," + mm(y + 0.7L) + " Z\"/>";
}
constexpr Box kTriangle { -1.15L, -1.3L, 1.15L, 0.7L };

std::string square(Extended x, Extended y, bool key = false)
{
    return "<rect class=\"check" + std::string(key ? " key" : "") + "\" x=\"" + mm(x - 0.8L)
        + "\" y=\"" + mm(y - 0.8L) + "\" width=\"1.6\" height=\"1.6\"/>";
}
constexpr Box kSquare { -0.8L, -0.8L, 0.8L, 0.8L };

Box at(const Box& shape, Extended x, Extended y)
{
    return { x + shape.Left, y + shape.Top, x + shape.Right, y + shape.Bottom };
}

std::string legendLine(Extended x, Extended y, const char* cls, const char* head)
{
    return "<line class=\"" + std::string(cls) + "\" x1=\"" + mm(x) + "\" y1=\"" + mm(y)
        + "\" x2=\"" + mm(x + 7.0L) + "\" y2=\"" + mm(y) + "\" marker-end=\"url(#" + head + ")\"/>";
}

// A scale bar from (x, y), length on paper, with its end labels.
void scaleBar(SvgWriter& w, Extended x, Extended y, Extended length, const std::string& label,
    const std::string& caption)
{
    w.Text(x, y, "leg", xmlText(caption));
    x = x + 30.0L;
    w.Line("<path class=\"bar\" d=\"M" + mm(x) + "," + mm(y - 1.0L) + " V" + mm(y) + " H"
        + mm(x + length) + " V" + mm(y - 1.0L) + "\"/>");
    w.Text(x - 0.6L, y + 2.6L, "leg", "0");
    w.Text(x + length - 1.0L, y + 2.6L, "leg", xmlText(label));
}

bool named(const AreaPicture& picture, size_t i)
{
    return i < picture.Named.size() && picture.Named[i];
}

bool extrapolated(const AreaPicture& picture, size_t i)
{
    return picture.Loo && picture.Loo->Points[i].Extrapolated;
}

const char* kindOf(const AreaPicture& picture, size_t i)
{
    if (named(picture, i))
        return " blunder";
    return extrapolated(picture, i) ? " extrapolated" : "";
}

// The title, the document's header and its definitions.
void writeHeader(SvgWriter& w, const AreaPicture& picture, const PictureLayout& l)
{
    w.Line(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    w.Line(R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width=")"
        + PlainNumber(l.PageWidth) + "mm\" height=\"" + PlainNumber(l.PageHeight)
        + "mm\" viewBox=\"0 0 " + PlainNumber(l.PageWidth) + " " + PlainNumber(l.PageHeight)
        + R"(" font-family="DejaVu Sans, Liberation Sans, Arial, sans-serif">)");
    const std::string title = xmlName(TrimControls(picture.AreaName));
    w.Line("<title>" + title + "</title>");
    w.Line("<defs>");
    w.Line(kStyle);
    w.Line(marker("headRes", "#1f5fbf"));
    w.Line(marker("headLoo", "#e07b00"));
    w.Line(marker("headChk", "#1a8a2e"));
    w.Line(marker("headNorth", "#222"));
    w.Line("<clipPath id=\"map\"><rect x=\"" + mm(l.MapLeft) + "\" y=\"" + mm(l.MapTop)
        + "\" width=\"" + mm(l.MapWidth) + "\" height=\"" + mm(l.MapHeight) + "\"/></clipPath>");
    w.Line("</defs>");
    w.Line("<rect class=\"sheet\" x=\"0\" y=\"0\" width=\"" + PlainNumber(l.PageWidth)
        + "\" height=\"" + PlainNumber(l.PageHeight) + "\"/>");

    // Title and subtitle; a long area name gets a smaller font so that it fits the sheet.
    const Extended available = l.PageWidth - 2.0L * kMargin;
    Extended titleSize = 5.0L;
    const Extended estimated = static_cast<Extended>(utf8Length(title)) * 0.6L * titleSize;
    if (estimated > available)
        titleSize = std::max(2.0L, titleSize * available / estimated);
    w.Text(kMargin, kMargin + 5.0L, "title", title, " style=\"font-size:" + mm(titleSize) + "px\"");
    const std::string system = Cp1250ToUtf8(SystemName(picture.SystemCode));
    w.Text(kMargin, kMargin + 10.0L, "sub",
        xmlText("Układ " + (system.empty() ? std::to_string(picture.SystemCode) : system)
            + ", x na północ · skala 1:")
            + grouped(l.ScaleDenominator)
            + xmlText(" · punktów dostosowania: " + std::to_string(picture.Points.size())));
    w.Text(kMargin, kMargin + 14.0L, "sub",
        xmlText("Przeliczenie lokalny → krajowy: wielomian 3. stopnia z korektą Hausbrandta; "
                "odchyłki v = znane − obliczone"));
}

// The grid lines of round coordinates across the map; their labels on the left edge (x) and
// on the bottom edge (y) are handed back, to be placed where no marker stands.
std::vector<std::pair<Box, std::string>> writeGrid(SvgWriter& w, const PictureLayout& l)
{
    const Extended metresPerMm = l.ScaleDenominator / 1000.0L;
    const Extended right = l.MapLeft + l.MapWidth, bottom = l.MapTop + l.MapHeight;
    const Extended westmost = l.CentreEast - l.MapWidth / 2.0L * metresPerMm;
    const Extended eastmost = l.CentreEast + l.MapWidth / 2.0L * metresPerMm;
    const Extended southmost = l.CentreNorth - l.MapHeight / 2.0L * metresPerMm;
    const Extended northmost = l.CentreNorth + l.MapHeight / 2.0L * metresPerMm;
    std::vector<std::pair<Box, std::string>> labels;
    for (Extended e = std::ceil(westmost / l.GridStep) * l.GridStep; e <= eastmost;
         e = e + l.GridStep) {
        const Extended x = l.PaperX(e);
        w.Line("<line class=\"grid\" x1=\"" + mm(x) + "\" y1=\"" + mm(l.MapTop) + "\" x2=\"" + mm(x)
            + "\" y2=\"" + mm(bottom) + "\"/>");
        const std::string text = "y " + grouped(e);
        const Box b = textBox(x + 0.6L, bottom - 0.9L, text, kGridSize);
        if (b.Right < right)
            labels.emplace_back(b, text);
    }
    for (Extended n = std::ceil(southmost / l.GridStep) * l.GridStep; n <= northmost;
         n = n + l.GridStep) {
        const Extended y = l.PaperY(n);
        w.Line("<line class=\"grid\" x1=\"" + mm(l.MapLeft) + "\" y1=\"" + mm(y) + "\" x2=\""
            + mm(right) + "\" y2=\"" + mm(y) + "\"/>");
        const std::string text = "x " + grouped(n);
        const Box b = textBox(l.MapLeft + 0.8L, y - 0.6L, text, kGridSize);
        if (b.Top > l.MapTop)
            labels.emplace_back(b, text);
    }
    return labels;
}

// The map: grid, area rectangle, arrows, markers and the labels that find a place.
void writeMap(SvgWriter& w, const AreaPicture& picture, const PictureLayout& l, LabelCounts& counts)
{
    w.Line("<g clip-path=\"url(#map)\">");
    Occupancy taken({ l.MapLeft, l.MapTop, l.MapLeft + l.MapWidth, l.MapTop + l.MapHeight });
    const Extended northX = l.MapLeft + l.MapWidth - 6.0L, northY = l.MapTop + 12.0L;
    taken.Take({ northX - 2.5L, northY - 8.0L, northX + 2.5L, northY + 4.5L });
    const std::vector<std::pair<Box, std::string>> gridLabels = writeGrid(w, l);

    const ExtentBox& box = picture.Extents.National;
    w.Line("<rect class=\"area\" x=\"" + mm(l.PaperX(box.MinY)) + "\" y=\"" + mm(l.PaperY(box.MaxX))
        + "\" width=\"" + mm(l.PaperX(box.MaxY) - l.PaperX(box.MinY)) + "\" height=\""
        + mm(l.PaperY(box.MinX) - l.PaperY(box.MaxX)) + "\"/>");
    w.Line("<line class=\"bar\" x1=\"" + mm(northX) + "\" y1=\"" + mm(northY) + "\" x2=\""
        + mm(northX) + "\" y2=\"" + mm(northY - 7.0L) + "\" marker-end=\"url(#headNorth)\"/>");
    w.Text(northX - 1.2L, northY + 3.5L, "leg", "N");

    // Vectors in metres (national x north, y east) as paper offsets.
    std::vector<Label> labels;
    const Extended k = 1000.0L * l.ArrowScale;
    auto arrow
        = [&](Extended x, Extended y, Extended vx, Extended vy, const char* cls, const char* head) {
              if (auto cut = w.Arrow(x, y, vy * k, -vx * k, cls, head, l.LongestArrow,
                      vectorMm(std::hypot(vx, vy))))
                  labels.push_back(std::move(*cut));
          };
    const size_t n = picture.Points.size();
    for (size_t i = 0; i < n; ++i) {
        const TPkt& p = picture.Points[i];
        const Extended x = l.PaperX(p.NationalY), y = l.PaperY(p.NationalX);
        if (i < picture.ResidualX.size())
            arrow(x, y, picture.ResidualX[i], picture.ResidualY[i], "res", "headRes");
        if (picture.Loo && picture.Loo->Points[i].Computed())
            arrow(x, y, picture.Loo->Points[i].Vx, picture.Loo->Points[i].Vy, "loo", "headLoo");
    }
    const bool checksShown = picture.CheckResults.has_value();
    for (size_t i = 0; i < picture.Checks.size(); ++i) {
        const CheckPoint& c = picture.Checks[i];
        const Extended x = l.PaperX(c.NationalY), y = l.PaperY(c.NationalX);
        if (checksShown && !picture.CheckResults->Points[i].Failed)
            arrow(x, y, picture.CheckResults->Points[i].Vx, picture.CheckResults->Points[i].Vy,
                "chk", "headChk");
    }
    for (size_t i = 0; i < n; ++i) {
        const TPkt& p = picture.Points[i];
        const Extended x = l.PaperX(p.NationalY), y = l.PaperY(p.NationalX);
        w.Line(triangle(x, y, kindOf(picture, i)));
        taken.Take(at(kTriangle, x, y));
        Label name;
        name.X = x;
        name.Y = y;
        name.Text = Cp1250ToUtf8(p.Name);
        name.Bold = named(picture, i);
        name.Class = name.Bold ? "name bname" : "name";
        name.Rank = name.Bold ? 0 : extrapolated(picture, i) ? 2 : 3;
        name.Weight
            = picture.Loo && picture.Loo->Points[i].Computed() ? picture.Loo->Points[i].V : 0.0L;
        labels.push_back(std::move(name));
    }
    for (size_t i = 0; i < picture.Checks.size(); ++i) {
        const CheckPoint& c = picture.Checks[i];
        const Extended x = l.PaperX(c.NationalY), y = l.PaperY(c.NationalX);
        w.Line(square(x, y));
        taken.Take(at(kSquare, x, y));
        Label name;
        name.X = x;
        name.Y = y;
        name.Clear = 1.0L;
        name.Text = Cp1250ToUtf8(c.Name);
        name.Class = "name";
        name.Rank = 4;
        name.Weight = checksShown ? picture.CheckResults->Points[i].V : 0.0L;
        labels.push_back(std::move(name));
    }

    // The grid's labels first where no marker stands, then the others by rank.
    for (const auto& [b, text] : gridLabels)
        if (taken.Free(b)) {
            taken.Take(b);
            w.Text(b.Left + kHalo, b.Bottom - kHalo - kDescent * kGridSize, "gridlabel",
                xmlText(text));
        }
    std::stable_sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) {
        return a.Rank < b.Rank || (a.Rank == b.Rank && a.Weight > b.Weight);
    });
    for (const Label& label : labels) {
        (label.Cut ? counts.Cuts : counts.Names) += 1;
        if (const auto spot = place(label, taken))
            w.Text(spot->first, spot->second, label.Class, xmlText(label.Text));
        else
            (label.Cut ? counts.CutsLeftOut : counts.NamesLeftOut) += 1;
    }
    w.Line("</g>");
    // The frame over the map's edge.
    w.Line("<rect class=\"frame\" x=\"" + mm(l.MapLeft) + "\" y=\"" + mm(l.MapTop) + "\" width=\""
        + mm(l.MapWidth) + "\" height=\"" + mm(l.MapHeight) + "\"/>");
}

Extended legendTop(const PictureLayout& l)
{
    return l.PageHeight - kMargin - kLegendHeight + 5.0L;
}

// The symbols on the left below the map.
void writeLegend(SvgWriter& w, const AreaPicture& picture, const PictureLayout& l)
{
    const Extended left = kMargin + 1.0L, textLeft = kMargin + 10.0L;
    Extended row = legendTop(l);
    auto next = [&row]() {
        const Extended r = row;
        row = row + 4.6L;
        return r;
    };
    Extended r = next();
    w.Line(triangle(left + 3.5L, r - 0.8L, "", true));
    w.Text(textLeft, r, "leg", xmlText("punkt dostosowania z nazwą"));
    r = next();
    w.Line(triangle(left + 3.5L, r - 0.8L, " extrapolated", true));
    w.Text(textLeft, r, "leg", xmlText("poza otoczką pozostałych (ekstrapolacja)"));
    r = next();
    w.Line(triangle(left + 3.5L, r - 0.8L, " blunder", true));
    w.Text(textLeft, r, "leg", xmlText("prawdopodobny błąd gruby (wskazywany po jednym)"));
    r = next();
    w.Line(legendLine(left, r - 0.9L, "res", "headRes"));
    w.Text(textLeft, r, "leg", xmlText("odchyłka dopasowania"));
    r = next();
    w.Line(legendLine(left, r - 0.9L, "loo", "headLoo"));
    w.Text(textLeft, r, "leg", xmlText("odchyłka przy pominięciu punktu"));
    if (!picture.Checks.empty()) {
        r = next();
        w.Line(square(left + 1.0L, r - 0.9L, true));
        w.Line(legendLine(left + 1.8L, r - 0.9L, "chk", "headChk"));
        w.Text(textLeft, r, "leg", xmlText("punkt kontrolny i jego odchyłka"));
    }
    r = next();
    w.Line("<rect class=\"area key\" x=\"" + mm(left) + "\" y=\"" + mm(r - 2.4L)
        + "\" width=\"7\" height=\"3\"/>");
    w.Text(textLeft, r, "leg",
        xmlText("obszar: punkty dostosowania + " + AreaMarginText()
            + (l.AreaClipped ? ", przycięty" : "")));
    r = next();
    w.Line("<line class=\"res cut\" x1=\"" + mm(left) + "\" y1=\"" + mm(r - 0.9L) + "\" x2=\""
        + mm(left + 7.0L) + "\" y2=\"" + mm(r - 0.9L) + "\"/>");
    w.Text(textLeft, r, "leg",
        xmlText("strzałka skrócona do " + PlainNumber(l.LongestArrow) + " mm, z długością"));
    r = next();
    w.Line("<line class=\"grid key\" x1=\"" + mm(left) + "\" y1=\"" + mm(r - 0.9L) + "\" x2=\""
        + mm(left + 7.0L) + "\" y2=\"" + mm(r - 0.9L) + "\"/>");
    w.Text(textLeft, r, "leg",
        xmlText("siatka co " + PlainNumber(l.GridStep) + " m (x przy lewej, y przy dolnej)"));
}

// The scale bars and the figures on the right below the map.
void writeFigures(
    SvgWriter& w, const AreaPicture& picture, const PictureLayout& l, const LabelCounts& counts)
{
    const Extended right = l.Landscape ? l.PageWidth * 0.5L : l.PageWidth * 0.45L;
    Extended row = legendTop(l);
    scaleBar(w, right, row, l.ArrowBarGround * l.ArrowScale, PlainNumber(l.ArrowBarGround) + " mm",
        "skala odchyłek");
    row = row + 6.0L;
    scaleBar(w, right, row, l.MetreBarGround * 1000.0L / l.ScaleDenominator,
        PlainNumber(l.MetreBarGround) + " m", "skala mapy 1:" + grouped(l.ScaleDenominator));
    row = row + 7.0L;
    std::vector<std::string> figures;
    switch (picture.Fit) {
    case AreaFitStatus::Fitted:
        break;
    case AreaFitStatus::Singular:
        figures.push_back("Dopasowanie: układ równań osobliwy – bez odchyłek");
        break;
    default:
        figures.push_back("Dopasowanie: za mało punktów dostosowania – bez odchyłek");
    }
    if (!picture.Excluded.empty())
        figures.push_back("Bez punktów: " + picture.Excluded);
    const size_t n = picture.Points.size();
    if (picture.Loo && picture.Loo->Worst) {
        const LooResult& loo = *picture.Loo;
        figures.push_back("Odchyłki przy pominięciu punktu: RMS " + vectorMm(loo.Rms) + " mm ("
            + std::to_string(loo.Computed) + " pkt)");
        figures.push_back("największa: " + Cp1250ToUtf8(picture.Points[*loo.Worst].Name) + ", "
            + vectorMm(loo.Points[*loo.Worst].V) + " mm");
        std::string blunders;
        size_t count = 0;
        for (size_t i = 0; i < n; ++i)
            if (named(picture, i) && ++count <= kBlundersNamed)
                blunders += (count > 1 ? ", " : "") + Cp1250ToUtf8(picture.Points[i].Name);
        if (count > kBlundersNamed)
            blunders += " i " + std::to_string(count - kBlundersNamed) + " innych";
        figures.push_back("Prawdopodobne błędy grube: " + (count == 0 ? "brak" : blunders));
        // The rule in two lines, split after its first part, so that it fits the column.
        const std::string rule = "Próg: " + BlunderRuleText(picture.Tolerance);
        const size_t split = rule.find("; ");
        figures.push_back(rule.substr(0, split));
        if (split != std::string::npos)
            figures.push_back("  " + rule.substr(split + 2));
    } else {
        figures.push_back("Odchyłki przy pominięciu punktu: za mało punktów (co najmniej "
            + std::to_string(kMinimumPointsForLeaveOneOut) + ")");
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        figures.push_back("Punkty kontrolne w obszarze: " + std::to_string(s.Inside)
            + (s.Inside > 0 ? ", max " + vectorMm(s.Max) + " mm, RMS " + vectorMm(s.Rms) + " mm"
                            : std::string()));
    }
    if (counts.NamesLeftOut > 0 || counts.CutsLeftOut > 0)
        figures.push_back("Bez miejsca pominięto nazw: " + std::to_string(counts.NamesLeftOut)
            + " z " + std::to_string(counts.Names)
            + ", długości strzałek: " + std::to_string(counts.CutsLeftOut));
    for (const std::string& f : figures) {
        w.Text(right, row, "fig", xmlText(f));
        row = row + 4.0L;
    }
}

} // namespace

std::string AreaSvg(const AreaPicture& picture, LabelCounts* counts)
{
    const PictureLayout l = LayOutPicture(picture);
    SvgWriter w;
    LabelCounts placed;
    writeHeader(w, picture, l);
    writeMap(w, picture, l, placed);
    writeLegend(w, picture, l);
    writeFigures(w, picture, l, placed);
    w.Line("</svg>");
    if (counts)
        *counts = placed;
    return w.Take();
}

} // namespace vorida
