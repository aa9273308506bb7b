#include "Numbers.h"

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vorida {

namespace {

// snprintf with "." as the decimal point whatever the locale: the C library writes the
// locale's radix character (one or more bytes) between the digits, and it is replaced here.
// Only for formats whose output is an optional "-", digits, the radix, digits and an optional
// exponent.
template <typename... Args> std::string printC(const char* format, Args... args)
{
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    size_t radix = text.find_first_of("0123456789");
    if (radix == std::string::npos)
        return text;
    radix = text.find_first_not_of("0123456789", radix);
    if (radix == std::string::npos || text[radix] == 'e' || text[radix] == 'E')
        return text; // no radix character
    const size_t afterRadix = text.find_first_of("0123456789", radix);
    if (afterRadix == std::string::npos)
        return text;
    text[radix] = '.';
    if (afterRadix > radix + 1)
        text.erase(radix + 1, afterRadix - radix - 1); // the rest of a radix of several bytes
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

// ---- Fast paths: each gives exactly what the general path after it gives, or declines ----

// 10^k for k = 0..27: exact in the 64-bit significand (5^27 < 2^64), so multiplying or dividing
// an exact integer by one of them is a single correctly rounded operation.
constexpr Extended kExactPowersOfTen[] = { 1e0L, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L, 1e8L,
    1e9L, 1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L,
    1e23L, 1e24L, 1e25L, 1e26L, 1e27L };
constexpr int kMaxExactPowerOfTen = 27;

// Fast conversion of an accepted coordinate word (its parts located by ParseCoordinate): the
// significant digits read as an integer M (at most 19 of them, so M < 10^19 < 2^64 is exact)
// and a decimal scale k with |k| <= 27 give the value as M * 10^k or M / 10^-k, one operation
// on exact operands, rounded once to nearest with ties to even: the value strtold gives.
// Neither overflow nor underflow can occur; the operation can raise only the inexact flag,
// which nothing in the program watches. False (value untouched) when the word is not of
// that kind.
bool convertOrdinaryWord(std::string_view integerDigits, std::string_view fractionDigits,
    int exponent, bool negative, Extended& value)
{
    std::uint64_t significand = 0;
    int significantDigits = 0;
    for (std::string_view digits : { integerDigits, fractionDigits }) {
        for (char c : digits) {
            if (significantDigits == 0 && c == '0')
                continue; // leading zeros carry nothing
            if (++significantDigits > 19)
                return false;
            significand = significand * 10 + static_cast<std::uint64_t>(c - '0');
        }
    }
    const int scale = exponent - static_cast<int>(fractionDigits.size());
    Extended magnitude;
    if (significand == 0)
        magnitude = 0.0L; // 0 times any power of ten, as strtold reads it
    else if (scale >= 0 && scale <= kMaxExactPowerOfTen)
        magnitude = static_cast<Extended>(significand) * kExactPowersOfTen[scale];
    else if (scale < 0 && -scale <= kMaxExactPowerOfTen)
        magnitude = static_cast<Extended>(significand) / kExactPowersOfTen[-scale];
    else
        return false;
    value = negative ? -magnitude : magnitude; // rounding to nearest is symmetric
    return true;
}

constexpr std::uint64_t kPowersOfTen64[] = { 1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull,
    1000000ull, 10000000ull, 100000000ull, 1000000000ull, 10000000000ull, 100000000000ull,
    1000000000000ull, 10000000000000ull, 100000000000000ull, 1000000000000000ull,
    10000000000000000ull, 100000000000000000ull, 1000000000000000000ull };
static_assert(sizeof kPowersOfTen64 / sizeof kPowersOfTen64[0] == kMaxDecimals + 1);

// "00" to "99", one pair of digits for each value below 100.
constexpr char kDigitPairs[]
    = "00010203040506070809101112131415161718192021222324252627282930313233"
      "34353637383940414243444546474849505152535455565758596061626364656667"
      "6869707172737475767778798081828384858687888990919293949596979899";

// The decimal digits of q written right to left before end (at least one); returns where they
// begin. Two digits a division, on 32 bits where q fits: a shorter chain of dependent divisions.
char* writeInteger(char* end, std::uint64_t q)
{
    char* p = end;
    while (q > 0xFFFFFFFFu) {
        const auto pair = static_cast<size_t>(q % 100) * 2;
        q /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    auto r = static_cast<std::uint32_t>(q);
    while (r >= 100) {
        const auto pair = static_cast<size_t>(r % 100) * 2;
        r /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (r >= 10) {
        *--p = kDigitPairs[r * 2 + 1];
        *--p = kDigitPairs[r * 2];
    } else {
        *--p = static_cast<char>('0' + r);
    }
    return p;
}

// Fast fixed-point form for ordinary values, on the exact binary value: a finite value is
// M * 2^e with M its 64-bit significand, so value * 10^d = M * 10^d * 2^e, where M * 10^d <
// 2^124 is exact in 128-bit integers; shifting it right by -e gives the digits, and the bits
// shifted out, compared with one half, decide the rounding, half away from zero on the
// magnitude. Writes what fixedMagnitude and the sign rule of AppendDecimals write, byte for
// byte; false (nothing written) for infinities, NaNs, unnormals and results of more than 19
// digits. decimals: 0 to kMaxDecimals.
bool appendFixedExact(std::string& out, const Extended& value, int decimals)
{
    // In memory the value is its 10-byte pattern (and padding).
    std::uint8_t bytes[sizeof(Extended)];
    std::memcpy(bytes, &value, sizeof bytes);
    const auto [significand, word] = FieldsOf(bytes);
    const bool negative = (word & 0x8000u) != 0;
    int biased = static_cast<int>(word & 0x7FFFu);
    if (biased == 0x7FFF || (biased != 0 && (significand >> 63) == 0))
        return false; // infinity, NaN or unnormal
    if (biased == 0)
        biased = 1; // denormal: the exponent counts as 1
    const int e = biased - 16383 - 63; // value = significand * 2^e

    using U128 = unsigned __int128;
    const auto d = static_cast<size_t>(decimals);
    U128 scaled; // round(|value| * 10^d), half away from zero
    if (e >= 0) {
        if (e >= 64 || (significand >> (63 - e)) > 1)
            return false; // |value| >= 2^64
        scaled = (static_cast<U128>(significand) << e) * kPowersOfTen64[d];
    } else {
        const U128 product = static_cast<U128>(significand) * kPowersOfTen64[d]; // < 2^124
        const int shift = -e;
        if (shift > 124) {
            scaled = 0; // below one half of a unit in the last place: product < 2^(shift-1)
        } else {
            scaled = product >> shift;
            const U128 remainder = product - (scaled << shift);
            if (remainder >= (static_cast<U128>(1) << (shift - 1)))
                ++scaled;
        }
    }
    if (scaled >= static_cast<U128>(10000000000000000000ull))
        return false; // more than 19 digits: the general path writes them

    // The text right to left in one buffer (the fraction, the point, at least one integer digit,
    // the sign), then appended at once.
    char text[48];
    char* const end = text + sizeof text;
    char* p = end;
    auto q = static_cast<std::uint64_t>(scaled);
    for (size_t k = 0; k < d; ++k) {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    if (d > 0)
        *--p = '.';
    p = writeInteger(p, q);
    if (negative && scaled != 0)
        *--p = '-';
    out.append(p, static_cast<size_t>(end - p));
    return true;
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

namespace {

// A coordinate word taken apart: sign, the digits before and after the point, the exponent.
struct CoordinateParts
{
    bool Negative = false;
    std::string_view Integer, Fraction;
    int Exponent = 0; // its digits read only while the value is below 500
    bool Empty() const { return Integer.empty() && Fraction.empty(); }
};

// Scans the grammar of a coordinate word; false when the word is not one.
bool scanCoordinate(std::string_view word, CoordinateParts& parts)
{
    const size_t n = word.size();
    size_t i = 0;
    if (i < n && (word[i] == '+' || word[i] == '-')) {
        parts.Negative = word[i] == '-';
        ++i;
    }
    const size_t integerStart = i;
    while (i < n && isDigit(word[i]))
        ++i;
    parts.Integer = word.substr(integerStart, i - integerStart);
    bool point = false;
    if (i < n && word[i] == '.') {
        point = true;
        const size_t fractionStart = ++i;
        while (i < n && isDigit(word[i]))
            ++i;
        parts.Fraction = word.substr(fractionStart, i - fractionStart);
    }
    if (parts.Integer.empty() && !point)
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
    parts.Exponent = exponentNegative ? -exponent : exponent;
    return i == n;
}

// The nearest extended real of the parts (not empty); false when it is beyond the range.
bool convertCoordinate(const CoordinateParts& parts, Extended& value)
{
    if (convertOrdinaryWord(parts.Integer, parts.Fraction, parts.Exponent, parts.Negative, value))
        return true;
    // The general path: the C library's correctly rounded conversion, given the digits without
    // a decimal point (the locale's radix character does not matter then) and the scale as the
    // exponent.
    std::string text;
    text.reserve(parts.Integer.size() + parts.Fraction.size() + 24);
    if (parts.Negative)
        text += '-';
    text.append(parts.Integer);
    text.append(parts.Fraction);
    text += 'e';
    text += std::to_string(
        static_cast<long long>(parts.Exponent) - static_cast<long long>(parts.Fraction.size()));

    // Only the flags the conversion raises are cleared: restoring a saved flag state
    // (fesetexceptflag) may rewrite the SSE control word too, masks included, on some C
    // libraries.
    const int raisedBefore = RaisedFloatingPointFlags(FE_ALL_EXCEPT);
    errno = 0;
    Extended v = std::strtold(text.c_str(), nullptr);
    bool overflow = std::isinf(v);
    const int raisedNow = RaisedFloatingPointFlags(FE_ALL_EXCEPT) & ~raisedBefore;
    if (raisedNow != 0)
        ClearFloatingPointFlags(raisedNow);
    if (overflow)
        return false;
    value = v;
    return true;
}

} // namespace

bool ParseCoordinate(std::string_view word, Extended& value)
{
    CoordinateParts parts;
    if (!scanCoordinate(word, parts))
        return false;
    if (parts.Empty()) {
        value = 0.0L; // a lone "." (with sign or exponent) reads 0
        return true;
    }
    return convertCoordinate(parts, value);
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

void AppendDecimals(std::string& out, const Extended& value, int decimals)
{
    if (decimals < 0) {
        out += exponentForm(value, decimals < -kMaxDecimals ? kMaxDecimals : -decimals);
        return;
    }
    if (decimals > kMaxDecimals)
        decimals = kMaxDecimals;
    if (appendFixedExact(out, value, decimals))
        return;
    std::string magnitude = fixedMagnitude(std::fabs(value), decimals);
    if (value < 0.0L && magnitude.find_first_of("123456789") != std::string::npos)
        out += '-';
    out += magnitude;
}

namespace {
// True when word, read as a coordinate, is already what AppendDecimals writes for its value with
// decimals decimals: an optional "-", digits with no needless leading zero, then "." and exactly
// decimals digits (or neither when decimals is 0), at most 18 digits in all, and not a negative
// zero (that is written without its sign). Such a word is N / 10^d with N < 10^18; the value
// read from it is the nearest extended real, within 2^-64 N / 10^d, so value * 10^d lies within
// 2^-64 N < 1/2 of N and rounds back to N: the same digits.
bool writesItself(std::string_view word, int decimals)
{
    size_t i = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (negative)
        i = 1;
    const size_t integerBegin = i;
    bool nonZero = false;
    for (; i < word.size() && isDigit(word[i]); ++i)
        nonZero = nonZero || word[i] != '0';
    const size_t integerDigits = i - integerBegin;
    if (integerDigits == 0 || (integerDigits > 1 && word[integerBegin] == '0'))
        return false;
    size_t fractionDigits = 0;
    if (i < word.size()) {
        if (word[i++] != '.')
            return false;
        for (; i < word.size(); ++i, ++fractionDigits) {
            if (!isDigit(word[i]))
                return false;
            nonZero = nonZero || word[i] != '0';
        }
        if (fractionDigits == 0)
            return false;
    }
    return static_cast<int>(fractionDigits) == decimals && integerDigits + fractionDigits <= 18
        && (nonZero || !negative);
}
} // namespace

void AppendInputDecimals(
    std::string& out, std::string_view word, const Extended& value, int decimals)
{
    if (writesItself(word, decimals))
        out += word;
    else
        AppendDecimals(out, value, decimals);
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

std::optional<std::int32_t> ParseInt32(std::string_view text)
{
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string CountOf(std::int64_t n, const char* one, const char* few, const char* many)
{
    const std::int64_t tens = n % 100, units = n % 10;
    const char* word = n == 1                                     ? one
        : units >= 2 && units <= 4 && !(tens >= 12 && tens <= 14) ? few
                                                                  : many;
    return std::to_string(n) + " " + word;
}

int DecimalsOf(std::string_view word)
{
    const size_t point = word.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(word.size() - point - 1);
}

} // namespace vorida
