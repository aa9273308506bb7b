#include "AreaVerdicts.h"

#include "Numbers.h"

#include <algorithm>
#include <cmath>

namespace vorida {

namespace {

std::string millimetres(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 1) + " mm";
}

Extended medianOf(std::vector<Extended> q)
{
    std::sort(q.begin(), q.end());
    const size_t h = q.size() / 2;
    return q.size() % 2 == 1 ? q[h] : (q[h - 1] + q[h]) / 2.0L;
}

// A point's v² against what the model's spread makes its median (2 ln 2 · σ₍ᵢ₎² fᵢ).
std::optional<Extended> modelRatio(const LooDiscrepancy& d)
{
    if (!d.Computed() || d.Blunder || !d.Factor || !(*d.Factor > 0.0L) || !(d.Sigma > 0.0L))
        return std::nullopt;
    return d.V * d.V / (d.Sigma * d.Sigma * *d.Factor * 2.0L * std::log(2.0L));
}

} // namespace

Deformation DeformationOf(const LooResult& loo)
{
    Deformation out;
    std::vector<Extended> all, edge;
    for (const LooDiscrepancy& d : loo.Points)
        if (const std::optional<Extended> r = modelRatio(d)) {
            all.push_back(*r);
            if (d.Extrapolated)
                edge.push_back(*r);
        }
    if (!loo.Judged || all.size() < kDeformationFrom)
        return out;
    out.Factor = medianOf(all);
    if (edge.size() > 3)
        out.EdgeFactor = medianOf(edge);
    for (size_t i = 0; i < loo.Points.size(); ++i) {
        const std::optional<Extended> r = modelRatio(loo.Points[i]);
        if (r && *r >= kDeformedFactor * out.Factor && *r >= kDeformedFactor
            && loo.Points[i].V > loo.Rms)
            out.Strongest.push_back(i);
    }
    std::sort(out.Strongest.begin(), out.Strongest.end(),
        [&](size_t a, size_t b) { return loo.Points[a].V > loo.Points[b].V; });
    return out;
}

std::vector<std::string> VerdictLines(const LooResult& loo, const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    if (!loo.Judged) {
        lines.push_back("Ocena niemożliwa: przy " + std::to_string(loo.Points.size())
            + " punktach dopasowanie bez punktu ma tyle równań, ile wielomian ma parametrów (8), "
              "i żadnego sprawdzenia: szum obszaru jest nieznany, więc żaden punkt nie jest "
              "wskazywany, a mwb nie jest znany (ocena od "
            + std::to_string(kMinimumPointsJudged) + " punktów)");
        return lines;
    }
    const Deformation d = DeformationOf(loo);
    const bool whole = d.Factor >= kDeformedFactor, edge = d.EdgeFactor >= kDeformedFactor;
    if (!whole && !edge)
        return lines;
    std::string line = "Odkształcenie sieci: odchyłki ";
    line += whole ? "punktów obszaru" : "punktów na skraju (ekstrapolacja)";
    line += " są " + FormatDecimals(std::sqrt(whole ? d.Factor : d.EdgeFactor), 1)
        + " razy większe, niż szum obszaru tłumaczy";
    if (edge)
        line += " (progi punktów na skraju są o tyle większe)";
    if (whole && edge)
        line += ", na skraju " + FormatDecimals(std::sqrt(d.EdgeFactor), 1) + " razy";
    lines.push_back(line);
    if (d.Strongest.empty())
        return lines;
    std::string where;
    Extended squares = 0.0L;
    constexpr size_t kListed = 10;
    for (size_t k = 0; k < d.Strongest.size(); ++k) {
        const LooDiscrepancy& p = loo.Points[d.Strongest[k]];
        squares = squares + p.V * p.V;
        if (k < kListed)
            where += (k > 0 ? ", " : "") + names[d.Strongest[k]] + " (" + millimetres(p.V) + ")";
    }
    if (d.Strongest.size() > kListed)
        where += " i " + std::to_string(d.Strongest.size() - kListed) + " innych";
    lines.push_back("Najsilniej odstają (poniżej progu): " + where + "; RMS v tam "
        + millimetres(std::sqrt(squares / static_cast<Extended>(d.Strongest.size()))));
    return lines;
}

} // namespace vorida
