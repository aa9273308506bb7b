#include "LabelPlacement.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace vorida {

bool Overlap(const Box& a, const Box& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

size_t Utf8Length(std::string_view s)
{
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

Box TextBox(Extended x, Extended baseline, std::string_view utf8, Extended size, bool bold)
{
    const Extended width
        = static_cast<Extended>(Utf8Length(utf8)) * size * (bold ? kBoldCharWidth : kCharWidth);
    return { x - kHalo, baseline - kAscent * size - kHalo, x + width + kHalo,
        baseline + kDescent * size + kHalo };
}

namespace {

constexpr Extended kCell = 5.0L; // millimetres: the side of a cell of the occupancy grid

} // namespace

Occupancy::Occupancy(const Box& map) : map_(map)
{
    columns_ = cellOf(map.Right - map.Left) + 1;
    rows_ = cellOf(map.Bottom - map.Top) + 1;
    cells_.resize(columns_ * rows_);
}

bool Occupancy::Inside(const Box& b) const
{
    return b.Left >= map_.Left && b.Right <= map_.Right && b.Top >= map_.Top
        && b.Bottom <= map_.Bottom;
}

bool Occupancy::Free(const Box& b) const
{
    if (!Inside(b))
        return false;
    bool free = true;
    visit(b, [&](size_t cell) {
        for (size_t k : cells_[cell])
            free = free && !Overlap(b, boxes_[k]);
    });
    return free;
}

void Occupancy::Take(const Box& b)
{
    boxes_.push_back(b);
    visit(b, [&](size_t cell) { cells_[cell].push_back(boxes_.size() - 1); });
}

size_t Occupancy::cellOf(Extended offset) const
{
    if (!(offset > 0.0L))
        return 0;
    return static_cast<size_t>(std::min(offset / kCell, 100000.0L));
}

template <typename F> void Occupancy::visit(const Box& b, F f) const
{
    const size_t c0 = std::min(cellOf(b.Left - map_.Left), columns_ - 1);
    const size_t c1 = std::min(cellOf(b.Right - map_.Left), columns_ - 1);
    const size_t r0 = std::min(cellOf(b.Top - map_.Top), rows_ - 1);
    const size_t r1 = std::min(cellOf(b.Bottom - map_.Top), rows_ - 1);
    for (size_t r = r0; r <= r1; ++r)
        for (size_t c = c0; c <= c1; ++c)
            f(r * columns_ + c);
}

namespace {

// The eight places around the anchor at clearance c, right of it first, as maps name points:
// (dx, dy) of the baseline's start.
std::array<std::pair<Extended, Extended>, 8> around(const Label& label, Extended c)
{
    const Box unit = TextBox(0.0L, 0.0L, label.Text, label.Size, label.Bold);
    const Extended w = unit.Right - unit.Left - 2.0L * kHalo;
    const Extended up = kAscent * label.Size, down = kDescent * label.Size;
    return { {
        { c, -0.7L * c }, // upper right
        { c + 0.2L, 0.35L * up }, // right
        { c, 0.7L * c + up }, // lower right
        { -c - w, -0.7L * c }, // upper left
        { -c - 0.2L - w, 0.35L * up }, // left
        { -c - w, 0.7L * c + up }, // lower left
        { -w / 2.0L, -c - down }, // above
        { -w / 2.0L, c + up }, // below
    } };
}

// The first place on the rings that is free (or, without free, merely inside the map), which
// it then takes.
std::optional<std::pair<Extended, Extended>> firstPlace(
    const Label& label, Occupancy& taken, std::initializer_list<Extended> rings, bool free = true)
{
    for (Extended ring : rings)
        for (const auto& [dx, dy] : around(label, label.Clear + ring)) {
            const Extended x = label.X + dx, y = label.Y + dy;
            const Box b = TextBox(x, y, label.Text, label.Size, label.Bold);
            if (free ? taken.Free(b) : taken.Inside(b)) {
                taken.Take(b);
                return std::make_pair(x, y);
            }
        }
    return std::nullopt;
}

} // namespace

std::optional<std::pair<Extended, Extended>> PlaceLabel(const Label& label, Occupancy& taken)
{
    return firstPlace(label, taken, { 0.0L, 1.2L });
}

std::optional<std::pair<Extended, Extended>> PlaceLabelAway(
    const Label& label, Occupancy& taken, bool force)
{
    const std::initializer_list<Extended> rings { 3.0L, 5.0L, 8.0L, 12.0L };
    if (const auto spot = firstPlace(label, taken, rings))
        return spot;
    return force ? firstPlace(label, taken, rings, false) : std::nullopt;
}

} // namespace vorida
