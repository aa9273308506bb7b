#include "AreaOptions.h"

#include "AreaText.h"
#include "AreaWarnings.h"
#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "Numbers.h"
#include "Run.h"

#include <iostream>

namespace vorida::cli {

std::optional<AreaOptions> ReadAreaOptions(VerbStreams& io, const VerbRow& verb, const Options& o)
{
    AreaOptions area;
    Extended number = 0.0L;
    if (o.Tolerance) {
        if (!ParseCoordinate(*o.Tolerance, number) || !(number >= 0.0L) || number > 1.0e6L) {
            Usage(io, verb, "Niepoprawna tolerancja (mm): " + *o.Tolerance);
            return std::nullopt;
        }
        area.Tolerance = number / 1000.0L;
    }
    if (o.Scale) {
        if (!ParseCoordinate(*o.Scale, number) || !(number >= 1.0L) || number > 1.0e9L) {
            Usage(io, verb, "Niepoprawna skala mapy (mianownik 1:N): " + *o.Scale);
            return std::nullopt;
        }
        area.Scale = number;
    }
    area.Center = o.Center;
    for (const std::string& value : o.Exclude) {
        // Names are separated by commas; "\," is a comma within a name and "\\" a backslash.
        std::string one;
        for (size_t k = 0; k <= value.size(); ++k) {
            if (k < value.size() && value[k] == '\\' && k + 1 < value.size()
                && (value[k + 1] == ',' || value[k + 1] == '\\')) {
                one += value[++k];
                continue;
            }
            if (k < value.size() && value[k] != ',') {
                one += value[k];
                continue;
            }
            if (one.empty()) {
                Usage(io, verb, "Pusta nazwa w --exclude: " + value);
                return std::nullopt;
            }
            area.Exclude.push_back(std::move(one));
            one.clear();
        }
    }
    return area;
}

ExitStatus ComputationFailed(VerbStreams& io, const Error& e)
{
    io.Err << ComputationFailureText(e.what()) << '\n';
    return ExitStatus::Failure;
}

ExitStatus PrepareArea(VerbStreams& io, const Options& o, const AreaOptions& options,
    Direction direction, PreparedArea& area)
{
    if (!LoadArea(io, o, area.Whole))
        return ExitStatus::Failure;
    const TPktDostosowania& points = area.Whole.Points;
    if (!MarkExcluded(io, points, options.Exclude, area.Excluded))
        return ExitStatus::Usage;
    area.Kept = WithoutExcluded(points, area.Excluded);
    try {
        // The run's refusals, in its words; a coordinate that is not a number fails the whole
        // set here, once.
        const AreaFitStatus status = FitArea(area.Fit, area.Kept, direction);
        if (status != AreaFitStatus::Fitted) {
            io.Err << RefusalText(status, area.Whole.Path) << '\n';
            return ExitStatus::Failure;
        }
        for (const std::string& warning : AreaWarnings(points, area.Whole.SystemCode))
            io.Err << warning << '\n';
    } catch (const Error& e) {
        return ComputationFailed(io, e);
    }
    return ExitStatus::Ok;
}

bool MarkExcluded(VerbStreams& io, const TPktDostosowania& points,
    const std::vector<std::string>& names, std::vector<bool>& excluded)
{
    excluded.assign(points.size(), false);
    for (const std::string& name : names) {
        const std::string cp1250 = Utf8ToCp1250(name, '?');
        bool found = false;
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].Name == cp1250) {
                excluded[i] = true;
                found = true;
            }
        if (!found) {
            io.Err << "Nie ma punktu dostosowania o nazwie " << name << " (--exclude)\n";
            return false;
        }
    }
    return true;
}

TPktDostosowania WithoutExcluded(const TPktDostosowania& points, const std::vector<bool>& excluded)
{
    TPktDostosowania kept;
    for (size_t i = 0; i < points.size(); ++i)
        if (excluded.empty() || !excluded[i])
            kept.push_back(points[i]);
    return kept;
}

} // namespace vorida::cli
