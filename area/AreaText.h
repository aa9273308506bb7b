// Texts the area tools share: numbers for people and the wording of the blunder rule, built
// from the constants they describe.
#pragma once

#include "Extended.h"

#include <string>
#include <string_view>

namespace vorida {

// A whole number's digits with the thousands separated by separator, as Polish writes map
// scales and coordinates (75 000).
std::string GroupThousands(std::string_view digits, std::string_view separator);

// A number with as few decimals as it needs, at most maxDecimals (2.5, 3, 0.125).
std::string PlainNumber(Extended v, int maxDecimals = 3);

// The blunder rule in a few words, for the last line of `fit --loo`, the help and the legend:
// "v > 3 × RMS pozostałych i v > 30 mm; przy ekstrapolacji 5 × i 60 mm".
std::string BlunderRuleText(Extended tolerance);

// The widening of the area box, "3000 m".
std::string AreaMarginText();

} // namespace vorida
