// The one precision of the program: the 80-bit x87 extended real (64-bit significand), and
// the 10-byte layout in which files store it.
#pragma once

#include "Error.h"

#include <array>
#include <cfloat>
#include <cstdint>
#include <string>

namespace vorida {

using Extended = long double;
static_assert(LDBL_MANT_DIG == 64, "Extended must be the x87 80-bit type");

// Raised when an operation of the conversion would give NaN or infinity: invalid operation,
// division by zero or overflow.
class FloatingPointError : public Error
{
public:
    using Error::Error;
};

// The exception flags (FE_ bits of <cfenv>) among mask that are raised, in the x87 unit or in the
// SSE unit; and clearing just those, leaving every other flag and every control bit as it is.
// std::fetestexcept and std::feclearexcept do the same, but MinGW-w64's ask the processor for
// its features (CPUID) on every call, which under a hypervisor (a virtual machine, or Windows
// with virtualization-based security) costs microseconds: more than converting a whole point.
int RaisedFloatingPointFlags(int mask);
void ClearFloatingPointFlags(int mask);

// The floating-point exception flags that become FloatingPointError.
void ClearFloatingPointFlags();
// Throws FloatingPointError naming the first raised flag (invalid operation, division by zero,
// overflow); the flags are cleared first so that the next operation starts afresh.
void ThrowOnFloatingPointFlags();

using ExtendedBytes = std::array<std::uint8_t, 10>;

// Bytes 0-7: the 64-bit significand, little-endian, integer bit explicit in bit 63; bytes 8-9:
// a little-endian word with the sign in bit 15 and the biased exponent (bias 16383) in bits
// 0-14. Decoding is exact for every finite pattern; denormals and pseudo-denormals read as the
// x87 unit reads them; infinities read as infinities; NaNs and unnormals (exponent neither 0
// nor all ones, integer bit clear: the x87 unit rejects them) read as a quiet NaN.
Extended DecodeExtended(const std::uint8_t* bytes);

// The two fields of a 10-byte pattern, as laid out above.
struct ExtendedFields
{
    std::uint64_t Significand; // integer bit in bit 63
    unsigned SignAndExponent; // sign in bit 15, biased exponent (bias 16383) in bits 0-14
};
inline ExtendedFields FieldsOf(const std::uint8_t* bytes)
{
    std::uint64_t significand = 0;
    for (int i = 7; i >= 0; --i)
        significand = (significand << 8) | bytes[i];
    return { significand,
        static_cast<unsigned>(bytes[8]) | (static_cast<unsigned>(bytes[9]) << 8) };
}

// The canonical pattern of a value (the one the x87 unit stores). DecodeExtended of it gives
// the value back, bit for bit, and for every finite value EncodeExtended(DecodeExtended(b)) == b
// unless b was a pseudo-denormal.
ExtendedBytes EncodeExtended(Extended value);

} // namespace vorida
