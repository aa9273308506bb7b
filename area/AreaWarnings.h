// Traps in a set of adjustment points that the run accepts as they are, but that mislead the
// judgement of an area: one position listed twice (its copies hide each other's blunder), one
// name for two points, and coordinates no area can have (a national y of 1e12). The tools warn
// and go on; the run keeps its behaviour.
#pragma once

#include "UTrKonfAf.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorida {

// Local coordinates beyond this many metres from the origin are absurd.
inline constexpr Extended kLocalReach = 1.0e7L;
// National coordinates of the 2000 system (codes 6 to 9, zones 15° to 24°): x (northing) in
// this range, metres...
inline constexpr Extended kNationalNorthMin = 5.3e6L, kNationalNorthMax = 6.2e6L;
// ...and y (easting) within this many metres of the zone's false easting: code 6 (15°)
// 5 500 000, code 7 (18°) 6 500 000, and so on.
inline constexpr Extended kNationalEastReach = 2.0e5L;

// The warnings (UTF-8 lines, without the end of line) about the points of an area whose
// national system is systemCode: positions repeated within kSamePosition in either system,
// names repeated, coordinates out of reach. At most a few lines of each kind.
std::vector<std::string> AreaWarnings(const TPktDostosowania& points, std::int32_t systemCode);

} // namespace vorida
