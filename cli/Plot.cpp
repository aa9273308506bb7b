// vorida-cli plot: the picture of the area as SVG.
#include "AreaOptions.h"
#include "Common.h"

#include "AreaText.h"
#include "AreaWarnings.h"

#include "AreaSvg.h"
#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"

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
    const AreaPicture& picture = drawing.Picture;
    const LabelCounts& labels = drawing.Labels;
    const PictureLayout layout = LayOutPicture(picture);
    out << "Zapisano " << output << ": A4 " << (layout.Landscape ? "poziomo" : "pionowo")
        << ", skala mapy 1:" << GroupThousands(FormatDecimals(layout.ScaleDenominator, 0), " ")
        << ", strzałka " << FormatDecimals(layout.ArrowBarGround * layout.ArrowScale, 0)
        << " mm = " << FormatDecimals(layout.ArrowBarGround, 1) << " mm odchyłki\n";
    out << "Punkty dostosowania: " << area.Kept.size();
    if (!picture.Excluded.empty())
        out << " (bez " << picture.Excluded << ")";
    if (picture.Fit != AreaFitStatus::Fitted)
        out << " (bez odchyłek dopasowania: dopasowanie niemożliwe)";
    out << '\n';
    if (picture.Loo && picture.Loo->Worst) {
        size_t blunders = 0;
        for (bool named : picture.NamedAsBlunder)
            blunders += named ? 1 : 0;
        out << "Odchyłki przy pominięciu punktu: RMS " << millimetres(picture.Loo->Rms)
            << " mm, prawdopodobne błędy grube: " << blunders << '\n';
    } else {
        out << "Odchyłki przy pominięciu punktu: za mało punktów\n";
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        out << "Punkty kontrolne: " << checks << ", w obszarze " << s.Inside;
        if (s.Inside > 0)
            out << ", max " << millimetres(s.Max) << " mm, RMS " << millimetres(s.Rms) << " mm";
        out << '\n';
    }
    out << "Nazwy: " << (labels.Names - labels.NamesLeftOut) << " z " << labels.Names
        << ", pominięte z braku miejsca: " << labels.NamesLeftOut;
    if (labels.Cuts > 0)
        out << "; długości skróconych strzałek: " << (labels.Cuts - labels.CutsLeftOut) << " z "
            << labels.Cuts;
    out << '\n';
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
                return usage(io, plotVerb(), "Brak punktu dostosowania " + *options.Center);
        }
        picture.Excluded = excludedNames(area.Whole.Points, area.Excluded);
        drawing.Svg = AreaSvg(picture, &drawing.Labels);
    } catch (const Error& e) {
        return computationFailed(io, e);
    }
    return ExitStatus::Ok;
}

// Writes bytes whole (writeWholeFile), checked once more against the inputs as they are now: a
// link planted at the output while an input was read (a FIFO waits for its writer) cannot turn
// an input into the output.
bool writeChecked(
    VerbStreams& io, const std::string& path, std::string_view bytes, const FilePlan& plan)
{
    if (IsStandardStream(path))
        return writeWholeFile(io, path, bytes);
    try {
        io.Out.flush();
        WriteWholeFile(path, bytes, WriteMode::WholeOrNothing, plan.InputGuards());
    } catch (const LineFileError& e) {
        io.Err << e.what() << '\n';
        return false;
    }
    return true;
}

ExitStatus plot(VerbStreams& io, const Options& o)
{
    const VerbSpec& verb = plotVerb();
    const auto options = readAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (!o.Operands.empty())
        return usage(io, verb, "Nieoczekiwany argument: " + o.Operands[0]);
    if (!o.Output)
        return usage(io, verb, "Podaj plik wynikowy: -o OBSZAR.svg");
    const auto threads = readThreads(io, verb, o);
    if (!threads)
        return ExitStatus::Usage;
    FilePlan plan;
    plan.Reads(areaPath(io, o, false));
    if (o.Check)
        plan.Reads(*o.Check);
    plan.Writes(*o.Output);
    if (const auto refused = refuseClash(io, plan))
        return *refused;
    PreparedArea area;
    if (const ExitStatus status = prepareArea(io, o, *options, true, area);
        status != ExitStatus::Ok)
        return status;
    if (const std::string weak = WeakScreeningWarning(area.Kept.size()); !weak.empty())
        io.Err << weak << '\n';
    CheckPointFile checks;
    if (o.Check && !readCheckPointFile(io, *o.Check, checks))
        return ExitStatus::Failure;
    Drawing drawing;
    if (const ExitStatus status = draw(io, *options, area, checks, *threads, drawing);
        status != ExitStatus::Ok)
        return status;
    if (!writeChecked(io, *o.Output, drawing.Svg, plan))
        return ExitStatus::Failure;
    printSummary(io, *o.Output, drawing, area, checks.Points.size());
    return ExitStatus::Ok;
}

} // namespace

const VerbSpec& plotVerb()
{
    static const VerbSpec verb { "plot", "rysunek obszaru (SVG) z odchyłkami", "",
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
            dirOption(),
            areaOption(),
            { "--check", "KONTROLNE.txt", &Options::Check,
                "punkty kontrolne z ich odchyłkami na rysunku", true },
            { "--scale", "N", &Options::Scale,
                "skala mapy 1:N zamiast okrągłej dobranej do ramki" },
            toleranceOption("jak w fit --loo"),
            excludeOption("jak w fit --loo"),
            { "--center", "NAZWA", &Options::Center,
                "mapa wyśrodkowana na tym punkcie dostosowania (z --scale: powiększenie w "
                "dowolnym miejscu; błędy grube poza mapą wymienione w legendzie)" },
            threadsOption("jak w fit --loo"),
            { "-o", "OBSZAR.svg", &Options::Output,
                "plik rysunku; -o -: rysunek na standardowe wyjście (podsumowanie wtedy na "
                "standardowe wyjście błędów)",
                true, true },
        },
        plot };
    return verb;
}

} // namespace vorida::cli
