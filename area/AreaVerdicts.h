// The lines of `fit --loo` that say what a round's judgement rests on beyond its table: why a
// small area is not judged, and where the area shows a deformation of its own.
#pragma once

#include "LeaveOneOut.h"

#include <string>
#include <vector>

namespace vorida {

// The lines after a round's table and its summary (UTF-8): for an area too small to judge, why
// nothing is named; for a judged one, where its network is deformed (DeformationOf). names: of
// the points of loo, UTF-8.
std::vector<std::string> VerdictLines(const LooResult& loo, const std::vector<std::string>& names);

} // namespace vorida
