// What the "Kontrola obszaru" window shows of an area, computed by the area tools exactly as the
// command-line verbs call them: the fit and its residuals and m0 as `fit`, the leave-one-out
// screening as `fit --loo`, the check points as `verify`, the picture as `plot`, each with the
// same options (the points left out as --exclude). Nothing here is computed a second way; the
// texts are the verbs' own words and decimals.
#pragma once

#include "AreaPicture.h"
#include "CheckPoints.h"
#include "Direction.h"
#include "LeaveOneOut.h"
#include "UTransPkt.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorida::obszar {

// An area file as read: its name, national system and adjustment points.
struct AreaFile
{
    std::string Path; // as given (UTF-8 on Windows)
    std::string Name; // Windows-1250 bytes
    std::int32_t SystemCode = 0;
    TPktDostosowania Points;
};

// Reads an area file; nothing, with the reason in error (UTF-8), when it cannot be read.
std::optional<AreaFile> ReadAreaFile(const std::string& path, std::string& error);

// What the user chose: the direction, the points left out, the tolerance.
struct CheckOptions
{
    vorida::Direction Direction = Direction::LocalToNational;
    std::vector<bool> Excluded; // per adjustment point; empty: none
    Extended Tolerance = kDefaultTolerance;
};

// Flags of an adjustment point.
enum PointFlag : unsigned {
    kNamedBlunder = 1, // named a likely blunder in the round shown or before it
    kExtrapolated = 2, // outside the convex hull of the others
    kRepeated = 4, // its position is listed more than once
    kOverThreshold = 8, // over its threshold in the round shown
};

// One adjustment point's row of the table; figures absent where not computed.
struct PointRow
{
    std::string Name; // UTF-8
    bool Excluded = false;
    std::optional<Discrepancy> Residual; // of the fit on the points kept
    // Of the round shown; of a point named in an earlier round, of the round that named it.
    std::optional<LooDiscrepancy> Loo;
    unsigned Flags = 0;
    // The verb's labels in that round (LooLabels), "ekstrapolacja, błąd gruby?", and the round
    // in which the point was named when it is another.
    std::string FlagText;
    std::optional<size_t> NamedIn; // the round (from 0) that named the point a likely blunder
};

struct AreaCheck
{
    std::string Refusal; // the run's words when the fit is refused; else empty
    std::vector<PointRow> Rows; // every adjustment point, in the file's order
    std::optional<Extended> M0;
    std::optional<Screening> Screened; // absent when refused or too few points
    size_t Round = 0; // the round of the screening shown, from 0
    // The lines of the summary (UTF-8): the area's, the round shown's (its title when there
    // are several, its figures), the verdict.
    std::vector<std::string> Summary, RoundLines, Verdict;
    std::vector<std::string> Warnings; // what the verbs print on standard error
    std::optional<CheckSummary> Checks; // with check points and a usable fit
    std::optional<AreaPicture> Picture; // the picture of `plot`, absent when refused
};

// Everything the window shows; checks may be empty. Throws nothing: a failed arithmetic ends
// in Refusal. progress, when given, follows the screening and can cancel it (the result is
// then a Refusal to drop).
AreaCheck ComputeAreaCheck(const AreaFile& area, const CheckOptions& options,
    const std::vector<CheckPoint>& checks, const std::vector<std::int64_t>& unreadableChecks,
    ScreeningProgress* progress = nullptr);

// Shows round r of the screening (the last one when r is past it) in the rows and RoundLines.
void ShowRound(AreaCheck& check, const AreaFile& area, size_t r);

// A coordinate as the table shows it, with three decimals.
std::string Coordinate(Extended metres);

} // namespace vorida::obszar
