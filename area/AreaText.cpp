#include "AreaText.h"

#include "LeaveOneOut.h"
#include "Numbers.h"
#include "UPKTBIN.h"

namespace vorida {

std::string GroupThousands(std::string_view digits, std::string_view separator)
{
    std::string out;
    size_t first = 0;
    if (!digits.empty() && digits[0] == '-') {
        out += '-';
        first = 1;
    }
    const size_t count = digits.size() - first;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            out += separator;
        out += digits[first + i];
    }
    return out;
}

std::string PlainNumber(Extended v, int maxDecimals)
{
    std::string s = FormatDecimals(v, maxDecimals);
    if (s.find('.') == std::string::npos)
        return s;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string BlunderRuleText(Extended tolerance)
{
    return "v > " + PlainNumber(kBlunderFactor) + " × RMS pozostałych i v > "
        + PlainNumber(tolerance * 1000.0L, 1) + " mm; przy ekstrapolacji "
        + PlainNumber(kExtrapolatedFactor) + " × i "
        + PlainNumber(kExtrapolatedToleranceFactor * tolerance * 1000.0L, 1) + " mm";
}

std::string AreaMarginText()
{
    return PlainNumber(kAreaMargin) + " m";
}

} // namespace vorida
