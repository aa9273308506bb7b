// vorida-cli convert: the run of the main window's button.
#include "Common.h"

#include "Numbers.h"

#include "UTransPkt.h"

#include <iostream>

namespace vorida::cli {

const char* const kConvertHelp
    = "Użycie: vorida-cli convert [--dir KATALOG] [--to-local] [--digits N]\n"
      "Przelicza plik punktów w KATALOGU (domyślnie bieżący) tak jak przycisk programu:\n"
      "xy_LOK -> xy2000.1 (--to-local: xy2000 -> xy_LOK.1) i Raport.txt; N miejsc po\n"
      "przecinku (domyślnie 2).\n";

int convert(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--to-local", "--digits" }, kConvertHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kConvertHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    std::int32_t digits = 2;
    if (o->Digits) {
        auto d = ParseInt32(*o->Digits);
        if (!d)
            return usage(kConvertHelp, "Niepoprawna liczba miejsc: " + *o->Digits);
        digits = *d;
    }
    CliPlatform messages;
    ScopedPlatform scope(messages);
    // As at the program's start: load the area (a failure shows its message and goes on).
    LoadPointFile(PathIn(o->Directory, kDataFileName));
    ComputeAreaExtents();
    RoundingDigits = digits;
    bool complete = false;
    try {
        complete = TransPkt.TransformFile(!o->ToLocal, o->Directory);
    } catch (const std::exception& e) {
        messages.Release(std::cerr);
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    messages.Release(complete ? std::cout : std::cerr);
    return complete ? kOk : kFailure;
}

} // namespace vorida::cli
