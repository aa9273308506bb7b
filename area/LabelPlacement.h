// Places for the labels of a map: each label is tried at places around its anchor and put at
// the first that is inside the map and clear of everything already there. Lengths are
// millimetres on paper, y down; texts are UTF-8.
#pragma once

#include "Extended.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorida {

// A rectangle on the sheet.
struct Box
{
    Extended Left = 0.0L, Top = 0.0L, Right = 0.0L, Bottom = 0.0L;
};

bool Overlap(const Box& a, const Box& b);

// Text sizes (font size in millimetres): the advance of an average character of the sans
// faces the picture names, generous so that a name never runs into its neighbour, and the
// height from the top of a capital to the bottom of a descender.
inline constexpr Extended kCharWidth = 0.64L, kBoldCharWidth = 0.72L;
inline constexpr Extended kAscent = 0.8L, kDescent = 0.25L;
inline constexpr Extended kNameSize = 2.2L, kCutSize = 2.0L, kGridSize = 2.0L;
inline constexpr Extended kHalo = 0.25L; // the white outline around names

// Characters of UTF-8 text.
size_t Utf8Length(std::string_view s);

// The box a text takes with its halo, its baseline starting at (x, baseline).
Box TextBox(Extended x, Extended baseline, std::string_view utf8, Extended size, bool bold = false);

// The boxes taken on the map, found through a grid of cells.
class Occupancy
{
public:
    explicit Occupancy(const Box& map);

    // Inside the map and clear of every box taken.
    bool Free(const Box& b) const;
    // Inside the map.
    bool Inside(const Box& b) const;
    void Take(const Box& b);

private:
    size_t cellOf(Extended offset) const;
    template <typename F> void visit(const Box& b, F f) const;

    Box map_;
    size_t columns_ = 1, rows_ = 1;
    std::vector<std::vector<size_t>> cells_;
    std::vector<Box> boxes_;
};

// What a label names.
enum class LabelKind {
    Name, // an adjustment or check point's name
    BlunderName, // a likely blunder's name
    CutLength, // the length of a cut arrow
    GridLabel, // a coordinate of the grid
};

// A label to place near an anchor: a point's name or a cut arrow's length.
struct Label
{
    Extended X = 0.0L, Y = 0.0L; // the anchor on the sheet
    Extended Clear = 1.4L; // half the size of what stands at the anchor
    std::string Text; // UTF-8
    LabelKind Kind = LabelKind::Name;
    Extended Size = kNameSize;
    bool Bold = false;
    int Rank = 0; // lower first
    Extended Weight = 0.0L; // within a rank, larger first

    bool Cut() const { return Kind == LabelKind::CutLength; }
};

// The place of a label's baseline: the first free one of eight around the anchor (right of it
// first, as maps name points), then of eight a step further out, which it then takes; nothing
// when none is free.
std::optional<std::pair<Extended, Extended>> PlaceLabel(const Label& label, Occupancy& taken);

// For a label that must stay (a blunder's name, a cut arrow's length) and found no place
// beside its anchor: the first free place on rings further out (3 to 12 mm), to be joined to
// the anchor by a leader line; with force, when none is free, the first place on the nearest
// of those rings inside the map, free or not. It then takes its box.
std::optional<std::pair<Extended, Extended>> PlaceLabelAway(
    const Label& label, Occupancy& taken, bool force);

} // namespace vorida
