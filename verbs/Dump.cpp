// vorida-cli dump: TRANSPKT.BIN as text.
#include "AreaFiles.h"
#include "VerbFiles.h"

#include "System.h"
#include "VerbTable.h"

#include "TranspktText.h"

#include <iostream>

namespace vorida::cli {

namespace {

ExitStatus dump(VerbStreams& io, const Options& o)
{
    if (o.Operands.size() != 1)
        return Usage(io, DumpVerb(), "Podaj jeden plik TRANSPKT.BIN.");
    const InputPath input(io, o.Operands[0]);
    if (!input.Ready())
        return ExitStatus::Failure;
    TranspktFile contents;
    try {
        TPktBIN loader;
        loader.ReadFile(input.Path(), contents);
    } catch (const TranspktReadError&) {
        io.Err << AreaReadFailure(o.Operands[0]) << '\n';
        return ExitStatus::Failure;
    }
    io.Out << DumpTranspktText(contents);
    return ExitStatus::Ok;
}

} // namespace

const VerbRow& DumpVerb()
{
    static const VerbRow verb { "dump", "TRANSPKT.BIN -> tekst", "TRANSPKT.BIN",
        "Wypisuje plik (\"-\": ze standardowego wejścia) jako tekst polecenia pack\n"
        "(dokładne wartości).\n",
        {}, dump };
    return verb;
}

} // namespace vorida::cli
