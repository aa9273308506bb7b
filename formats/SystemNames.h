// The names of coordinate systems: the long name and the short tag of each system code, and the
// point files named after the national system's tag.
#pragma once

#include <cstdint>
#include <string>

namespace vorida {

inline constexpr std::int32_t kLocalSystemCode = 201;

// The long name and the short tag of a system code, in Windows-1250; empty for an unknown code.
std::string SystemName(std::int32_t code);
std::string SystemTag(std::int32_t code);

// The national point files: "xy" and the tag of the national system ("xy2000" for the 2000
// system), results with ".1" appended.
std::string NationalInputName(std::int32_t systemCode);
std::string NationalResultName(std::int32_t systemCode);

} // namespace vorida
