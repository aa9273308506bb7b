// The coordinate-word conversion against an independent reading of its grammar and an exact
// check of the rounding.
//
// Grammar: [+-]? (digits [. digits?]? | . digits?) ([eE] [+-]? digits?)? and nothing else; the
// exponent's digits are taken only while the value read so far is below 500. Value: the
// extended real nearest to the decimal number (ties to even); a number that rounds beyond the
// largest extended real is unacceptable. The rounding is checked with big integers: the
// decimal number must lie between the midpoints to the neighbouring extended reals.
#include "FuzzSupport.h"
#include "Numbers.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <regex>
#include <vector>

using namespace vorida;
using namespace vorida::fuzz;

namespace {

// Non-negative big integers, base 2^32, least significant limb first.
class BigInt
{
public:
    explicit BigInt(std::uint64_t v = 0)
    {
        while (v != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(v));
            v >>= 32;
        }
    }
    void MulSmall(std::uint32_t m)
    {
        std::uint64_t carry = 0;
        for (std::uint32_t& l : limbs_) {
            const std::uint64_t t = static_cast<std::uint64_t>(l) * m + carry;
            l = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0)
            limbs_.push_back(static_cast<std::uint32_t>(carry));
        Trim();
    }
    void AddSmall(std::uint32_t a)
    {
        std::uint64_t carry = a;
        for (size_t i = 0; carry != 0; ++i) {
            if (i == limbs_.size())
                limbs_.push_back(0);
            const std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) + carry;
            limbs_[i] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
    }
    void Add(const BigInt& o)
    {
        if (limbs_.size() < o.limbs_.size())
            limbs_.resize(o.limbs_.size(), 0);
        std::uint64_t carry = 0;
        for (size_t i = 0; i < limbs_.size(); ++i) {
            const std::uint64_t t = static_cast<std::uint64_t>(limbs_[i])
                + (i < o.limbs_.size() ? o.limbs_[i] : 0u) + carry;
            limbs_[i] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0)
            limbs_.push_back(static_cast<std::uint32_t>(carry));
    }
    void ShiftLeft(long bits)
    {
        if (limbs_.empty() || bits <= 0)
            return;
        const auto words = static_cast<size_t>(bits / 32);
        const auto rest = static_cast<unsigned>(bits % 32);
        limbs_.insert(limbs_.begin(), words, 0u);
        if (rest != 0) {
            std::uint32_t carry = 0;
            for (size_t i = words; i < limbs_.size(); ++i) {
                const std::uint32_t next = limbs_[i] >> (32 - rest);
                limbs_[i] = (limbs_[i] << rest) | carry;
                carry = next;
            }
            if (carry != 0)
                limbs_.push_back(carry);
        }
    }
    void MulPow5(long k)
    {
        for (; k >= 13; k -= 13)
            MulSmall(1220703125u); // 5^13
        for (; k > 0; --k)
            MulSmall(5u);
    }
    void MulPow10(long k)
    {
        MulPow5(k);
        ShiftLeft(k);
    }
    friend int Compare(const BigInt& a, const BigInt& b)
    {
        if (a.limbs_.size() != b.limbs_.size())
            return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
        for (size_t i = a.limbs_.size(); i-- > 0;)
            if (a.limbs_[i] != b.limbs_[i])
                return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        return 0;
    }

private:
    void Trim()
    {
        while (!limbs_.empty() && limbs_.back() == 0)
            limbs_.pop_back();
    }
    std::vector<std::uint32_t> limbs_;
};

// A decimal number Digits * 10^Exponent10.
struct Decimal
{
    BigInt Digits;
    long Exponent10 = 0;
    bool Zero = true;
};

// A binary number Significand * 2^Exponent2.
struct Binary
{
    BigInt Significand;
    long Exponent2 = 0;
};

// -1, 0, 1 as d is below, equal to or above b.
int compare(const Decimal& d, const Binary& b)
{
    BigInt left = d.Digits, right = b.Significand;
    if (d.Exponent10 >= 0)
        left.MulPow10(d.Exponent10);
    else
        right.MulPow10(-d.Exponent10);
    if (b.Exponent2 >= 0)
        right.ShiftLeft(b.Exponent2);
    else
        left.ShiftLeft(-b.Exponent2);
    return Compare(left, right);
}

// The exact value of a finite non-negative extended real: significand and exponent.
void decompose(Extended v, std::uint64_t& significand, long& exponent)
{
    if (v == 0.0L) {
        significand = 0;
        exponent = 0;
        return;
    }
    int e = 0;
    const Extended f = std::frexp(v, &e); // v = f * 2^e, 0.5 <= f < 1
    significand = static_cast<std::uint64_t>(std::ldexp(f, 64));
    exponent = e - 64;
    while ((significand & 1u) == 0) {
        significand >>= 1;
        ++exponent;
    }
}

