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

std::string Millimetres(Extended metres, int decimals)
{
    return FormatDecimals(metres * 1000.0L, decimals);
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
    return "v > k·s punktu i v > " + PlainNumber(tolerance * 1000.0L, 1) + " mm";
}

std::vector<std::string> ScreeningSummary(
    const LooResult& loo, const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    if (!loo.Judged)
        return lines; // AreaVerdicts.h says why
    lines.push_back("Szum obszaru σ = " + Millimetres(loo.Sigma)
        + " mm (mediana m0 dopasowań bez punktu), k = " + FormatDecimals(loo.Multiple, 2) + " dla "
        + std::to_string(loo.Computed) + " punktów; s = σ·√f, f z geometrii dopasowania i korekty");
    std::optional<size_t> largest;
    std::vector<size_t> blind;
    for (size_t i = 0; i < loo.Points.size(); ++i) {
        const LooDiscrepancy& d = loo.Points[i];
        if (!d.Computed())
            continue;
        if (!largest || d.Detectable > loo.Points[*largest].Detectable)
            largest = i;
        if (d.Detectable > kBlindBlunder || d.Detectable <= 0.0L) // 0: not judged
            blind.push_back(i);
    }
    if (!largest)
        return lines;
    lines.push_back("Najmniejszy wykrywalny błąd (mwb): największy "
        + Millimetres(loo.Points[*largest].Detectable) + " mm (" + names[*largest] + ")");
    std::string where;
    constexpr size_t kListed = 20;
    for (size_t k = 0; k < blind.size() && k < kListed; ++k)
        where += (k > 0 ? ", " : "") + names[blind[k]];
    if (blind.size() > kListed)
        where += " i " + std::to_string(blind.size() - kListed) + " innych";
    lines.push_back("Błąd ponad " + PlainNumber(kBlindBlunder * 1000.0L)
        + " mm może przejść niewskazany w punktach: " + (blind.empty() ? "żadnym" : where));
    return lines;
}

std::string WeakScreeningWarning(size_t n)
{
    if (n >= kWeakScreeningBelow)
        return {};
    return "Uwaga: tylko " + CountOf(static_cast<std::int64_t>(n), "punkt", "punkty", "punktów")
        + " dostosowania: wielomian ma 8 parametrów, dopasowanie bez punktu zostawia "
        + CountOf(2 * n >= 10 ? static_cast<std::int64_t>(2 * n - 10) : 0, "sprawdzenie",
            "sprawdzenia", "sprawdzeń")
        + "; wykrywanie błędów grubych jest słabe (zob. mwb)";
}

std::string ComputationFailureText(std::string_view what)
{
    return "Błąd obliczeń: " + std::string(what);
}

std::string AreaMarginText()
{
    return PlainNumber(kAreaMargin) + " m";
}

} // namespace vorida
