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

} // namespace vorida
