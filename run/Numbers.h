// Numbers in the point files and the report: reading coordinate words and writing fixed-point
// fields. "." is the decimal point whatever the user's locale.
#pragma once

#include "Extended.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorida {

// Reads a coordinate word: an optional sign, digits, optionally "." and digits (the two parts
// together at least one character; a lone "." reads 0), then optionally "E" or "e", an
// optional sign and digits (empty: 0), the exponent's digits taken only while its value is
// below 500, and nothing after. The value is the nearest extended real (ties to even); a value
// beyond the extended range makes the word unacceptable, as does anything else in it. Leaves
// the flags of invalid operation, division by zero and overflow as it found them (it may
// raise the inexact flag).
bool ParseCoordinate(std::string_view word, Extended& value);

// A whole 32-bit number in decimal, an optional "-" and digits and nothing else (no blanks, no
// "+"); nothing when the text is not one or does not fit.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// The most decimals a fixed-point field gets; larger counts are written with this many.
constexpr int kMaxDecimals = 18;

// value in fixed-point form with the given number of decimals, rounded half away from zero on
// the exact value: "-" before a negative value (not before one that rounds to zero), no point
// with 0 decimals. A negative count gives exponent form instead: one digit, "." and -decimals
// digits (at most kMaxDecimals), "E", a sign and at least two exponent digits (1.23E+06).
std::string FormatDecimals(Extended value, int decimals);
void AppendDecimals(std::string& out, const Extended& value, int decimals);

// The number of characters after the first "." of a coordinate word; 0 without one.
int DecimalsOf(std::string_view word);

// An input coordinate as the report shows it: value, read from word by ParseCoordinate, with
// decimals decimals, as AppendDecimals writes it. An ordinary word is already that text and is
// copied.
void AppendInputDecimals(
    std::string& out, std::string_view word, const Extended& value, int decimals);

// text right-aligned in width columns (blanks on the left, never cut).
void AppendRight(std::string& out, std::string_view text, size_t width);

// A count with its Polish noun: "1 punkt", "2 punkty" (2 to 4 in the units, but not 12 to 14),
// "5 punktów", "0 punktów". The one place that chooses the form, for every count the tools print.
std::string CountOf(std::int64_t n, const char* one, const char* few, const char* many);

// The exact decimal expansion of a finite value, without rounding ("-" for negative values,
// "." as the point, no exponent).
std::string ExactDecimal(Extended value);

// value with 21 significant digits in exponent form ("1.23...e+06"): enough to give the same
// extended real back.
std::string RoundTripText(Extended value);

} // namespace vorida
