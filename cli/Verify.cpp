// vorida-cli verify: the conversion measured on check points.
#include "AreaOptions.h"
#include "Common.h"

#include "AreaText.h"
#include "AreaWarnings.h"

#include "AreaFit.h"
#include "CheckPoints.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <iostream>

namespace vorida::cli {

namespace {

void printStatistics(
    VerbStreams& io, const char* label, const CheckStatistics& s, const CheckPointFile& file)
{
    io.Out << label << " (" << s.Count << ")";
    if (s.Count == 0 || !s.Worst) {
        io.Out << ": brak\n";
        return;
    }
    io.Out << ": max " << millimetres(s.Max, 2) << " mm ("
           << Cp1250ToUtf8(file.Points[*s.Worst].Name) << "), RMS " << millimetres(s.Rms, 2)
           << " mm; średnio vx " << millimetres(s.MeanVx, 2) << ", vy " << millimetres(s.MeanVy, 2)
           << " mm; m_x " << millimetres(s.Mx, 2) << ", m_y " << millimetres(s.My, 2) << " mm\n";
}

// The table: every check point's discrepancy and position, and (with a tolerance) the names of
// the points inside the area over it.
std::vector<std::string> printPoints(VerbStreams& io, const CheckPointFile& file,
    const CheckSummary& summary, const std::optional<Extended>& tolerance)
{
    std::string header;
    AppendRight(header, "nazwa", 16);
    appendCell(header, "vx [mm]", 10);
    appendCell(header, "vy [mm]", 10);
    appendCell(header, "v [mm]", 10);
    appendCell(header, "odl. [m]", 10);
    header += "  położenie";
    io.Out << header << '\n';
    std::vector<std::string> failing;
    for (size_t i = 0; i < file.Points.size(); ++i) {
        const CheckDifference& d = summary.Points[i];
        std::string row;
        appendName(row, Cp1250ToUtf8(file.Points[i].Name), 16);
        if (d.Failed) {
            row += "  błąd obliczeń";
        } else {
            appendCell(row, millimetres(d.Vx, 2), 10);
            appendCell(row, millimetres(d.Vy, 2), 10);
            appendCell(row, millimetres(d.V, 2), 10);
            appendCell(row, FormatDecimals(d.Nearest, 1), 10);
        }
        row += !d.Inside ? "  poza obszarem" : d.InsideHull ? "  w otoczce" : "  poza otoczką";
        if (tolerance && d.Inside && !d.Failed && d.V > *tolerance) {
            row += ", ponad tolerancję";
            failing.push_back(Cp1250ToUtf8(file.Points[i].Name));
        }
        io.Out << row << '\n';
    }
    return failing;
}

// The figures of the points inside the area, together and by hull.
void printSummary(VerbStreams& io, const CheckPointFile& file, const CheckSummary& summary)
{
    io.Out << "W obszarze (" << summary.Inside << "): max " << millimetres(summary.Max, 2)
           << " mm (" << Cp1250ToUtf8(file.Points[*summary.Worst].Name) << "), RMS "
           << millimetres(summary.Rms, 2) << " mm\n";
    io.Out << "  średnio vx " << millimetres(summary.Area.MeanVx, 2) << ", vy "
           << millimetres(summary.Area.MeanVy, 2) << " mm; m_x " << millimetres(summary.Area.Mx, 2)
           << ", m_y " << millimetres(summary.Area.My, 2) << " mm\n";
    printStatistics(io, "W otoczce punktów dostosowania", summary.Hull, file);
    printStatistics(io, "Poza otoczką, w obszarze", summary.Beyond, file);
}

ExitStatus verify(VerbStreams& io, const Options& o)
{
    const VerbSpec& verb = verifyVerb();
    const auto options = readAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (o.Operands.size() != 1)
        return usage(io, verb, "Podaj jeden plik punktów kontrolnych.");
    std::optional<int> digits;
    if (o.Digits) {
        auto d = ParseInt32(*o.Digits);
        if (!d || *d < 0 || *d > kMaxDecimals)
            return usage(io, verb, "Niepoprawna liczba miejsc: " + *o.Digits);
        digits = *d;
    }
    PreparedArea area;
    if (const ExitStatus status = prepareArea(io, o, *options, !o.ToLocal, area);
        status != ExitStatus::Ok)
        return status;
    CheckPointFile file;
    if (!readCheckPointFile(io, o.Operands[0], file))
        return ExitStatus::Failure;
    CheckSummary summary;
    try {
        summary = CompareCheckPoints(
            area.Fit, file.Points, o.ToLocal, ComputeAreaExtents(area.Kept), digits);
    } catch (const Error& e) {
        return computationFailed(io, e);
    }
    for (const std::string& warning : CheckPointWarnings(file.Points, summary, area.Kept))
        io.Err << warning << '\n';

    io.Out << "Obszar: " << Cp1250ToUtf8(area.Whole.Name) << '\n';
    io.Out << "Kierunek: " << (o.ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    if (!options->Exclude.empty())
        io.Out << "Bez punktów dostosowania: " << excludedNames(area.Whole.Points, area.Excluded)
               << '\n';
    io.Out << "Punkty kontrolne: " << file.Points.size() << ", w obszarze " << summary.Inside
           << " (w otoczce punktów dostosowania " << summary.Hull.Count << ", poza nią "
           << summary.Beyond.Count << ")\n";
    io.Out << "Wyniki: "
           << (digits ? "zaokrąglone do " + std::to_string(*digits) + " miejsc"
                      : std::string("pełna dokładność"))
           << "; v = znane - przeliczone; odl.: do najbliższego punktu dostosowania\n";
    const std::vector<std::string> failing = printPoints(io, file, summary, options->Tolerance);
    if (!summary.Worst) {
        io.Out << "W obszarze: brak punktów kontrolnych\n";
        return ExitStatus::Failure;
    }
    printSummary(io, file, summary);
    if (!options->Tolerance)
        return ExitStatus::Ok;
    std::string names;
    for (const std::string& n : failing)
        names += (names.empty() ? "" : ", ") + n;
    io.Out << "Tolerancja " << PlainNumber(*options->Tolerance * 1000.0L, 1)
           << " mm: " << (failing.empty() ? "spełniona" : "przekroczona: " + names) << '\n';
    return failing.empty() ? ExitStatus::Ok : ExitStatus::Shortfall;
}

} // namespace

const VerbSpec& verifyVerb()
{
    static const VerbSpec verb { "verify", "dokładność przeliczenia na punktach kontrolnych",
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
            dirOption(),
            areaOption(),
            toLocalOption(),
            digitsOption("wyniki zaokrąglone do N miejsc (0-18) tak jak w pliku wynikowym; bez "
                         "tej opcji pełna dokładność"),
            toleranceOption("status wyjścia 0, gdy każdy punkt w obszarze ma v <= MM, 3 gdy nie"),
            excludeOption("transformacja bez tych punktów dostosowania (plik bez zmian)"),
        },
        verify };
    return verb;
}

} // namespace vorida::cli
