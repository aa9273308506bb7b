// Texts the area tools share: numbers for people and the wording of the blunder rule, built
// from the constants they describe.
#pragma once

#include "LeaveOneOut.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorida {

// A whole number's digits with the thousands separated by separator, as Polish writes map
// scales and coordinates (75 000).
std::string GroupThousands(std::string_view digits, std::string_view separator);

// Metres as millimetres with decimals decimals, as every figure of the area tools is shown
// (one decimal for the fit and the screening, two for check points).
std::string Millimetres(Extended metres, int decimals = 1);

// A number with as few decimals as it needs, at most maxDecimals (2.5, 3, 0.125).
std::string PlainNumber(Extended v, int maxDecimals = 3);

// The blunder rule in a few words, for the last line of `fit --loo`, the help and the legend:
// "v > k·s punktu i v > 30 mm".
std::string BlunderRuleText(Extended tolerance);

// A blunder this large (metres) should never pass unnamed: the points where it could are
// listed after the table.
inline constexpr Extended kBlindBlunder = 0.050L;

// The lines after a round's table (UTF-8): the area's noise and k, the largest blunder that
// could pass unnamed and the points where one over kBlindBlunder could. names: of the points
// of loo, UTF-8.
std::vector<std::string> ScreeningSummary(
    const LooResult& loo, const std::vector<std::string>& names);

// The warning for an area of n points too small to screen well; empty when it is not.
std::string WeakScreeningWarning(size_t n);

// An area tool's computation that failed (a floating-point error): "Błąd obliczeń: " and what.
std::string ComputationFailureText(std::string_view what);

// The widening of the area box, "3000 m".
std::string AreaMarginText();

} // namespace vorida
