#include "AreaReport.h"

#include "AreaText.h"
#include "AreaVerdicts.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <cmath>

namespace vorida {

void AppendCell(std::string& row, std::string_view text, size_t width)
{
    row += ' ';
    AppendRight(row, text, width);
}

void AppendName(std::string& row, std::string_view utf8, size_t width)
{
    size_t letters = 0;
    for (char c : utf8)
        letters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (letters < width)
        row.append(width - letters, ' ');
    row += utf8;
}

std::string DirectionLine(Direction direction)
{
    return FromNational(direction) ? "Kierunek: krajowy -> lokalny"
                                   : "Kierunek: lokalny -> krajowy";
}

std::string ExcludedNames(const TPktDostosowania& points, const std::vector<bool>& excluded)
{
    std::string names;
    for (size_t i = 0; i < points.size() && i < excluded.size(); ++i)
        if (excluded[i])
            names += (names.empty() ? "" : ", ") + Cp1250ToUtf8(points[i].Name);
    return names;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

namespace {

void addHeading(std::vector<std::string>& lines, const ReportHeading& heading)
{
    lines.push_back("Obszar: " + Cp1250ToUtf8(heading.AreaName));
    lines.push_back(DirectionLine(heading.Direction));
}

std::string residualHeader(size_t width)
{
    std::string header;
    AppendRight(header, "nazwa", 16);
    AppendCell(header, "vx [mm]", width);
    AppendCell(header, "vy [mm]", width);
    AppendCell(header, "v [mm]", width);
    return header;
}

} // namespace

// --- The fit ---------------------------------------------------------------------------------

std::string M0Line(const std::optional<Extended>& m0)
{
    return m0 ? "m0 = " + Millimetres(*m0) + " mm" : "m0 = -";
}

std::vector<std::string> FitReport(
    const ReportHeading& heading, const TTrKonfAf& t, const TPktDostosowania& kept)
{
    std::vector<std::string> lines;
    addHeading(lines, heading);
    lines.push_back(PointCountLine(static_cast<size_t>(t.PointCount)));
    if (!heading.Excluded.empty())
        lines.push_back("Wyłączone: " + heading.Excluded);
    lines.push_back(std::string("Układ osobliwy: ") + (t.Singular ? "tak" : "nie"));
    // Number cells of 10 characters with at least one blank before each.
    lines.push_back(residualHeader(9));
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
        std::string row;
        AppendName(row, Cp1250ToUtf8(kept[k - 1].Name), 16);
        AppendCell(row, Millimetres(vx), 9);
        AppendCell(row, Millimetres(vy), 9);
        AppendCell(row, Millimetres(std::sqrt(vx * vx + vy * vy)), 9);
        lines.push_back(row);
    }
    lines.push_back(M0Line(t.M0()));
    return lines;
}

// --- The leave-one-out screening -------------------------------------------------------------

namespace {

const char* statusText(const LooDiscrepancy& d)
{
    if (d.Failed)
        return "błąd obliczeń bez tego punktu";
    switch (d.Status) {
    case AreaFitStatus::Singular:
        return "układ osobliwy bez tego punktu";
    case AreaFitStatus::TooFewPositions:
    case AreaFitStatus::NoPoints:
        return "za mało położeń bez tego punktu";
    case AreaFitStatus::Fitted:
        break;
    }
    return "";
}

// One round's table: every point judged, its discrepancy, its threshold and its labels.
void addRoundTable(
    std::vector<std::string>& lines, const ScreeningRound& round, const TPktDostosowania& points)
{
    std::string header = residualHeader(10);
    AppendCell(header, "próg [mm]", 11); // "ó" takes two bytes
    AppendCell(header, "mwb [mm]", 10);
    lines.push_back(header);
    const LooResult& loo = round.Loo;
    for (size_t k = 0; k < round.Members.size(); ++k) {
        const LooDiscrepancy& d = loo.Points[k];
        std::string row;
        AppendName(row, Cp1250ToUtf8(points[round.Members[k]].Name), 16);
        if (d.Computed()) {
            AppendCell(row, Millimetres(d.Vx), 10);
            AppendCell(row, Millimetres(d.Vy), 10);
            AppendCell(row, Millimetres(d.V), 10);
            AppendCell(row, d.Threshold > 0.0L ? Millimetres(d.Threshold) : "-", 10);
            AppendCell(row, d.Detectable > 0.0L ? Millimetres(d.Detectable) : "-", 10);
            if (const std::string labels = LooLabels(round, points, k); !labels.empty())
                row += "  " + labels;
        } else {
            row += "  ";
            row += statusText(d);
        }
        lines.push_back(row);
    }
}

} // namespace

std::string LooLabels(const ScreeningRound& round, const TPktDostosowania& points, size_t k)
{
    const LooResult& loo = round.Loo;
    const LooDiscrepancy& d = loo.Points[k];
    std::string labels;
    auto add
        = [&labels](const std::string& label) { labels += (labels.empty() ? "" : ", ") + label; };
    if (d.Extrapolated)
        add("ekstrapolacja");
    if (loo.MostOver == k || (round.NamedWithIt && round.Members[k] == *round.NamedWithIt))
        add("błąd gruby?");
    else if (d.Blunder)
        add("ponad próg");
    if (d.Copies > 1)
        add("powtórzone położenie");
    if (d.Partner)
        add("pominięty razem z " + Cp1250ToUtf8(points[round.Members[*d.Partner]].Name));
    return labels;
}

std::string PointCountLine(size_t kept)
{
    return "Punktów dostosowania: " + std::to_string(kept);
}

std::string ExcludedLine(const std::string& names)
{
    return "Wyłączone z oceny: " + names;
}

std::vector<std::string> RoundFigures(const ScreeningRound& round, const TPktDostosowania& points)
{
    const LooResult& loo = round.Loo;
    if (!loo.Worst)
        return {};
    std::vector<std::string> names;
    for (size_t i : round.Members)
        names.push_back(Cp1250ToUtf8(points[i].Name));
    std::vector<std::string> lines;
    lines.push_back("RMS v = " + Millimetres(loo.Rms) + " mm ("
        + CountOf(static_cast<std::int64_t>(loo.Computed), "punkt", "punkty", "punktów") + ")");
    lines.push_back("Największa: " + names[*loo.Worst]
        + ", v = " + Millimetres(loo.Points[*loo.Worst].V) + " mm");
    for (std::string& line : ScreeningSummary(loo, names))
        lines.push_back(std::move(line));
    for (std::string& line : VerdictLines(loo, names))
        lines.push_back(std::move(line));
    return lines;
}

namespace {

// The names of the points named so far, in the order named (UTF-8, ", ").
std::string namedBefore(const Screening& screening, const TPktDostosowania& points, size_t rounds)
{
    std::string named;
    for (size_t r = 0; r < rounds && r < screening.Rounds.size(); ++r)
        for (const auto& n :
            { screening.Rounds[r].NamedAsBlunder, screening.Rounds[r].NamedWithIt })
            if (n)
                named += (named.empty() ? "" : ", ") + Cp1250ToUtf8(points[*n].Name);
    return named;
}

} // namespace

std::string RoundTitle(const Screening& screening, const TPktDostosowania& points, size_t r)
{
    const std::string named = namedBefore(screening, points, r);
    return "Runda " + std::to_string(r + 1)
        + (named.empty() ? std::string(": wszystkie punkty") : ": bez " + named);
}

std::vector<std::string> ScreeningVerdict(
    const Screening& screening, const TPktDostosowania& points, Extended tolerance)
{
    std::vector<std::string> lines;
    if (!screening.Complete)
        lines.push_back("Ocena przerwana: zostało mniej niż "
            + std::to_string(kMinimumPointsForLeaveOneOut) + " punktów.");
    const std::string named = namedBefore(screening, points, screening.Rounds.size());
    lines.push_back("Prawdopodobne błędy grube (" + BlunderRuleText(tolerance)
        + ", po jednym): " + (named.empty() ? "brak" : named));
    return lines;
}

std::string TooFewForScreeningText(size_t n)
{
    return "Za mało punktów dostosowania: odchyłki przy pominięciu punktu wymagają co najmniej "
        + std::to_string(kMinimumPointsForLeaveOneOut) + " punktów (jest " + std::to_string(n)
        + ").";
}

bool FirstRoundFailed(const Screening& screening)
{
    return screening.Rounds.empty() || !screening.Rounds.front().Loo.Worst;
}

std::vector<std::string> ScreeningHeading(
    const ReportHeading& heading, size_t kept, Extended tolerance)
{
    std::vector<std::string> lines;
    addHeading(lines, heading);
    lines.push_back(PointCountLine(kept));
    if (!heading.Excluded.empty())
        lines.push_back(ExcludedLine(heading.Excluded));
    lines.push_back("Próg punktu: " + BlunderRuleText(tolerance)
        + " (s: spodziewane odchylenie punktu); \"ekstrapolacja\": punkt poza otoczką wypukłą "
          "pozostałych");
    return lines;
}

std::vector<std::string> ScreeningRounds(
    const Screening& screening, const TPktDostosowania& points, Extended tolerance)
{
    std::vector<std::string> lines;
    lines.push_back("Odchyłki przy pominięciu punktu, v = znane - przeliczone z pozostałych:");
    for (size_t r = 0; r < screening.Rounds.size(); ++r) {
        const ScreeningRound& round = screening.Rounds[r];
        if (screening.Rounds.size() > 1)
            lines.push_back(RoundTitle(screening, points, r));
        addRoundTable(lines, round, points);
        for (std::string& line : RoundFigures(round, points))
            lines.push_back(std::move(line));
        if (r == 0 && !round.Loo.Worst) {
            lines.push_back("Żadnej odchyłki nie udało się obliczyć.");
            return lines;
        }
    }
    for (std::string& line : ScreeningVerdict(screening, points, tolerance))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> ScreeningReport(const ReportHeading& heading, const Screening& screening,
    const TPktDostosowania& points, size_t kept, Extended tolerance)
{
    std::vector<std::string> lines = ScreeningHeading(heading, kept, tolerance);
    for (std::string& line : ScreeningRounds(screening, points, tolerance))
        lines.push_back(std::move(line));
    return lines;
}

// --- The check points ------------------------------------------------------------------------

std::string CheckPlace(const CheckDifference& d)
{
    return !d.Inside ? "poza obszarem" : d.InsideHull ? "w otoczce" : "poza otoczką";
}

std::string CheckCountLine(size_t checks, const CheckSummary& summary)
{
    return "Punkty kontrolne: " + std::to_string(checks) + ", w obszarze "
        + std::to_string(summary.Inside) + " (w otoczce punktów dostosowania "
        + std::to_string(summary.Hull.Count) + ", poza nią " + std::to_string(summary.Beyond.Count)
        + ")";
}

namespace {

std::string statistics(
    const char* label, const CheckStatistics& s, const std::vector<CheckPoint>& checks)
{
    std::string line = std::string(label) + " (" + std::to_string(s.Count) + ")";
    if (s.Count == 0 || !s.Worst)
        return line + ": brak";
    return line + ": max " + Millimetres(s.Max, 2) + " mm (" + Cp1250ToUtf8(checks[*s.Worst].Name)
        + "), RMS " + Millimetres(s.Rms, 2) + " mm; średnio vx " + Millimetres(s.MeanVx, 2)
        + ", vy " + Millimetres(s.MeanVy, 2) + " mm; m_x " + Millimetres(s.Mx, 2) + ", m_y "
        + Millimetres(s.My, 2) + " mm";
}

} // namespace

std::vector<std::string> CheckFigures(
    const CheckSummary& summary, const std::vector<CheckPoint>& checks)
{
    if (!summary.Worst)
        return { "W obszarze: brak punktów kontrolnych" };
    return {
        "W obszarze (" + std::to_string(summary.Inside) + "): max " + Millimetres(summary.Max, 2)
            + " mm (" + Cp1250ToUtf8(checks[*summary.Worst].Name) + "), RMS "
            + Millimetres(summary.Rms, 2) + " mm",
        "  średnio vx " + Millimetres(summary.Area.MeanVx, 2) + ", vy "
            + Millimetres(summary.Area.MeanVy, 2) + " mm; m_x " + Millimetres(summary.Area.Mx, 2)
            + ", m_y " + Millimetres(summary.Area.My, 2) + " mm",
        statistics("W otoczce punktów dostosowania", summary.Hull, checks),
        statistics("Poza otoczką, w obszarze", summary.Beyond, checks),
    };
}

std::vector<size_t> ChecksOverTolerance(const CheckSummary& summary, Extended tolerance)
{
    std::vector<size_t> over;
    for (size_t i = 0; i < summary.Points.size(); ++i) {
        const CheckDifference& d = summary.Points[i];
        if (d.Inside && !d.Failed && d.V > tolerance)
            over.push_back(i);
    }
    return over;
}

std::string UnreadableCheckLine(std::int64_t line)
{
    return "Linia " + std::to_string(line) + ": nieczytelny punkt kontrolny, pominięty";
}

std::vector<std::string> CheckReport(const ReportHeading& heading,
    const std::vector<CheckPoint>& checks, const CheckSummary& summary, std::optional<int> digits,
    std::optional<Extended> tolerance)
{
    std::vector<std::string> lines;
    addHeading(lines, heading);
    if (!heading.Excluded.empty())
        lines.push_back("Bez punktów dostosowania: " + heading.Excluded);
    lines.push_back(CheckCountLine(checks.size(), summary));
    lines.push_back("Wyniki: "
        + (digits ? "zaokrąglone do " + std::to_string(*digits) + " miejsc"
                  : std::string("pełna dokładność"))
        + "; v = znane - przeliczone; odl.: do najbliższego punktu dostosowania");
    std::string header;
    AppendRight(header, "nazwa", 16);
    AppendCell(header, "vx [mm]", 10);
    AppendCell(header, "vy [mm]", 10);
    AppendCell(header, "v [mm]", 10);
    AppendCell(header, "odl. [m]", 10);
    lines.push_back(header + "  położenie");
    const std::vector<size_t> over
        = tolerance ? ChecksOverTolerance(summary, *tolerance) : std::vector<size_t> {};
    size_t nextOver = 0;
    for (size_t i = 0; i < checks.size(); ++i) {
        const CheckDifference& d = summary.Points[i];
        std::string row;
        AppendName(row, Cp1250ToUtf8(checks[i].Name), 16);
        if (d.Failed) {
            row += "  błąd obliczeń";
        } else {
            AppendCell(row, Millimetres(d.Vx, 2), 10);
            AppendCell(row, Millimetres(d.Vy, 2), 10);
            AppendCell(row, Millimetres(d.V, 2), 10);
            AppendCell(row, FormatDecimals(d.Nearest, 1), 10);
        }
        row += "  " + CheckPlace(d);
        if (nextOver < over.size() && over[nextOver] == i) {
            row += ", ponad tolerancję";
            ++nextOver;
        }
        lines.push_back(row);
    }
    const std::vector<std::string> figures = CheckFigures(summary, checks);
    lines.insert(lines.end(), figures.begin(), figures.end());
    if (!summary.Worst || !tolerance)
        return lines;
    std::string names;
    for (size_t i : over)
        names += (names.empty() ? "" : ", ") + Cp1250ToUtf8(checks[i].Name);
    lines.push_back("Tolerancja " + PlainNumber(*tolerance * 1000.0L, 1)
        + " mm: " + (over.empty() ? "spełniona" : "przekroczona: " + names));
    return lines;
}

} // namespace vorida
