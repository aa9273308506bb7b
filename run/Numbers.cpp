#include "Numbers.h"

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace vorida {

namespace {

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

// snprintf in the C locale, whatever the process or thread locale is.
template <typename... Args> std::string printC(const char* format, Args... args)
{
    locale_t previous = uselocale(cLocale());
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    uselocale(previous);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Adds one unit in the last place to a string of decimal digits (and a "." among them);
// true when the carry ran out of the front (999 -> 000).
bool incrementDigits(std::string& digits)
{
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '.')
            continue;
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return false;
        }
    }
    return true;
}

// Fixed-point form of |value|, exactly rounded half away from zero.
std::string fixedMagnitude(Extended magnitude, int decimals)
{
    std::string exact = ExactDecimal(magnitude);
    size_t point = exact.find('.');
    std::string integerPart = exact.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : exact.substr(point + 1);
    const auto d = static_cast<size_t>(decimals);
    char firstDropped = fraction.size() > d ? fraction[d] : '0';
    fraction.resize(d, '0');
    std::string kept = d > 0 ? integerPart + "." + fraction : integerPart;
    // Half away from zero needs only the first dropped digit: 5 or more rounds up.
    if (firstDropped >= '5' && incrementDigits(kept))
        kept.insert(kept.begin(), '1');
    return kept;
}

std::string exponentForm(Extended value, int mantissaDecimals)
{
    const bool negative = value < 0.0L;
    std::string exact = ExactDecimal(std::fabs(value));
    std::string digits;
    long pointPosition = 0; // digits before the point
    for (char c : exact) {
        if (c == '.')
            pointPosition = static_cast<long>(digits.size());
        else
            digits += c;
    }
    if (exact.find('.') == std::string::npos)
        pointPosition = static_cast<long>(digits.size());
    size_t first = digits.find_first_not_of('0');
    long exponent = 0;
    std::string mantissa;
    const auto wanted = static_cast<size_t>(mantissaDecimals) + 1;
    if (first == std::string::npos) {
        mantissa.assign(wanted, '0');
    } else {
        exponent = pointPosition - static_cast<long>(first) - 1;
        mantissa = digits.substr(first, wanted);
        char firstDropped = digits.size() > first + wanted ? digits[first + wanted] : '0';
        mantissa.resize(wanted, '0');
        if (firstDropped >= '5' && incrementDigits(mantissa)) {
            mantissa.insert(mantissa.begin(), '1');
            mantissa.pop_back();
            ++exponent;
        }
    }
    std::string out;
    if (negative && mantissa.find_first_not_of('0') != std::string::npos)
        out += '-';
    out += mantissa[0];
    if (mantissaDecimals > 0) {
        out += '.';
        out.append(mantissa, 1, std::string::npos);
    }
    out += printC("E%+03ld", exponent);
    return out;
}

} // namespace

bool ParseCoordinate(std::string_view word, Extended& value)
{
    const size_t n = word.size();
    size_t i = 0;
    bool negative = false;
    if (i < n && (word[i] == '+' || word[i] == '-')) {
        negative = word[i] == '-';
        ++i;
    }
    const size_t integerStart = i;
    while (i < n && isDigit(word[i]))
        ++i;
    const size_t integerEnd = i;
    size_t fractionStart = i, fractionEnd = i;
    bool point = false;
    if (i < n && word[i] == '.') {
        point = true;
        fractionStart = ++i;
        while (i < n && isDigit(word[i]))
            ++i;
        fractionEnd = i;
    }
    if (integerEnd == integerStart && !point)
        return false;
    bool exponentNegative = false;
    int exponent = 0;
    if (i < n && (word[i] == 'E' || word[i] == 'e')) {
        ++i;
        if (i < n && (word[i] == '+' || word[i] == '-')) {
            exponentNegative = word[i] == '-';
            ++i;
        }
        while (i < n && isDigit(word[i]) && exponent < 500) {
            exponent = exponent * 10 + (word[i] - '0');
            ++i;
        }
    }
    if (i != n)
        return false;

    if (integerEnd == integerStart && fractionEnd == fractionStart) {
        value = 0.0L; // a lone "." (with sign or exponent) reads 0
        return true;
    }
    std::string text;
    text.reserve(n + 8);
    if (negative)
        text += '-';
    text.append(word.substr(integerStart, integerEnd - integerStart));
    if (integerEnd == integerStart)
        text += '0';
    text += '.';
    text.append(word.substr(fractionStart, fractionEnd - fractionStart));
    text += exponentNegative ? "e-" : "e";
    text += std::to_string(exponent);

    std::fexcept_t flags;
    std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
    errno = 0;
    Extended v = strtold_l(text.c_str(), nullptr, cLocale());
    bool overflow = std::isinf(v);
    std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
    if (overflow)
        return false;
    value = v;
    return true;
}

std::string ExactDecimal(Extended value)
{
    if (value == 0.0L)
        return "0";
    int e2 = 0;
    std::frexp(value, &e2); // value = f * 2^e2 with a 64-bit f: 64 - e2 fraction bits at most
    int fractionDigits = e2 >= 64 ? 0 : 64 - e2;
    std::string text = printC("%.*Lf", fractionDigits, value);
    if (fractionDigits > 0) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::string FormatDecimals(Extended value, int decimals)
{
    std::string out;
    AppendDecimals(out, value, decimals);
    return out;
}

void AppendDecimals(std::string& out, Extended value, int decimals)
{
    if (decimals < 0) {
        out += exponentForm(value, decimals < -kMaxDecimals ? kMaxDecimals : -decimals);
        return;
    }
    if (decimals > kMaxDecimals)
        decimals = kMaxDecimals;
    std::string magnitude = fixedMagnitude(std::fabs(value), decimals);
    if (value < 0.0L && magnitude.find_first_of("123456789") != std::string::npos)
        out += '-';
    out += magnitude;
}

void AppendRight(std::string& out, std::string_view text, size_t width)
{
    if (text.size() < width)
        out.append(width - text.size(), ' ');
    out.append(text);
}

std::string RoundTripText(Extended value)
{
    return printC("%.20Le", value);
}

} // namespace vorida
