// vorida-cli dump: TRANSPKT.BIN as text.
#include "Common.h"

#include "TranspktText.h"

#include <iostream>

namespace vorida::cli {

namespace {

ExitStatus dump(VerbStreams& io, const Options& o)
{
    if (o.Operands.size() != 1)
        return usage(io, dumpVerb(), "Podaj jeden plik TRANSPKT.BIN.");
    const InputPath input(io, o.Operands[0]);
    if (!input.Ready())
        return ExitStatus::Failure;
    TranspktFile contents;
    try {
        TPktBIN loader;
        loader.ReadFile(input.Path(), contents);
    } catch (const TranspktReadError&) {
        io.Err << areaReadFailure(o.Operands[0]) << '\n';
        return ExitStatus::Failure;
    }
    io.Out << DumpTranspktText(contents);
    return ExitStatus::Ok;
}

} // namespace

const VerbSpec& dumpVerb()
{
    static const VerbSpec verb { "dump", "TRANSPKT.BIN -> tekst", "TRANSPKT.BIN",
        "Wypisuje plik (\"-\": ze standardowego wejścia) jako tekst polecenia pack\n"
        "(dokładne wartości).\n",
        {}, dump };
    return verb;
}

} // namespace vorida::cli
