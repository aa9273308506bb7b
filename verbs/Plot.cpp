// vorida-cli plot: the picture of the area as SVG.
#include "AreaOptions.h"
#include "VerbFiles.h"

#include "System.h"

#include "AreaReport.h"
#include "AreaText.h"
#include "AreaWarnings.h"

#include "AreaSvg.h"
#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "PictureLegend.h"

#include <iostream>

namespace vorida::cli {

namespace {

// What was drawn: the picture, its SVG text and how many names and cuts found room.
struct Drawing
{
    AreaPicture Picture;
    std::string Svg;
    LabelCounts Labels;
};

// The summary of a written picture: on standard output, unless the picture went there.
void printSummary(VerbStreams& io, const std::string& output, const Drawing& drawing,
    const PreparedArea& area, size_t checks)
{
    std::ostream& out = IsStandardStream(output) ? io.Err : io.Out;
    for (const std::string& line :
        PictureSummary(drawing.Picture, drawing.Labels, output, area.Kept.size(), checks))
        out << line << '\n';
}

// Draws the area; ExitStatus::Ok with the drawing, otherwise the status after the message.
ExitStatus draw(VerbStreams& io, const AreaOptions& options, const PreparedArea& area,
    const CheckPointFile& checks, unsigned threads, Drawing& drawing)
{
    try {
        AreaPicture& picture = drawing.Picture;
        picture = PrepareAreaPicture(area.Kept, area.Whole.Name, area.Whole.SystemCode,
            checks.Points, options.Tolerance.value_or(kDefaultTolerance), threads);
        picture.Scale = options.Scale;
        if (options.Center) {
            picture.Centre = FindPoint(area.Kept, *options.Center);
            if (!picture.Centre)
                return Usage(io, PlotVerb(), "Brak punktu dostosowania " + *options.Center);
        }
        picture.Excluded = ExcludedNames(area.Whole.Points, area.Excluded);
        drawing.Svg = AreaSvg(picture, &drawing.Labels);
    } catch (const Error& e) {
        return ComputationFailed(io, e);
    }
    return ExitStatus::Ok;
}

ExitStatus plot(VerbStreams& io, const Options& o)
{
    const VerbRow& verb = PlotVerb();
    const auto options = ReadAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (!o.Operands.empty())
        return Usage(io, verb, "Nieoczekiwany argument: " + o.Operands[0]);
    if (!o.Output)
        return Usage(io, verb, "Podaj plik wynikowy: -o OBSZAR.svg");
    const auto threads = ReadThreads(io, verb, o);
    if (!threads)
        return ExitStatus::Usage;
    FilePlan plan;
    plan.Reads(AreaPath(io, o, false));
    if (o.Check)
        plan.Reads(*o.Check);
    plan.Writes(*o.Output);
    if (const auto refused = RefuseClash(io, plan))
        return *refused;
    PreparedArea area;
    if (const ExitStatus status = PrepareArea(io, o, *options, Direction::LocalToNational, area);
        status != ExitStatus::Ok)
        return status;
    if (const std::string weak = WeakScreeningWarning(area.Kept.size()); !weak.empty())
        io.Err << weak << '\n';
    CheckPointFile checks;
    if (o.Check && !ReadCheckPointFile(io, *o.Check, checks))
        return ExitStatus::Failure;
    Drawing drawing;
    if (const ExitStatus status = draw(io, *options, area, checks, *threads, drawing);
        status != ExitStatus::Ok)
        return status;
    if (!WriteWholeOutput(io, *o.Output, drawing.Svg, &plan))
        return ExitStatus::Failure;
    printSummary(io, *o.Output, drawing, area, checks.Points.size());
    return ExitStatus::Ok;
}

} // namespace

const VerbRow& PlotVerb()
{
    static const VerbRow verb { "plot", "rysunek obszaru (SVG) z odchyłkami", "",
        "Rysuje obszar z KATALOG/TRANSPKT.BIN (domyślnie bieżący katalog, a bez niego plik obok\n"
        "programu; --area: ten plik) w układzie krajowym\n"
        "(x na północ) na arkuszu A4, jako SVG: punkty dostosowania i kontrolne w ramce z\n"
        "marginesem, siatka współrzędnych, prostokąt obszaru przeliczeń (punkty dostosowania\n"
        "+ " + AreaMarginText()
            + ", przycięty do ramki), nazwy punktów bez nakładania (gdy brak miejsca,\n"
              "nazwa jest pomijana: najpierw nazywane są błędy grube, punkty ekstrapolowane i\n"
              "największe odchyłki), odchyłki dopasowania i przy pominięciu punktu (strzałki w "
              "skali\n"
              "odchyłek), prawdopodobne błędy grube na czerwono i, z --check, punkty kontrolne z "
              "ich\n"
              "odchyłkami. Kierunek lokalny -> krajowy.\n",
        {
            DirOption(),
            AreaOption(),
            { "--check", "KONTROLNE.txt", &Options::Check,
                "punkty kontrolne z ich odchyłkami na rysunku", true },
            { "--scale", "N", &Options::Scale,
                "skala mapy 1:N zamiast okrągłej dobranej do ramki" },
            ToleranceOption("jak w fit --loo"),
            ExcludeOption("jak w fit --loo"),
            { "--center", "NAZWA", &Options::Center,
                "mapa wyśrodkowana na tym punkcie dostosowania (z --scale: powiększenie w "
                "dowolnym miejscu; błędy grube poza mapą wymienione w legendzie)" },
            ThreadsOption("jak w fit --loo"),
            { "-o", "OBSZAR.svg", &Options::Output,
                "plik rysunku; -o -: rysunek na standardowe wyjście (podsumowanie wtedy na "
                "standardowe wyjście błędów)",
                true, true },
        },
        plot };
    return verb;
}

} // namespace vorida::cli
