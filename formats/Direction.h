// The direction of a conversion: from the local system to the national one, or back.
#pragma once

namespace vorida {

enum class Direction {
    LocalToNational,
    NationalToLocal,
};

// True when the direction starts from the national coordinates: the source of a conversion and
// of a fit are the national ones, the target the local ones (TTrKonfAf::Fit's reverse).
constexpr bool FromNational(Direction d)
{
    return d == Direction::NationalToLocal;
}

} // namespace vorida
