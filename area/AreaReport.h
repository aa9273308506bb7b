// The lines of the area tools' reports (UTF-8, without the end of line), over what the
// analysis holds: the fit's residuals, the leave-one-out screening with its rounds and figures,
// the check points' table and statistics. The command-line verbs print them, the area window
// shows, saves and prints them: each phrase is written here once.
#pragma once

#include "CheckPoints.h"
#include "Direction.h"
#include "LeaveOneOut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {

// A table cell: a blank, then text right-aligned in width columns, so that wide values never
// run together.
void AppendCell(std::string& row, std::string_view text, size_t width);
// The first cell of a row: a name (UTF-8) right-aligned in width characters, a Polish letter
// counting once. A name may hold blanks: a reader takes the cells after it from the right.
void AppendName(std::string& row, std::string_view utf8, size_t width);

// The direction: "Kierunek: lokalny -> krajowy" or "Kierunek: krajowy -> lokalny".
std::string DirectionLine(Direction direction);

// What every report opens with: the area and the direction.
struct ReportHeading
{
    std::string AreaName; // Windows-1250 bytes, as the area file holds it
    vorida::Direction Direction = Direction::LocalToNational;
    std::string Excluded; // the names of the adjustment points left out (UTF-8, ", "); or empty
};

// The names (UTF-8) of the points marked in excluded, joined by ", ".
std::string ExcludedNames(const TPktDostosowania& points, const std::vector<bool>& excluded);

// --- The fit ---------------------------------------------------------------------------------

// The fit t on kept: the heading, whether it is singular, each residual and m0.
std::vector<std::string> FitReport(
    const ReportHeading& heading, const TTrKonfAf& t, const TPktDostosowania& kept);

// "m0 = 12.3 mm", or "m0 = -" when the fit leaves no redundancy.
std::string M0Line(const std::optional<Extended>& m0);

// --- The leave-one-out screening -------------------------------------------------------------

// The labels of point k of a round ("ekstrapolacja, błąd gruby?", "pominięty razem z 1013");
// empty for none.
std::string LooLabels(const ScreeningRound& round, const TPktDostosowania& points, size_t k);

// The count of the points kept: "Punktów dostosowania: 35".
std::string PointCountLine(size_t kept);
// The points left out of the judgement: "Wyłączone z oceny: 1013, 1019".
std::string ExcludedLine(const std::string& names);

// The figures after a round's table (RMS, the largest, the noise, the detectable blunders);
// none when no discrepancy was computed. points: the whole set the round's members index.
std::vector<std::string> RoundFigures(const ScreeningRound& round, const TPktDostosowania& points);

// The title of round r (from 0) of a screening of several rounds: "Runda 2: bez 1019" (the
// points named before it), "Runda 1: wszystkie punkty".
std::string RoundTitle(const Screening& screening, const TPktDostosowania& points, size_t r);

// The lines that close a screening: that it stopped early, and the likely blunders in the order
// named ("brak" for none).
std::vector<std::string> ScreeningVerdict(
    const Screening& screening, const TPktDostosowania& points, Extended tolerance);

// Why an area of n points kept is not screened.
std::string TooFewForScreeningText(size_t n);

// The report of the screening (as `fit --loo` prints it) in two parts: the heading with the
// points kept and the rule; then every round's table and figures and the verdict. A first round
// without any discrepancy ends the report with its line (FirstRoundFailed).
std::vector<std::string> ScreeningHeading(
    const ReportHeading& heading, size_t kept, Extended tolerance);
std::vector<std::string> ScreeningRounds(
    const Screening& screening, const TPktDostosowania& points, Extended tolerance);
// Both parts.
std::vector<std::string> ScreeningReport(const ReportHeading& heading, const Screening& screening,
    const TPktDostosowania& points, size_t kept, Extended tolerance);

// The first round computed no discrepancy at all: the screening says nothing.
bool FirstRoundFailed(const Screening& screening);

// --- The check points ------------------------------------------------------------------------

// The place of a check point: "w otoczce", "poza otoczką", "poza obszarem".
std::string CheckPlace(const CheckDifference& d);

// "Punkty kontrolne: 10, w obszarze 10 (w otoczce punktów dostosowania 10, poza nią 0)".
std::string CheckCountLine(size_t checks, const CheckSummary& summary);

// The statistics of the check points inside the area (together, in the hull, beyond it), or
// the line that there are none.
std::vector<std::string> CheckFigures(
    const CheckSummary& summary, const std::vector<CheckPoint>& checks);

// The check points inside the area whose v exceeds tolerance (metres), in their order.
std::vector<size_t> ChecksOverTolerance(const CheckSummary& summary, Extended tolerance);

// The warning of a line of a check-point file that holds no readable check point.
std::string UnreadableCheckLine(std::int64_t line);

// The whole report of a comparison with check points (as `verify` prints it): digits as the
// points were rounded (none: full accuracy), tolerance when a verdict is asked (metres).
std::vector<std::string> CheckReport(const ReportHeading& heading,
    const std::vector<CheckPoint>& checks, const CheckSummary& summary, std::optional<int> digits,
    std::optional<Extended> tolerance);

// Lines as text: each followed by "\n".
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace vorida
