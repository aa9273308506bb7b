// vorida-cli verify: the conversion measured on check points.
#include "AreaOptions.h"

#include "AreaReport.h"
#include "AreaText.h"
#include "AreaWarnings.h"

#include "AreaFit.h"
#include "CheckPoints.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <iostream>

namespace vorida::cli {

namespace {

ExitStatus verify(VerbStreams& io, const Options& o)
{
    const VerbRow& verb = VerifyVerb();
    const auto options = ReadAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (o.Operands.size() != 1)
        return Usage(io, verb, "Podaj jeden plik punktów kontrolnych.");
    std::optional<int> digits;
    if (o.Digits) {
        auto d = ParseInt32(*o.Digits);
        if (!d || *d < 0 || *d > kMaxDecimals)
            return Usage(io, verb, "Niepoprawna liczba miejsc: " + *o.Digits);
        digits = *d;
    }
    PreparedArea area;
    if (const ExitStatus status = PrepareArea(io, o, *options, o.Direction, area);
        status != ExitStatus::Ok)
        return status;
    CheckPointFile file;
    if (!ReadCheckPointFile(io, o.Operands[0], file))
        return ExitStatus::Failure;
    CheckSummary summary;
    try {
        summary = CompareCheckPoints(
            area.Fit, file.Points, o.Direction, ComputeAreaExtents(area.Kept), digits);
    } catch (const Error& e) {
        return ComputationFailed(io, e);
    }
    for (const std::string& warning : CheckPointWarnings(file.Points, summary, area.Kept))
        io.Err << warning << '\n';

    const ReportHeading heading { area.Whole.Name, o.Direction,
        ExcludedNames(area.Whole.Points, area.Excluded) };
    io.Out << JoinLines(CheckReport(heading, file.Points, summary, digits, options->Tolerance));
    if (!summary.Worst)
        return ExitStatus::Failure;
    if (!options->Tolerance || ChecksOverTolerance(summary, *options->Tolerance).empty())
        return ExitStatus::Ok;
    return ExitStatus::Shortfall;
}

} // namespace

const VerbRow& VerifyVerb()
{
    static const VerbRow verb { "verify", "dokładność przeliczenia na punktach kontrolnych",
        "KONTROLNE.txt",
        "Przelicza punkty kontrolne (znane w obu układach, nie będące punktami dostosowania;\n"
        "\"-\": ze standardowego wejścia) transformacją z KATALOG/TRANSPKT.BIN (domyślnie\n"
        "bieżący katalog, a bez niego plik obok programu; --area: ten plik), kierunek lokalny ->\n"
        "krajowy (--to-local: odwrotnie), i wypisuje odchyłkę każdego punktu\n"
        "v = znane - przeliczone w milimetrach, odległość do najbliższego punktu dostosowania\n"
        "i położenie: w otoczce wypukłej punktów dostosowania, poza nią (w obszarze: punkty\n"
        "dostosowania + "
            + AreaMarginText()
            + ") albo poza obszarem. Dla punktów w obszarze, razem i osobno w otoczce\n"
              "i poza nią: średnie vx, vy, m_x, m_y, max i RMS.\n"
              "Plik: w każdej linii nazwa, x lok., y lok., x kraj., y kraj. (jak w plikach "
              "punktów,\n"
              "oddzielone spacjami lub tabulatorami); linie puste i zaczynające się od # są\n"
              "pomijane; linie nieczytelne są zgłaszane z numerem i pomijane. Tekst UTF-8 (jak w\n"
              "pack), a gdy nie jest poprawnym UTF-8, Windows-1250. Ostrzega, gdy punkt kontrolny\n"
              "jest też punktem dostosowania (ta sama nazwa lub położenie) i gdy nazwa się "
              "powtarza.\n",
        {
            DirOption(),
            AreaOption(),
            ToLocalOption(),
            DigitsOption("wyniki zaokrąglone do N miejsc (0-18) tak jak w pliku wynikowym; bez "
                         "tej opcji pełna dokładność"),
            ToleranceOption("status wyjścia 0, gdy każdy punkt w obszarze ma v <= MM, 3 gdy nie"),
            ExcludeOption("transformacja bez tych punktów dostosowania (plik bez zmian)"),
        },
        verify };
    return verb;
}

} // namespace vorida::cli
