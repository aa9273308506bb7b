// vorida-cli pack: TRANSPKT.BIN from its text form.
#include "AreaWarnings.h"
#include "VerbFiles.h"

#include "System.h"
#include "VerbTable.h"

#include "Numbers.h"

#include "Cp1250.h"
#include "FileError.h"
#include "TranspktText.h"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <random>

namespace vorida::cli {

namespace {

ExitStatus pack(VerbStreams& io, const Options& o)
{
    if (o.Operands.size() != 1 || !o.Output)
        return Usage(io, PackVerb(), "Podaj plik tekstowy i -o TRANSPKT.BIN.");
    FilePlan plan;
    plan.Reads(o.Operands[0]);
    plan.Writes(*o.Output);
    if (const auto refused = RefuseClash(io, plan))
        return *refused;
    std::string text;
    if (!ReadWholeInput(o.Operands[0], text)) {
        const FileKind kind = FileKindOnDisk(o.Operands[0]);
        io.Err << ReadFailureText(o.Operands[0],
            kind == FileKind::Missing         ? ENOENT
                : kind == FileKind::Directory ? DirectoryError()
                                              : EIO)
               << '\n';
        return ExitStatus::Failure;
    }
    TranspktFile contents;
    try {
        contents = ParseTranspktText(text);
        if (o.Area)
            contents.AreaName = Utf8ToCp1250(*o.Area);
    } catch (const Error& e) {
        io.Err << o.Operands[0] << ": " << e.what() << '\n';
        return ExitStatus::Failure;
    }
    // An area file without points converts nothing: no such file is written.
    if (contents.Points.empty()) {
        io.Err << PathForMessage(o.Operands[0])
               << ": brak punktów dostosowania; plik obszaru nie został zapisany.\n";
        return ExitStatus::Failure;
    }
    for (const std::string& warning : AreaWarnings(contents.Points, contents.SystemCode))
        io.Err << warning << '\n';
    if (o.System) {
        auto code = ParseInt32(*o.System);
        if (!code)
            return Usage(io, PackVerb(), "Niepoprawny kod układu: " + *o.System);
        contents.SystemCode = *code;
    }
    // The file is packed in the temporary folder, then written whole to its place (or to
    // standard output).
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = fs::temp_directory_path(ec)
        / ("vorida-pack-" + std::to_string(std::random_device {}()) + ".BIN");
    std::string bytes;
    bool packed = false;
    try {
        WriteTranspktFile(PathText(file), contents);
        packed = !ec && ReadWholeInput(PathText(file), bytes);
    } catch (const TranspktWriteError&) {
    }
    fs::remove(file, ec);
    if (!packed) {
        io.Err << "Nie można zapisać pliku tymczasowego " << PathForMessage(PathText(file)) << '\n';
        return ExitStatus::Failure;
    }
    return WriteWholeOutput(io, *o.Output, bytes, &plan) ? ExitStatus::Ok : ExitStatus::Failure;
}

} // namespace

const VerbRow& PackVerb()
{
    static const VerbRow verb { "pack", "tekst punktów dostosowania -> TRANSPKT.BIN", "PUNKTY.txt",
        "(\"-\" zamiast PUNKTY.txt: standardowe wejście; -o -: standardowe wyjście)\n"
        "Tworzy plik TRANSPKT.BIN z tekstu UTF-8: jeden punkt w linii,\n"
        "  nazwa<TAB>x lok.<TAB>y lok.<TAB>x kraj.<TAB>y kraj.  (bez tabulatorów: odstępy),\n"
        "linie nagłówka @area<TAB>nazwa obszaru, @system<TAB>kod, @skipped<TAB>liczba,\n"
        "linie puste i komentarze # są pomijane. Opcje zastępują nagłówki.\n",
        {
            { "-o", "TRANSPKT.BIN", &Options::Output, "plik obszaru do zapisania", true, true },
            { "--area", "NAZWA", &Options::Area, "nazwa obszaru (zamiast nagłówka @area)" },
            { "--system", "KOD", &Options::System, "kod układu (zamiast nagłówka @system)" },
        },
        pack };
    return verb;
}

} // namespace vorida::cli
