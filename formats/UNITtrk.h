// Words of a point line.
#pragma once

#include <string_view>

namespace vorida {

// The delimiters of point lines: blank first, then tab.
inline constexpr std::string_view kBlankAndTab = " \t";

// The n-th word (n from 1) of text: a maximal run of characters that are not delimiters.
// Empty when n < 1 or the text has fewer than n words. The view points into text.
std::string_view NthWord(std::string_view text, int n, std::string_view delimiters);

// The text from the first character of the n-th word to the end, unchanged (trailing blanks
// and tabs stay). Empty when n < 1 or the text has fewer than n words.
std::string_view RestFromWord(std::string_view text, int n, std::string_view delimiters);

// The words of a point line the run uses, in one pass: exactly NthWord 1, 2, 3 and
// RestFromWord 4 with kBlankAndTab (views into line).
struct PointLineWords
{
    std::string_view Name, X, Y, Rest;
};
PointLineWords SplitPointLine(std::string_view line);

// Text without the control characters and blanks (bytes 0 to 32) at either end, as the area
// name is shown and reported.
std::string_view TrimControls(std::string_view text);

} // namespace vorida
