#include "AreaPicture.h"

#include "Cp1250.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace vorida {

AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks)
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
    if (points.size() >= kMinimumPointsForLeaveOneOut)
        picture.Loo = LeaveOneOut(points, false);
    return picture;
}

namespace {

// The sheet: A4, margins, the title above the map and the legend below it (millimetres).
constexpr Extended kShortSide = 210.0L, kLongSide = 297.0L;
constexpr Extended kMargin = 12.0L;
constexpr Extended kTitleHeight = 17.0L;
constexpr Extended kLegendHeight = 44.0L;
constexpr Extended kArrowBarPaper = 15.0L; // the arrow scale bar
constexpr Extended kLongestArrow = 25.0L;
constexpr Extended kSmallestVector = 0.1L; // mm: the arrow scale never shows less
constexpr size_t kBlundersNamed = 8; // the legend names at most this many blunders

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
    auto blunder = [&picture](size_t i) { return picture.Loo && picture.Loo->Points[i].Blunder; };
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

PictureLayout LayOutPicture(const AreaPicture& picture)
{
    const ExtentBox& box = picture.Extents.National;
    const Extended width = box.MaxY - box.MinY; // easting, metres
    const Extended height = box.MaxX - box.MinX; // northing
    PictureLayout l;
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
    l.ScaleDenominator = roundUp(metresPerMm * 1000.0L,
        { 1.0L, 1.2L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 7.5L, 8.0L });
    l.CentreNorth = (box.MinX + box.MaxX) / 2.0L;
    l.CentreEast = (box.MinY + box.MaxY) / 2.0L;
    const Extended longest = std::max(longestReferenceVector(picture) * 1000.0L, kSmallestVector);
    l.ArrowBarGround = roundUp(longest, { 1.0L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 8.0L });
    l.ArrowScale = kArrowBarPaper / l.ArrowBarGround;
    l.MetreBarGround
        = roundDown(l.MapWidth * l.ScaleDenominator / 1000.0L / 4.0L, { 1.0L, 2.0L, 5.0L });
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

std::string trimmedControls(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return std::string(text.substr(b, e - b));
}

// A coordinate on the sheet.
std::string mm(Extended v)
{
    return FormatDecimals(v, 2);
}

// A length for people: as few decimals as it needs (at most 3).
std::string plain(Extended v)
{
    std::string s = FormatDecimals(v, 3);
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

// Millimetres of a vector given in metres, one decimal.
std::string vectorMm(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 1);
}

// A whole number with its thousands separated by no-break spaces (75 000).
std::string grouped(Extended v)
{
    const std::string digits = FormatDecimals(v, 0);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += "\xC2\xA0";
        out += digits[i];
    }
    return out;
}

size_t utf8Length(std::string_view s)
{
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

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

    // An arrow from (x, y) by (dx, dy) on paper; one longer than `longest` is cut there and
    // labelled with `label`.
    void Arrow(Extended x, Extended y, Extended dx, Extended dy, const char* cls, const char* head,
        Extended longest, const std::string& label)
    {
        const Extended length = std::hypot(dx, dy);
        if (!(length >= 0.05L))
            return; // nothing visible
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
        if (cut)
            Text(x + dx + 0.8L, y + dy, "cutlabel", xmlText(label + " mm"));
    }

    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

const char* const kStyle = R"(<style>
.sheet { fill: #fff; }
.area { fill: none; stroke: #555; stroke-width: 0.35; stroke-dasharray: 2 1.2; }
.frame { fill: none; stroke: #bbb; stroke-width: 0.2; }
.res { stroke: #1f5fbf; stroke-width: 0.35; }
.loo { stroke: #e07b00; stroke-width: 0.35; }
.chk { stroke: #1a8a2e; stroke-width: 0.35; }
.cut { stroke-dasharray: 1 0.5; }
.adjustment { fill: #fff; stroke: #222; stroke-width: 0.3; }
.blunder { fill: #d40000; stroke: #d40000; }
.check { fill: #1a8a2e; }
.bar { fill: none; stroke: #222; stroke-width: 0.3; }
.north { fill: #222; }
text { font-size: 2.2px; fill: #222; }
.name { paint-order: stroke; stroke: #fff; stroke-width: 0.5px; }
.bname { fill: #d40000; font-weight: bold; }
.cutlabel { font-size: 2px; paint-order: stroke; stroke: #fff; stroke-width: 0.4px; }
.title { font-weight: bold; }
.sub { font-size: 2.8px; }
.leg { font-size: 2.6px; }
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
std::string triangle(Extended x, Extended y, bool blunder, bool key = false)
{
    return "<path class=\"adjustment" + std::string(blunder ? " blunder" : "") + (key ? " key" : "")
        + "\" d=\"M" + mm(x) + "," + mm(y - 1.3L) + " L" + mm(x + 1.15L) + "," + mm(y + 0.7L) + " L"
        + mm(x - 1.15L) + "," + mm(y + 0.7L) + " Z\"/>";
}

std::string square(Extended x, Extended y, bool key = false)
{
    return "<rect class=\"check" + std::string(key ? " key" : "") + "\" x=\"" + mm(x - 0.8L)
        + "\" y=\"" + mm(y - 0.8L) + "\" width=\"1.6\" height=\"1.6\"/>";
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

} // namespace

std::string AreaSvg(const AreaPicture& picture)
{
    const PictureLayout l = LayOutPicture(picture);
    SvgWriter w;
    w.Line(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    w.Line(R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width=")" + plain(l.PageWidth)
        + "mm\" height=\"" + plain(l.PageHeight) + "mm\" viewBox=\"0 0 " + plain(l.PageWidth) + " "
        + plain(l.PageHeight)
        + R"(" font-family="DejaVu Sans, Liberation Sans, Arial, sans-serif">)");
    const std::string title = xmlName(trimmedControls(picture.AreaName));
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
    w.Line("<rect class=\"sheet\" x=\"0\" y=\"0\" width=\"" + plain(l.PageWidth) + "\" height=\""
        + plain(l.PageHeight) + "\"/>");

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

    // The map.
    w.Line("<rect class=\"frame\" x=\"" + mm(l.MapLeft) + "\" y=\"" + mm(l.MapTop) + "\" width=\""
        + mm(l.MapWidth) + "\" height=\"" + mm(l.MapHeight) + "\"/>");
    // Check points far outside the area would leave the sheet: the map is clipped to its frame.
    w.Line("<g clip-path=\"url(#map)\">");
    const ExtentBox& box = picture.Extents.National;
    w.Line("<rect class=\"area\" x=\"" + mm(l.PaperX(box.MinY)) + "\" y=\"" + mm(l.PaperY(box.MaxX))
        + "\" width=\"" + mm(l.PaperX(box.MaxY) - l.PaperX(box.MinY)) + "\" height=\""
        + mm(l.PaperY(box.MinX) - l.PaperY(box.MaxX)) + "\"/>");
    const Extended northX = l.MapLeft + l.MapWidth - 6.0L, northY = l.MapTop + 12.0L;
    w.Line("<line class=\"bar\" x1=\"" + mm(northX) + "\" y1=\"" + mm(northY) + "\" x2=\""
        + mm(northX) + "\" y2=\"" + mm(northY - 7.0L) + "\" marker-end=\"url(#headNorth)\"/>");
    w.Text(northX - 1.2L, northY + 3.5L, "leg", "N");

    // Vectors in metres (national x north, y east) as paper offsets.
    const Extended k = 1000.0L * l.ArrowScale;
    auto arrow = [&](Extended x, Extended y, Extended vx, Extended vy, const char* cls,
                     const char* head) {
        w.Arrow(x, y, vy * k, -vx * k, cls, head, l.LongestArrow, vectorMm(std::hypot(vx, vy)));
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
        const bool blunder = picture.Loo && picture.Loo->Points[i].Blunder;
        w.Line(triangle(l.PaperX(p.NationalY), l.PaperY(p.NationalX), blunder));
    }
    for (const CheckPoint& c : picture.Checks)
        w.Line(square(l.PaperX(c.NationalY), l.PaperY(c.NationalX)));
    for (size_t i = 0; i < n; ++i) {
        const TPkt& p = picture.Points[i];
        const bool blunder = picture.Loo && picture.Loo->Points[i].Blunder;
        w.Text(l.PaperX(p.NationalY) + 1.4L, l.PaperY(p.NationalX) - 1.0L,
            blunder ? "name bname" : "name", xmlName(p.Name));
    }
    for (const CheckPoint& c : picture.Checks)
        w.Text(l.PaperX(c.NationalY) + 1.2L, l.PaperY(c.NationalX) + 2.6L, "name", xmlName(c.Name));

    w.Line("</g>");

    // The legend: symbols on the left, scales and figures on the right.
    const Extended top = l.PageHeight - kMargin - kLegendHeight + 5.0L;
    const Extended left = kMargin + 1.0L, textLeft = kMargin + 10.0L;
    Extended row = top;
    auto next = [&row]() {
        const Extended r = row;
        row = row + 5.2L;
        return r;
    };
    Extended r = next();
    w.Line(triangle(left + 3.5L, r - 0.8L, false, true));
    w.Text(textLeft, r, "leg", xmlText("punkt dostosowania z nazwą"));
    r = next();
    w.Line(legendLine(left, r - 0.9L, "res", "headRes"));
    w.Text(textLeft, r, "leg", xmlText("odchyłka dopasowania"));
    r = next();
    w.Line(legendLine(left, r - 0.9L, "loo", "headLoo"));
    w.Text(textLeft, r, "leg", xmlText("odchyłka przy pominięciu punktu"));
    r = next();
    w.Line(triangle(left + 3.5L, r - 0.8L, true, true));
    w.Text(textLeft, r, "leg", xmlText("prawdopodobny błąd gruby: v > 3 × RMS pozostałych"));
    if (!picture.Checks.empty()) {
        r = next();
        w.Line(square(left + 1.0L, r - 0.9L, true));
        w.Line(legendLine(left + 1.8L, r - 0.9L, "chk", "headChk"));
        w.Text(textLeft, r, "leg", xmlText("punkt kontrolny i jego odchyłka"));
    }
    r = next();
    w.Line("<rect class=\"area key\" x=\"" + mm(left) + "\" y=\"" + mm(r - 2.4L)
        + "\" width=\"7\" height=\"3\"/>");
    w.Text(textLeft, r, "leg", xmlText("obszar przeliczeń: punkty dostosowania + 3000 m"));
    r = next();
    w.Line("<line class=\"res cut\" x1=\"" + mm(left) + "\" y1=\"" + mm(r - 0.9L) + "\" x2=\""
        + mm(left + 7.0L) + "\" y2=\"" + mm(r - 0.9L) + "\"/>");
    w.Text(textLeft, r, "leg",
        xmlText("strzałka skrócona do " + plain(l.LongestArrow) + " mm, z długością odchyłki"));

    const Extended right = l.Landscape ? l.PageWidth * 0.55L : l.PageWidth * 0.5L + 10.0L;
    row = top + 1.0L;
    r = next();
    scaleBar(w, right, r, l.ArrowBarGround * l.ArrowScale, plain(l.ArrowBarGround) + " mm",
        "skala odchyłek");
    r = next();
    scaleBar(w, right, r + 1.5L, l.MetreBarGround * 1000.0L / l.ScaleDenominator,
        plain(l.MetreBarGround) + " m", "skala mapy 1:" + grouped(l.ScaleDenominator));
    row = row + 3.5L;
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
    if (picture.Loo && picture.Loo->Worst) {
        const LooResult& loo = *picture.Loo;
        figures.push_back("Odchyłki przy pominięciu punktu: RMS " + vectorMm(loo.Rms) + " mm ("
            + std::to_string(loo.Computed) + " pkt)");
        figures.push_back("największa: " + Cp1250ToUtf8(picture.Points[*loo.Worst].Name) + ", "
            + vectorMm(loo.Points[*loo.Worst].V) + " mm");
        std::string blunders;
        size_t count = 0;
        for (size_t i = 0; i < n; ++i)
            if (loo.Points[i].Blunder && ++count <= kBlundersNamed)
                blunders += (count > 1 ? ", " : "") + Cp1250ToUtf8(picture.Points[i].Name);
        if (count > kBlundersNamed)
            blunders += " i " + std::to_string(count - kBlundersNamed) + " innych";
        figures.push_back("Prawdopodobne błędy grube: " + (count == 0 ? "brak" : blunders));
    } else {
        figures.push_back("Odchyłki przy pominięciu punktu: za mało punktów (co najmniej "
            + std::to_string(kMinimumPointsForLeaveOneOut) + ")");
    }
    if (checksShown) {
        const CheckSummary& s = *picture.CheckResults;
        figures.push_back("Punkty kontrolne w obszarze: " + std::to_string(s.Inside)
            + (s.Inside > 0 ? ", max " + vectorMm(s.Max) + " mm, RMS " + vectorMm(s.Rms) + " mm"
                            : std::string()));
    }
    for (const std::string& f : figures)
        w.Text(right, next(), "leg", xmlText(f));
    w.Line("</svg>");
    return w.Take();
}

} // namespace vorida
