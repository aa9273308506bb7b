#include "SystemNames.h"

#include "Cp1250.h"

namespace vorida {

namespace {

struct SystemEntry
{
    std::int32_t Code;
    const char* Name; // UTF-8
    const char* Tag;
};

// Code 22 is the 1942/83 system like codes 27 to 30 and shares their tag, so that its point
// files are named like theirs.
constexpr SystemEntry kSystems[] = {
    { 1, "1965 strefa 1", "1965" },
    { 2, "1965 strefa 2", "1965" },
    { 3, "1965 strefa 3", "1965" },
    { 4, "1965 strefa 4", "1965" },
    { 5, "1965 strefa 5", "1965" },
    { 6, "2000 poł. osiowy 15 stopni", "2000" },
    { 7, "2000 poł. osiowy 18 stopni", "2000" },
    { 8, "2000 poł. osiowy 21 stopni", "2000" },
    { 9, "2000 poł. osiowy 24 stopni", "2000" },
    { 10, "1992", "1992" },
    { 11, "1942 pasy 3 stopniowe 15", "1942" },
    { 12, "1942 pasy 3 stopniowe 18", "1942" },
    { 13, "1942 pasy 3 stopniowe 21", "1942" },
    { 14, "1942 pasy 3 stopniowe 24", "1942" },
    { 15, "1942 pasy 6 stopniowe 15", "1942" },
    { 16, "1942 pasy 6 stopniowe 21", "1942" },
    { 17, "1942 pasy 6 stopniowe 27", "1942" },
    { 18, "UTM pasy 6 stopniowe 15", "UTM" },
    { 19, "UTM pasy 6 stopniowe 21", "UTM" },
    { 20, "UTM pasy 6 stopniowe 27", "UTM" },
    { 21, "GUGiK 80", "GUGiK_80" },
    { 22, "1942_83", "194283" },
    { 23, "BL na el. Krasowskiego", "Kras_BL" },
    { 24, "XYZ na el. Krasowskiego", "Kras_XYZ" },
    { 25, "BL na el. GRS-80", "GRS-80_BL" },
    { 26, "XYZ na el. GRS-80", "GRS-80_XYZ" },
    { 27, "1942/83 pasy 3 stopniowe 15", "194283" },
    { 28, "1942/83 pasy 3 stopniowe 18", "194283" },
    { 29, "1942/83 pasy 3 stopniowe 21", "194283" },
    { 30, "1942/83 pasy 3 stopniowe 24", "194283" },
    { 31, "1942/83 pasy 6 stopniowe 15", "194283" },
    { 32, "1942/83 pasy 6 stopniowe 21", "194283" },
    { kLocalSystemCode, "Układ lokalny", "LOK." },
};

const SystemEntry* findSystem(std::int32_t code)
{
    for (const SystemEntry& e : kSystems)
        if (e.Code == code)
            return &e;
    return nullptr;
}

} // namespace

std::string SystemName(std::int32_t code)
{
    const SystemEntry* e = findSystem(code);
    return e ? Utf8ToCp1250(e->Name) : std::string();
}

std::string SystemTag(std::int32_t code)
{
    const SystemEntry* e = findSystem(code);
    return e ? Utf8ToCp1250(e->Tag) : std::string();
}

std::string NationalInputName(std::int32_t systemCode)
{
    return "xy" + SystemTag(systemCode);
}

std::string NationalResultName(std::int32_t systemCode)
{
    return NationalInputName(systemCode) + ".1";
}

} // namespace vorida
