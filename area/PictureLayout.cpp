#include "PictureLayout.h"

#include "AreaText.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace vorida {

namespace {

constexpr Extended kShortSide = 210.0L, kLongSide = 297.0L; // A4, millimetres
constexpr Extended kArrowBarPaper = 15.0L; // the arrow scale bar
constexpr Extended kLongestArrow = 25.0L;
constexpr Extended kSmallestVector = 0.1L; // mm: the arrow scale never shows less
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
    Extended longest = 0.0L;
    for (size_t i = 0; i < picture.ResidualX.size(); ++i)
        if (!picture.NamedAt(i))
            longest = std::max(longest, std::hypot(picture.ResidualX[i], picture.ResidualY[i]));
    if (picture.Loo)
        for (size_t i = 0; i < picture.Loo->Points.size(); ++i)
            if (picture.Loo->Points[i].Computed() && !picture.NamedAt(i))
                longest = std::max(longest, picture.Loo->Points[i].V);
    if (picture.CheckResults)
        for (const CheckDifference& d : picture.CheckResults->Points)
            if (d.Inside && !d.Failed)
                longest = std::max(longest, d.V);
    return longest;
}

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

// Of the two orientations of the sheet, the one that shows the framed box at the larger
// scale (portrait when equal); the metres per paper millimetre it needs.
Extended chooseSheet(PictureLayout& layout)
{
    const Extended width = layout.Framed.MaxY - layout.Framed.MinY; // easting, metres
    const Extended height = layout.Framed.MaxX - layout.Framed.MinX; // northing
    Extended metresPerMm = 0.0L;
    for (bool landscape : { false, true }) {
        const Extended pageWidth = landscape ? kLongSide : kShortSide;
        const Extended pageHeight = landscape ? kShortSide : kLongSide;
        const Extended mapWidth = pageWidth - 2.0L * kSheetMargin;
        const Extended mapHeight = pageHeight - 2.0L * kSheetMargin - kTitleHeight - kLegendHeight;
        const Extended needed = std::max(width / mapWidth, height / mapHeight);
        if (!landscape || needed < metresPerMm) {
            metresPerMm = needed;
            layout.Landscape = landscape;
            layout.PageWidth = pageWidth;
            layout.PageHeight = pageHeight;
            layout.MapLeft = kSheetMargin;
            layout.MapTop = kSheetMargin + kTitleHeight;
            layout.MapWidth = mapWidth;
            layout.MapHeight = mapHeight;
        }
    }
    return metresPerMm;
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

Extended PictureLayout::LegendTop() const
{
    return PageHeight - kSheetMargin - kLegendHeight + 5.0L;
}

PictureLayout LayOutPicture(const AreaPicture& picture)
{
    PictureLayout layout;
    layout.Framed = framedBox(picture);
    const ExtentBox& box = layout.Framed;
    const Extended metresPerMm = chooseSheet(layout);
    layout.ScaleDenominator = picture.Scale
        ? *picture.Scale
        : roundUp(metresPerMm * 1000.0L,
            { 1.0L, 1.2L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 7.5L, 8.0L });
    layout.CentreNorth = (box.MinX + box.MaxX) / 2.0L;
    layout.CentreEast = (box.MinY + box.MaxY) / 2.0L;
    if (picture.Centre && *picture.Centre < picture.Points.size()) {
        layout.CentreNorth = picture.Points[*picture.Centre].NationalX;
        layout.CentreEast = picture.Points[*picture.Centre].NationalY;
    }
    const ExtentBox& area = picture.Extents.National;
    layout.AreaClipped = layout.PaperX(area.MinY) < layout.MapLeft
        || layout.PaperX(area.MaxY) > layout.MapLeft + layout.MapWidth
        || layout.PaperY(area.MaxX) < layout.MapTop
        || layout.PaperY(area.MinX) > layout.MapTop + layout.MapHeight;
    const Extended longest = std::max(longestReferenceVector(picture) * 1000.0L, kSmallestVector);
    layout.ArrowBarGround
        = roundUp(longest, { 1.0L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 6.0L, 8.0L });
    layout.ArrowScale = kArrowBarPaper / layout.ArrowBarGround;
    layout.MetreBarGround = roundDown(
        layout.MapWidth * layout.ScaleDenominator / 1000.0L / 4.0L, { 1.0L, 2.0L, 5.0L });
    layout.GridStep
        = roundUp(kGridPaperStep * layout.ScaleDenominator / 1000.0L, { 1.0L, 2.0L, 5.0L });
    layout.LongestArrow = kLongestArrow;
    return layout;
}

std::string Grouped(Extended v)
{
    return GroupThousands(FormatDecimals(v, 0), "\xC2\xA0");
}

namespace {

// The grid lines of round coordinates across the map; their labels on the left edge (x) and
// on the bottom edge (y) are handed back, to be placed where no marker stands.
std::vector<std::pair<Box, std::string>> layOutGrid(MapScene& scene, const PictureLayout& layout)
{
    const Extended metresPerMm = layout.ScaleDenominator / 1000.0L;
    const Extended right = layout.MapLeft + layout.MapWidth,
                   bottom = layout.MapTop + layout.MapHeight;
    const Extended westmost = layout.CentreEast - layout.MapWidth / 2.0L * metresPerMm;
    const Extended eastmost = layout.CentreEast + layout.MapWidth / 2.0L * metresPerMm;
    const Extended southmost = layout.CentreNorth - layout.MapHeight / 2.0L * metresPerMm;
    const Extended northmost = layout.CentreNorth + layout.MapHeight / 2.0L * metresPerMm;
    std::vector<std::pair<Box, std::string>> labels;
    for (Extended e = std::ceil(westmost / layout.GridStep) * layout.GridStep; e <= eastmost;
         e = e + layout.GridStep) {
        const Extended x = layout.PaperX(e);
        scene.Grid.push_back({ x, layout.MapTop, x, bottom });
        const std::string text = "y " + Grouped(e);
        const Box b = TextBox(x + 0.6L, bottom - 0.9L, text, kGridSize);
        if (b.Right < right)
            labels.emplace_back(b, text);
    }
    for (Extended n = std::ceil(southmost / layout.GridStep) * layout.GridStep; n <= northmost;
         n = n + layout.GridStep) {
        const Extended y = layout.PaperY(n);
        scene.Grid.push_back({ layout.MapLeft, y, right, y });
        const std::string text = "x " + Grouped(n);
        const Box b = TextBox(layout.MapLeft + 0.8L, y - 0.6L, text, kGridSize);
        if (b.Top > layout.MapTop)
            labels.emplace_back(b, text);
    }
    return labels;
}

Box at(const Box& shape, Extended x, Extended y)
{
    return { x + shape.Left, y + shape.Top, x + shape.Right, y + shape.Bottom };
}

// Lays out the maps's arrows and markers, collecting the labels to place.
class MapBuilder
{
public:
    MapBuilder(
        const AreaPicture& picture, const PictureLayout& layout, MapScene& scene, Occupancy& taken)
        : picture_(picture), l_(layout), scene_(scene), taken_(taken)
    {
    }

    void Arrows()
    {
        for (size_t i = 0; i < picture_.Points.size(); ++i) {
            const TPkt& p = picture_.Points[i];
            const Extended x = l_.PaperX(p.NationalY), y = l_.PaperY(p.NationalX);
            if (i < picture_.ResidualX.size())
                arrow(x, y, picture_.ResidualX[i], picture_.ResidualY[i], ArrowKind::Residual);
            if (picture_.Loo && picture_.Loo->Points[i].Computed())
                arrow(x, y, picture_.Loo->Points[i].Vx, picture_.Loo->Points[i].Vy,
                    ArrowKind::LeaveOneOut);
        }
        if (!picture_.CheckResults)
            return;
        for (size_t i = 0; i < picture_.Checks.size(); ++i) {
            const CheckPoint& c = picture_.Checks[i];
            const CheckDifference& d = picture_.CheckResults->Points[i];
            if (!d.Failed)
                arrow(l_.PaperX(c.NationalY), l_.PaperY(c.NationalX), d.Vx, d.Vy, ArrowKind::Check);
        }
    }

    void Markers()
    {
        for (size_t i = 0; i < picture_.Points.size(); ++i) {
            const TPkt& p = picture_.Points[i];
            const Extended x = l_.PaperX(p.NationalY), y = l_.PaperY(p.NationalX);
            const bool named = picture_.NamedAt(i), extrapolated = picture_.ExtrapolatedAt(i);
            scene_.Markers.push_back({ x, y,
                named              ? MarkerKind::Blunder
                    : extrapolated ? MarkerKind::Extrapolated
                                   : MarkerKind::Adjustment });
            taken_.Take(at(kTriangle, x, y));
            Label name;
            name.X = x;
            name.Y = y;
            name.Text = Cp1250ToUtf8(p.Name);
            name.Bold = named;
            name.Kind = named ? LabelKind::BlunderName : LabelKind::Name;
            name.Rank = named ? 0 : extrapolated ? 2 : 3;
            name.Weight = picture_.Loo && picture_.Loo->Points[i].Computed()
                ? picture_.Loo->Points[i].V
                : 0.0L;
            labels_.push_back(std::move(name));
        }
        for (size_t i = 0; i < picture_.Checks.size(); ++i) {
            const CheckPoint& c = picture_.Checks[i];
            const Extended x = l_.PaperX(c.NationalY), y = l_.PaperY(c.NationalX);
            scene_.Markers.push_back({ x, y, MarkerKind::Check });
            taken_.Take(at(kSquare, x, y));
            Label name;
            name.X = x;
            name.Y = y;
            name.Clear = 1.0L;
            name.Text = Cp1250ToUtf8(c.Name);
            name.Rank = 4;
            name.Weight = picture_.CheckResults ? picture_.CheckResults->Points[i].V : 0.0L;
            labels_.push_back(std::move(name));
        }
    }

    std::vector<Label> TakeLabels() { return std::move(labels_); }

private:
    // A vector in metres (national x north, y east) from (x, y) on paper; one longer than the
    // longest arrow is cut there and its length labelled.
    void arrow(Extended x, Extended y, Extended vx, Extended vy, ArrowKind kind)
    {
        const Extended k = 1000.0L * l_.ArrowScale;
        Extended dx = vy * k, dy = -vx * k;
        const Extended length = std::hypot(dx, dy);
        if (!(length >= 0.05L))
            return; // nothing visible
        const bool cut = length > l_.LongestArrow;
        if (cut) {
            dx = dx * (l_.LongestArrow / length);
            dy = dy * (l_.LongestArrow / length);
        }
        scene_.Arrows.push_back({ x, y, x + dx, y + dy, kind, cut, length >= 0.8L });
        if (!cut)
            return;
        Label label;
        label.X = x + dx;
        label.Y = y + dy;
        label.Clear = 0.6L;
        label.Text = Millimetres(std::hypot(vx, vy)) + " mm";
        label.Kind = LabelKind::CutLength;
        label.Size = kCutSize;
        label.Rank = 1;
        label.Weight = length;
        labels_.push_back(std::move(label));
    }

    const AreaPicture& picture_;
    const PictureLayout& l_;
    MapScene& scene_;
    Occupancy& taken_;
    std::vector<Label> labels_;
};

// A line from the label's anchor to the nearest point of its text's box placed at spot.
MapLine leader(const Label& label, std::pair<Extended, Extended> spot)
{
    const Box b = TextBox(spot.first, spot.second, label.Text, label.Size, label.Bold);
    const Extended x = std::clamp(label.X, b.Left, b.Right);
    const Extended y = std::clamp(label.Y, b.Top, b.Bottom);
    return { label.X, label.Y, x, y };
}

} // namespace

MapScene LayOutMap(const AreaPicture& picture, const PictureLayout& layout)
{
    MapScene scene;
    Occupancy taken({ layout.MapLeft, layout.MapTop, layout.MapLeft + layout.MapWidth,
        layout.MapTop + layout.MapHeight });
    scene.NorthX = layout.MapLeft + layout.MapWidth - 6.0L;
    scene.NorthY = layout.MapTop + 12.0L;
    taken.Take(
        { scene.NorthX - 2.5L, scene.NorthY - 8.0L, scene.NorthX + 2.5L, scene.NorthY + 4.5L });
    const std::vector<std::pair<Box, std::string>> gridLabels = layOutGrid(scene, layout);
    const ExtentBox& box = picture.Extents.National;
    scene.Area = { layout.PaperX(box.MinY), layout.PaperY(box.MaxX), layout.PaperX(box.MaxY),
        layout.PaperY(box.MinX) };

    MapBuilder builder(picture, layout, scene, taken);
    builder.Arrows();
    builder.Markers();
    std::vector<Label> labels = builder.TakeLabels();

    // The grid's labels first where no marker stands, then the others by rank.
    for (const auto& [b, text] : gridLabels)
        if (taken.Free(b)) {
            taken.Take(b);
            scene.Texts.push_back({ b.Left + kHalo, b.Bottom - kHalo - kDescent * kGridSize,
                LabelKind::GridLabel, text });
        }
    std::stable_sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) {
        return a.Rank < b.Rank || (a.Rank == b.Rank && a.Weight > b.Weight);
    });
    LabelCounts& counts = scene.Counts;
    const Box map { layout.MapLeft, layout.MapTop, layout.MapLeft + layout.MapWidth,
        layout.MapTop + layout.MapHeight };
    for (Label& label : labels) {
        if (!(map.Left <= label.X && label.X <= map.Right && map.Top <= label.Y
                && label.Y <= map.Bottom)) {
            if (label.Kind == LabelKind::BlunderName)
                scene.BlundersOutside.push_back(label.Text);
            continue;
        }
        (label.Cut() ? counts.Cuts : counts.Names) += 1;
        std::optional<std::pair<Extended, Extended>> spot = PlaceLabel(label, taken);
        const bool mustStay = label.Kind == LabelKind::BlunderName || label.Cut();
        if (!spot && mustStay) {
            spot = PlaceLabelAway(label, taken, label.Kind == LabelKind::BlunderName);
            if (spot)
                scene.Leaders.push_back(leader(label, *spot));
        }
        if (spot)
            scene.Texts.push_back({ spot->first, spot->second, label.Kind, std::move(label.Text) });
        else
            (label.Cut() ? counts.CutsLeftOut : counts.NamesLeftOut) += 1;
    }
    return scene;
}

} // namespace vorida
