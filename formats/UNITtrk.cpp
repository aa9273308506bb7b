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

PointLineWords SplitPointLine(std::string_view line)
{
    PointLineWords words;
    std::string_view* const firstThree[] = { &words.Name, &words.X, &words.Y };
    const auto blankOrTab = [](char c) { return c == ' ' || c == '\t'; };
    size_t i = 0;
    for (std::string_view* word : firstThree) {
        while (i < line.size() && blankOrTab(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !blankOrTab(line[i]))
            ++i;
        *word = line.substr(start, i - start);
        if (start == i)
            return words; // fewer words: the rest are empty
    }
    while (i < line.size() && blankOrTab(line[i]))
        ++i;
    words.Rest = line.substr(i);
    return words;
}

std::string_view TrimControls(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return text.substr(b, e - b);
}

} // namespace vorida
