// vorida-cli dump: TRANSPKT.BIN as text.
#include "Common.h"

#include "TranspktText.h"

#include <iostream>

namespace vorida::cli {

const char* const kDumpHelp
    = "Użycie: vorida-cli dump TRANSPKT.BIN\n"
      "Wypisuje plik (\"-\": ze standardowego wejścia) jako tekst polecenia pack\n"
      "(dokładne wartości).\n";

int dump(VerbStreams& io, const std::vector<std::string>& args)
{
    auto o = parseOptions(io, args, {}, kDumpHelp);
    if (!o)
        return kUsage;
    if (o->Positional.size() != 1)
        return usage(io, kDumpHelp, "Podaj jeden plik TRANSPKT.BIN.");
    const InputPath input(io, o->Positional[0]);
    if (!input.Ready())
        return kFailure;
    TranspktFile contents;
    try {
        TPktBIN loader;
        loader.ReadFile(input.Path(), contents);
    } catch (const TranspktReadError&) {
        io.Err << areaReadFailure(o->Positional[0]) << '\n';
        return kFailure;
    }
    io.Out << DumpTranspktText(contents);
    return kOk;
}

} // namespace vorida::cli
