// vorida-cli dump: TRANSPKT.BIN as text.
#include "Common.h"

#include "TranspktText.h"

#include <iostream>

namespace vorida::cli {

const char* const kDumpHelp
    = "Użycie: vorida-cli dump TRANSPKT.BIN\n"
      "Wypisuje plik (\"-\": ze standardowego wejścia) jako tekst polecenia pack\n"
      "(dokładne wartości).\n";

int dump(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, {}, kDumpHelp);
    if (!o)
        return kUsage;
    if (o->Positional.size() != 1)
        return usage(kDumpHelp, "Podaj jeden plik TRANSPKT.BIN.");
    const InputPath input(o->Positional[0]);
    if (!input.Ready())
        return kFailure;
    TranspktFile contents;
    try {
        TPktBIN loader;
        loader.ReadFile(input.Path(), contents);
    } catch (const TranspktReadError&) {
        std::cerr << areaReadFailure(o->Positional[0]) << '\n';
        return kFailure;
    }
    std::cout << DumpTranspktText(contents);
    return kOk;
}

} // namespace vorida::cli
