#include "UNITtrk.h"

namespace vorida {

namespace {
bool isDelimiter(char c, std::string_view delimiters)
{
    return delimiters.find(c) != std::string_view::npos;
}

// The start of the n-th word, or npos.
size_t wordStart(std::string_view text, int n, std::string_view delimiters)
{
    size_t i = 0;
    int count = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelimiter(text[i], delimiters))
            ++i;
        if (i == text.size())
            break;
        if (++count == n)
            return i;
        while (i < text.size() && !isDelimiter(text[i], delimiters))
            ++i;
    }
    return std::string_view::npos;
}
} // namespace

std::string_view NthWord(std::string_view text, int n, std::string_view delimiters)
{
    if (n < 1 || text.empty())
        return {};
    size_t start = wordStart(text, n, delimiters);
    if (start == std::string_view::npos)
        return {};
    size_t end = start;
    while (end < text.size() && !isDelimiter(text[end], delimiters))
        ++end;
    return text.substr(start, end - start);
}

std::string_view RestFromWord(std::string_view text, int n, std::string_view delimiters)
{
    if (n < 1 || text.empty())
        return {};
    size_t start = wordStart(text, n, delimiters);
    if (start == std::string_view::npos)
        return {};
    return text.substr(start);
}

} // namespace vorida