// (a + b) / 2 exactly, for finite non-negative a and b.
Binary midpoint(Extended a, Extended b)
{
    std::uint64_t sa, sb;
    long ea, eb;
    decompose(a, sa, ea);
    decompose(b, sb, eb);
    if (sa == 0)
        ea = eb;
    if (sb == 0)
        eb = ea;
    const long e = std::min(ea, eb);
    BigInt x(sa), y(sb);
    x.ShiftLeft(ea - e);
    y.ShiftLeft(eb - e);
    x.Add(y);
    return Binary { x, e - 1 };
}

bool evenSignificand(Extended v)
{
    if (v == 0.0L)
        return true;
    int e = 0;
    const Extended f = std::frexp(v, &e);
    std::uint64_t s = static_cast<std::uint64_t>(std::ldexp(f, 64));
    // A denormal keeps fewer significant bits: its last bit is at 2^(LDBL_MIN_EXP - 64).
    const int lastBit = e - 64 < LDBL_MIN_EXP - 64 ? LDBL_MIN_EXP - 64 - (e - 64) : 0;
    return ((s >> lastBit) & 1u) == 0;
}

bool acceptedByGrammar(std::string_view word, Decimal& d, bool& negative)
{
    static const std::regex pattern(
        "([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([+-]?)([0-9]*))?", std::regex::ECMAScript);
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(word.begin(), word.end(), m, pattern))
        return false;
    const std::string integer = m[2].str(), fraction = m[3].str(), exponent = m[5].str();
    if (integer.empty() && !m[3].matched)
        return false; // neither digits nor a point after the sign
    // The exponent digits stop at the first digit that follows a value of 500 or more: all of
    // them are taken when the value without the last digit stays below 500.
    const size_t significant = exponent.find_first_not_of('0');
    const std::string digits
        = significant == std::string::npos ? std::string() : exponent.substr(significant);
    if (digits.size() > 4 || (digits.size() == 4 && std::stoi(digits.substr(0, 3)) >= 500))
        return false;
    const long e = digits.empty() ? 0 : std::stol(digits);
    negative = m[1].str() == "-";
    d.Exponent10 = (m[4].str() == "-" ? -e : e) - static_cast<long>(fraction.size());
    for (char c : integer + fraction) {
        d.Digits.MulSmall(10);
        d.Digits.AddSmall(static_cast<std::uint32_t>(c - '0'));
        d.Zero = d.Zero && c == '0';
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size > 600)
        return 0; // long enough for every form; longer words only slow the exact check
    const std::string word(reinterpret_cast<const char*>(data), size);

    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_INEXACT);
    Extended value = 12345.0L;
    const bool accepted = ParseCoordinate(word, value);
    Check(std::fetestexcept(FE_ALL_EXCEPT) == FE_INEXACT, "the floating-point flags changed");
    std::feclearexcept(FE_ALL_EXCEPT);

    Decimal d;
    bool negative = false;
    const bool grammatical = acceptedByGrammar(word, d, negative);
    if (!grammatical) {
        Check(!accepted, "accepted a word outside the grammar");
        Check(value == 12345.0L, "a refused word changed the value");
        return 0;
    }
    // Everything from the midpoint between the largest extended real, (2^64 - 1) * 2^16320,
    // and 2^16384 on rounds to infinity: (2^65 - 1) * 2^16319.
    const Binary limit = [] {
        BigInt s(~std::uint64_t { 0 });
        s.ShiftLeft(1);
        s.AddSmall(1);
        return Binary { s, 16319 };
    }();
    if (!d.Zero && compare(d, limit) >= 0) {
        Check(!accepted, "accepted a word beyond the extended range");
        return 0;
    }
    Check(accepted, "refused a word of the grammar");
    Check(std::signbit(value) == (negative && !std::isnan(value)) || value == 0.0L, "wrong sign");
    const Extended magnitude = std::fabs(value);
    Check(std::isfinite(magnitude), "an accepted word gave no finite value");
    if (d.Zero) {
        Check(magnitude == 0.0L, "zero digits gave a non-zero value");
        return 0;
    }
    // The decimal number lies between the midpoints to the neighbours; on a midpoint the
    // neighbour with the even significand wins.
    if (magnitude > 0.0L) {
        const Extended below = std::nextafter(magnitude, 0.0L);
        const int c = compare(d, midpoint(below, magnitude));
        Check(c > 0 || (c == 0 && evenSignificand(magnitude)), "not the nearest (from below)");
    }
    if (magnitude < LDBL_MAX) {
        const Extended above = std::nextafter(magnitude, static_cast<Extended>(INFINITY));
        const int c = compare(d, midpoint(magnitude, above));
        Check(c < 0 || (c == 0 && evenSignificand(magnitude)), "not the nearest (from above)");
    }
    return 0;
}
