#include "AreaSvg.h"

#include "AreaText.h"
#include "Cp1250.h"
#include "Numbers.h"
#include "PictureLegend.h"
#include "UNITtrk.h"

#include <algorithm>

namespace vorida {

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
std::string sheetMm(Extended v)
{
    return FormatDecimals(v, 2);
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
        Line("<text x=\"" + sheetMm(x) + "\" y=\"" + sheetMm(y) + "\" class=\"" + cls + "\"" + extra
            + ">" + escaped + "</text>");
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
.leader { stroke: #d40000; stroke-width: 0.15; }
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
    return "<path class=\"adjustment" + std::string(kind) + (key ? " key" : "") + "\" d=\"M"
        + sheetMm(x) + "," + sheetMm(y - 1.3L) + " L" + sheetMm(x + 1.15L) + "," + sheetMm(y + 0.7L)
        + " L" + sheetMm(x - 1.15L) + "," + sheetMm(y + 0.7L) + " Z\"/>";
}

std::string square(Extended x, Extended y, bool key = false)
{
    return "<rect class=\"check" + std::string(key ? " key" : "") + "\" x=\"" + sheetMm(x - 0.8L)
        + "\" y=\"" + sheetMm(y - 0.8L) + "\" width=\"1.6\" height=\"1.6\"/>";
}

std::string legendLine(Extended x, Extended y, const char* cls, const char* head)
{
    return "<line class=\"" + std::string(cls) + "\" x1=\"" + sheetMm(x) + "\" y1=\"" + sheetMm(y)
        + "\" x2=\"" + sheetMm(x + 7.0L) + "\" y2=\"" + sheetMm(y) + "\" marker-end=\"url(#" + head
        + ")\"/>";
}

// A scale bar from (x, y), length on paper, with its end labels.
void scaleBar(SvgWriter& w, Extended x, Extended y, Extended length, const std::string& label,
    const std::string& caption)
{
    w.Text(x, y, "leg", xmlText(caption));
    x = x + 30.0L;
    w.Line("<path class=\"bar\" d=\"M" + sheetMm(x) + "," + sheetMm(y - 1.0L) + " V" + sheetMm(y)
        + " H" + sheetMm(x + length) + " V" + sheetMm(y - 1.0L) + "\"/>");
    w.Text(x - 0.6L, y + 2.6L, "leg", "0");
    w.Text(x + length - 1.0L, y + 2.6L, "leg", xmlText(label));
}

// The title, the document's header and its definitions.
void writeHeader(SvgWriter& w, const AreaPicture& picture, const PictureLayout& layout)
{
    w.Line(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    w.Line(R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width=")"
        + PlainNumber(layout.PageWidth) + "mm\" height=\"" + PlainNumber(layout.PageHeight)
        + "mm\" viewBox=\"0 0 " + PlainNumber(layout.PageWidth) + " "
        + PlainNumber(layout.PageHeight)
        + R"(" font-family="DejaVu Sans, Liberation Sans, Arial, sans-serif">)");
    const std::string title = xmlName(TrimControls(picture.AreaName));
    w.Line("<title>" + title + "</title>");
    w.Line("<defs>");
    w.Line(kStyle);
    w.Line(marker("headRes", "#1f5fbf"));
    w.Line(marker("headLoo", "#e07b00"));
    w.Line(marker("headChk", "#1a8a2e"));
    w.Line(marker("headNorth", "#222"));
    w.Line("<clipPath id=\"map\"><rect x=\"" + sheetMm(layout.MapLeft) + "\" y=\""
        + sheetMm(layout.MapTop) + "\" width=\"" + sheetMm(layout.MapWidth) + "\" height=\""
        + sheetMm(layout.MapHeight) + "\"/></clipPath>");
    w.Line("</defs>");
    w.Line("<rect class=\"sheet\" x=\"0\" y=\"0\" width=\"" + PlainNumber(layout.PageWidth)
        + "\" height=\"" + PlainNumber(layout.PageHeight) + "\"/>");

    // Title and subtitle; a long area name gets a smaller font so that it fits the sheet.
    const Extended available = layout.PageWidth - 2.0L * kSheetMargin;
    Extended titleSize = 5.0L;
    const Extended estimated = static_cast<Extended>(Utf8Length(title)) * 0.6L * titleSize;
    if (estimated > available)
        titleSize = std::max(2.0L, titleSize * available / estimated);
    w.Text(kSheetMargin, kSheetMargin + 5.0L, "title", title,
        " style=\"font-size:" + sheetMm(titleSize) + "px\"");
    const std::string system = Cp1250ToUtf8(SystemName(picture.SystemCode));
    w.Text(kSheetMargin, kSheetMargin + 10.0L, "sub",
        xmlText("Układ " + (system.empty() ? std::to_string(picture.SystemCode) : system)
            + ", x na północ · skala 1:")
            + Grouped(layout.ScaleDenominator)
            + xmlText(" · punktów dostosowania: " + std::to_string(picture.Points.size())));
    w.Text(kSheetMargin, kSheetMargin + 14.0L, "sub",
        xmlText("Przeliczenie lokalny → krajowy: wielomian 3. stopnia z korektą Hausbrandta; "
                "odchyłki v = znane − obliczone"));
}

const char* classOf(LabelKind kind)
{
    switch (kind) {
    case LabelKind::BlunderName:
        return "name bname";
    case LabelKind::CutLength:
        return "cutlabel";
    case LabelKind::GridLabel:
        return "gridlabel";
    default:
        return "name";
    }
}

void writeArrow(SvgWriter& w, const MapArrow& a)
{
    static const char* const classes[] = { "res", "loo", "chk" };
    static const char* const heads[] = { "headRes", "headLoo", "headChk" };
    const size_t k = static_cast<size_t>(a.Kind);
    std::string layout = "<line class=\"" + std::string(classes[k]) + (a.Cut ? " cut" : "")
        + "\" x1=\"" + sheetMm(a.X1) + "\" y1=\"" + sheetMm(a.Y1) + "\" x2=\"" + sheetMm(a.X2)
        + "\" y2=\"" + sheetMm(a.Y2) + "\"";
    if (a.Head)
        layout += " marker-end=\"url(#" + std::string(heads[k]) + ")\"";
    w.Line(layout + "/>");
}

const char* markerKind(MarkerKind kind)
{
    switch (kind) {
    case MarkerKind::Blunder:
        return " blunder";
    case MarkerKind::Extrapolated:
        return " extrapolated";
    default:
        return "";
    }
}

// The map: grid, area rectangle, arrows, markers and the labels that found a place.
void writeMap(SvgWriter& w, const PictureLayout& layout, const MapScene& scene)
{
    w.Line("<g clip-path=\"url(#map)\">");
    for (const MapLine& g : scene.Grid)
        w.Line("<line class=\"grid\" x1=\"" + sheetMm(g.X1) + "\" y1=\"" + sheetMm(g.Y1)
            + "\" x2=\"" + sheetMm(g.X2) + "\" y2=\"" + sheetMm(g.Y2) + "\"/>");
    const Box& a = scene.Area;
    w.Line("<rect class=\"area\" x=\"" + sheetMm(a.Left) + "\" y=\"" + sheetMm(a.Top)
        + "\" width=\"" + sheetMm(a.Right - a.Left) + "\" height=\"" + sheetMm(a.Bottom - a.Top)
        + "\"/>");
    const Extended northX = scene.NorthX, northY = scene.NorthY;
    w.Line("<line class=\"bar\" x1=\"" + sheetMm(northX) + "\" y1=\"" + sheetMm(northY) + "\" x2=\""
        + sheetMm(northX) + "\" y2=\"" + sheetMm(northY - 7.0L)
        + "\" marker-end=\"url(#headNorth)\"/>");
    w.Text(northX - 1.2L, northY + 3.5L, "leg", "N");
    for (const MapArrow& arrow : scene.Arrows)
        writeArrow(w, arrow);
    for (const MapMarker& m : scene.Markers)
        w.Line(m.Kind == MarkerKind::Check ? square(m.X, m.Y)
                                           : triangle(m.X, m.Y, markerKind(m.Kind)));
    for (const MapLine& g : scene.Leaders)
        w.Line("<line class=\"leader\" x1=\"" + sheetMm(g.X1) + "\" y1=\"" + sheetMm(g.Y1)
            + "\" x2=\"" + sheetMm(g.X2) + "\" y2=\"" + sheetMm(g.Y2) + "\"/>");
    for (const MapText& t : scene.Texts)
        w.Text(t.X, t.Y, classOf(t.Kind), xmlText(t.Text));
    w.Line("</g>");
    // The frame over the map's edge.
    w.Line("<rect class=\"frame\" x=\"" + sheetMm(layout.MapLeft) + "\" y=\""
        + sheetMm(layout.MapTop) + "\" width=\"" + sheetMm(layout.MapWidth) + "\" height=\""
        + sheetMm(layout.MapHeight) + "\"/>");
}

// The symbols on the left below the map.
void writeLegend(SvgWriter& w, const AreaPicture& picture, const PictureLayout& layout)
{
    const Extended left = kSheetMargin + 1.0L, textLeft = kSheetMargin + 10.0L;
    Extended row = layout.LegendTop();
    auto next = [&row]() {
        const Extended r = row;
        row = row + 4.6L;
        return r;
    };
    for (const LegendEntry& entry : PictureLegend(picture, layout)) {
        const Extended r = next();
        switch (entry.Symbol) {
        case LegendSymbol::Adjustment:
            w.Line(triangle(left + 3.5L, r - 0.8L, "", true));
            break;
        case LegendSymbol::Extrapolated:
            w.Line(triangle(left + 3.5L, r - 0.8L, " extrapolated", true));
            break;
        case LegendSymbol::Blunder:
            w.Line(triangle(left + 3.5L, r - 0.8L, " blunder", true));
            break;
        case LegendSymbol::Residual:
            w.Line(legendLine(left, r - 0.9L, "res", "headRes"));
            break;
        case LegendSymbol::Loo:
            w.Line(legendLine(left, r - 0.9L, "loo", "headLoo"));
            break;
        case LegendSymbol::Check:
            w.Line(square(left + 1.0L, r - 0.9L, true));
            w.Line(legendLine(left + 1.8L, r - 0.9L, "chk", "headChk"));
            break;
        case LegendSymbol::AreaBox:
            w.Line("<rect class=\"area key\" x=\"" + sheetMm(left) + "\" y=\"" + sheetMm(r - 2.4L)
                + "\" width=\"7\" height=\"3\"/>");
            break;
        case LegendSymbol::CutArrow:
            w.Line("<line class=\"res cut\" x1=\"" + sheetMm(left) + "\" y1=\"" + sheetMm(r - 0.9L)
                + "\" x2=\"" + sheetMm(left + 7.0L) + "\" y2=\"" + sheetMm(r - 0.9L) + "\"/>");
            break;
        case LegendSymbol::Grid:
            w.Line("<line class=\"grid key\" x1=\"" + sheetMm(left) + "\" y1=\"" + sheetMm(r - 0.9L)
                + "\" x2=\"" + sheetMm(left + 7.0L) + "\" y2=\"" + sheetMm(r - 0.9L) + "\"/>");
            break;
        }
        w.Text(textLeft, r, "leg", xmlText(entry.Text));
    }
}

// The scale bars and the figures on the right below the map.
void writeFigures(
    SvgWriter& w, const AreaPicture& picture, const PictureLayout& layout, const MapScene& scene)
{
    const Extended right = layout.Landscape ? layout.PageWidth * 0.5L : layout.PageWidth * 0.45L;
    Extended row = layout.LegendTop();
    scaleBar(w, right, row, layout.ArrowBarGround * layout.ArrowScale,
        PlainNumber(layout.ArrowBarGround) + " mm", "skala odchyłek");
    row = row + 6.0L;
    scaleBar(w, right, row, layout.MetreBarGround * 1000.0L / layout.ScaleDenominator,
        PlainNumber(layout.MetreBarGround) + " m",
        "skala mapy 1:" + Grouped(layout.ScaleDenominator));
    row = row + 7.0L;
    for (const std::string& f : PictureFigures(picture, scene)) {
        w.Text(right, row, "fig", xmlText(f));
        row = row + 4.0L;
    }
}

} // namespace

std::string AreaSvg(const AreaPicture& picture, LabelCounts* counts)
{
    const PictureLayout layout = LayOutPicture(picture);
    const MapScene scene = LayOutMap(picture, layout);
    SvgWriter w;
    writeHeader(w, picture, layout);
    writeMap(w, layout, scene);
    writeLegend(w, picture, layout);
    writeFigures(w, picture, layout, scene);
    w.Line("</svg>");
    if (counts)
        *counts = scene.Counts;
    return w.Take();
}

} // namespace vorida
