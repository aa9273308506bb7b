#include "LeaveOneOut.h"

#include "DistortionSwing.h"
#include "ExpectedSpread.h"
#include "LeftOutTogether.h"
#include "LooDowndate.h"
#include "OrderedWorkers.h"
#include "Run.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numeric>

namespace vorida {

namespace {

// What the fits without each point share: the set, the direction, the groups left out
// together (LeftOutTogether.h), the model
// of the expected spread and the whole set's fit to downdate.
struct LooInput
{
    const TPktDostosowania& Points;
    vorida::Direction Direction;
    const std::vector<std::vector<size_t>>& With; // per point: the points left out with it
    const ExpectedSpread& Spread;
    const LooDowndate& Downdate;
    ScreeningProgress* Progress = nullptr;
};

void setSpread(const ExpectedSpread& spread, size_t i, LooDiscrepancy& d)
{
    if (const std::optional<ExpectedSpread::PointSpread> s = spread.Of(i)) {
        d.Factor = s->Factor;
        d.Shown = s->Shown;
    }
}

// σ of the fit t on the members (indices into the whole set): its m0, the root of the sum of
// the squared residuals over the redundancy 2m − 8.
Extended reducedNoise(const TTrKonfAf& t, const std::vector<size_t>& members)
{
    const size_t m = members.size();
    if (2 * m <= 8)
        return 0.0L;
    Extended sum = 0.0L;
    for (size_t k = 1; k <= m; ++k)
        sum = sum + (t.ResidualX[k] * t.ResidualX[k] + t.ResidualY[k] * t.ResidualY[k]);
    return std::sqrt(sum / static_cast<Extended>(2 * m - 8));
}

// The discrepancy of point i converted with t, fitted on reduced, whose points are members
// of the whole set.
void discrepancy(const LooInput& in, const TPktDostosowania& reduced,
    const std::vector<size_t>& members, size_t i, TTrKonfAf& t, LooDiscrepancy& d)
{
    const TPkt& p = in.Points[i];
    const Direction direction = in.Direction;
    try {
        d.Status = FitArea(t, reduced, direction);
        if (d.Status != AreaFitStatus::Fitted)
            return;
        Extended outX = 0.0L, outY = 0.0L;
        t.TransformPoint(outX, outY, FromNational(direction) ? p.NationalX : p.LocalX,
            FromNational(direction) ? p.NationalY : p.LocalY);
        static_cast<Discrepancy&>(d)
            = DiscrepancyOf(FromNational(direction) ? p.LocalX : p.NationalX,
                FromNational(direction) ? p.LocalY : p.NationalY, outX, outY);
        setSpread(in.Spread, i, d);
        d.Sigma = reducedNoise(t, members);
        ThrowOnFloatingPointFlags();
    } catch (const FloatingPointError&) {
        d = LooDiscrepancy {};
        d.Failed = true;
    }
}

// The discrepancies of points[first..last) into out, each from the fit without the point and
// its copies.
void computeRange(const LooInput& in, size_t first, size_t last, std::vector<LooDiscrepancy>& out)
{
    if (first >= last)
        return;
    const TPktDostosowania& points = in.Points;
    // The set without point i is points[0..i-1] followed by points[i+1..]. Going from i to
    // i + 1 changes one entry: position i gets point i back.
    TPktDostosowania reduced;
    reduced.reserve(points.size() - 1);
    for (size_t k = 0; k < points.size(); ++k)
        if (k != first)
            reduced.push_back(points[k]);
    std::vector<size_t> members;
    for (size_t k = 0; k < points.size(); ++k)
        if (k != first)
            members.push_back(k);
    TTrKonfAf t;
    for (size_t i = first; i < last; ++i) {
        if (in.Progress && !in.Progress->Step())
            throw ScreeningCancelled("Przerwano");
        if (i > first) {
            reduced[i - 1] = points[i - 1];
            members[i - 1] = i - 1;
        }
        if (const std::optional<DowndatedPoint> fast = in.Downdate.Without(i, in.With[i])) {
            static_cast<Discrepancy&>(out[i]) = fast->Loo;
            setSpread(in.Spread, i, out[i]);
            out[i].Sigma = fast->Sigma;
            continue;
        }
        if (in.With[i].size() == 1) {
            discrepancy(in, reduced, members, i, t, out[i]);
            continue;
        }
        TPktDostosowania others;
        std::vector<size_t> kept;
        for (size_t k = 0; k < points.size(); ++k)
            if (!std::binary_search(in.With[i].begin(), in.With[i].end(), k)) {
                others.push_back(points[k]);
                kept.push_back(k);
            }
        discrepancy(in, others, kept, i, t, out[i]);
    }
}

unsigned threadCount(unsigned requested, size_t points)
{
    // A thread costs more than a few small fits.
    const size_t useful = std::max<size_t>(1, points / 32);
    return static_cast<unsigned>(std::min<size_t>(RunWorkers(requested), useful));
}

// Every discrepancy, in stretches of the points: the calling thread takes the first, the run's
// workers the others. Where the system refuses a thread, those started take its stretch, and
// without any the calling thread takes them all.
void computeAll(const LooInput& in, unsigned threads, std::vector<LooDiscrepancy>& out)
{
    const size_t size = in.Points.size();
    const size_t n = threadCount(threads, size);
    if (n <= 1) {
        computeRange(in, 0, size, out);
        return;
    }
    std::vector<std::exception_ptr> failures(n);
    auto stretch = [&](size_t slot) {
        // Our own errors and the library's (no memory) go to the caller, which tells them
        // apart; nothing else is thrown here.
        try {
            computeRange(in, size * slot / n, size * (slot + 1) / n, out);
        } catch (const std::exception&) {
            failures[slot] = std::current_exception();
        }
    };
    {
        OrderedWorkers workers(n - 1, n, [&](size_t, size_t slot) { stretch(slot); });
        if (workers.Threads() == 0) {
            for (size_t slot = 0; slot < n; ++slot)
                stretch(slot);
        } else {
            for (size_t slot = 1; slot < n; ++slot)
                workers.Submit(slot);
            stretch(0);
            for (size_t slot = 1; slot < n; ++slot)
                workers.Wait(slot);
        }
    }
    for (const std::exception_ptr& f : failures)
        if (f)
            std::rethrow_exception(f);
}

// (b - a) x (c - a): positive when a, b, c turn to the left.
Extended cross(Extended ax, Extended ay, Extended bx, Extended by, Extended cx, Extended cy)
{
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// The indices of the vertices of the convex hull of the positions (strict corners only), in
// counter-clockwise order; the two ends of a set on one line; nothing for fewer than two
// distinct positions.
std::vector<size_t> hullVertices(const std::vector<Extended>& x, const std::vector<Extended>& y)
{
    std::vector<size_t> order(x.size());
    std::iota(order.begin(), order.end(), size_t { 0 });
    std::sort(order.begin(), order.end(),
        [&](size_t a, size_t b) { return x[a] < x[b] || (x[a] == x[b] && y[a] < y[b]); });
    order.erase(std::unique(order.begin(), order.end(),
                    [&](size_t a, size_t b) { return x[a] == x[b] && y[a] == y[b]; }),
        order.end());
    if (order.size() < 2)
        return {};
    std::vector<size_t> hull(2 * order.size());
    size_t k = 0;
    auto turnsRight = [&](size_t p) {
        return cross(x[hull[k - 2]], y[hull[k - 2]], x[hull[k - 1]], y[hull[k - 1]], x[p], y[p])
            <= 0.0L;
    };
    for (size_t p : order) {
        while (k >= 2 && turnsRight(p))
            --k;
        hull[k++] = p;
    }
    const size_t lower = k + 1;
    for (size_t j = order.size() - 1; j-- > 0;) {
        while (k >= lower && turnsRight(order[j]))
            --k;
        hull[k++] = order[j];
    }
    hull.resize(k - 1);
    return hull;
}

} // namespace

std::vector<bool> OutsideHullOfOthers(
    const std::vector<Extended>& x, const std::vector<Extended>& y)
{
    std::vector<bool> outside(x.size(), false);
    for (size_t v : hullVertices(x, y)) {
        bool shared = false;
        for (size_t i = 0; i < x.size() && !shared; ++i)
            shared = i != v && x[i] == x[v] && y[i] == y[v];
        outside[v] = !shared;
    }
    return outside;
}

bool InsideHull(
    const std::vector<Extended>& px, const std::vector<Extended>& py, Extended x, Extended y)
{
    const std::vector<size_t> hull = hullVertices(px, py);
    if (hull.size() < 3) { // a point, a segment: on it only
        if (hull.empty())
            return !px.empty() && px[0] == x && py[0] == y;
        const size_t a = hull[0], b = hull[1];
        return cross(px[a], py[a], px[b], py[b], x, y) == 0.0L && std::min(px[a], px[b]) <= x
            && x <= std::max(px[a], px[b]) && std::min(py[a], py[b]) <= y
            && y <= std::max(py[a], py[b]);
    }
    for (size_t k = 0; k < hull.size(); ++k) {
        const size_t a = hull[k], b = hull[(k + 1) % hull.size()];
        if (cross(px[a], py[a], px[b], py[b], x, y) < 0.0L)
            return false;
    }
    return true;
}

Extended SpreadMultiple(size_t n, size_t leftOut)
{
    const size_t kept = n > leftOut ? n - leftOut : 0;
    const Extended nu = static_cast<Extended>(kept > 4 ? 2 * kept - 8 : 1);
    const Extended alpha = kAreaFalseAlarm / static_cast<Extended>(n);
    return std::sqrt(nu * (std::pow(alpha, -2.0L / nu) - 1.0L));
}

std::vector<size_t> CopiesOf(const std::vector<Extended>& x, const std::vector<Extended>& y)
{
    std::vector<size_t> copyOf(x.size());
    std::iota(copyOf.begin(), copyOf.end(), size_t { 0 });
    // A position that is no finite number is nobody's copy.
    std::vector<size_t> order;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::isfinite(x[i]) && std::isfinite(y[i]))
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });
    auto root = [&copyOf](size_t i) {
        while (copyOf[i] != i)
            i = copyOf[i];
        return i;
    };
    // Compared without a difference of two large coordinates, which could overflow.
    auto near
        = [](Extended a, Extended b) { return b <= a + kSamePosition && a <= b + kSamePosition; };
    for (size_t a = 0; a < order.size(); ++a)
        for (size_t b = a + 1; b < order.size() && near(x[order[a]], x[order[b]]); ++b) {
            const size_t i = order[a], j = order[b];
            if (!near(y[i], y[j]))
                continue;
            const Extended dx = x[j] - x[i], dy = y[j] - y[i];
            if (dx * dx + dy * dy <= kSamePosition * kSamePosition) {
                const size_t ri = root(i), rj = root(j);
                copyOf[std::max(ri, rj)] = std::min(ri, rj);
            }
        }
    for (size_t i = 0; i < copyOf.size(); ++i)
        copyOf[i] = root(i);
    return copyOf;
}

namespace {

// The median of q (not empty); q is sorted.
Extended medianOf(std::vector<Extended>& q)
{
    std::sort(q.begin(), q.end());
    const size_t h = q.size() / 2;
    return q.size() % 2 == 1 ? q[h] : (q[h - 1] + q[h]) / 2.0L;
}

// σ of the area: the median of the σ₍ᵢ₎.
Extended areaNoise(const std::vector<LooDiscrepancy>& points)
{
    std::vector<Extended> q;
    for (const LooDiscrepancy& d : points)
        if (d.Computed())
            q.push_back(d.Sigma);
    return q.empty() ? 0.0L : medianOf(q);
}

// The spread of the extrapolated points as the area shows it. Beyond the last points a smooth
// distortion that no cubic follows swings further than independent errors would, and the
// model's sᵢ cannot know by how much; the other extrapolated points of the area can. Each of
// their squared standardised discrepancies vⱼ² / sⱼ² is χ² with 2 degrees of freedom under the
// model, of median 2 ln 2; the median over the others (a blunder among them moves it little;
// the point's own never counts) against that gives the variance factor of the extrapolated
// points (a variance component of that group of observations), never below 1. With fewer than
// kMinimumHullOthers others it is 1.
constexpr size_t kMinimumHullOthers = 3;

void scaleExtrapolatedSpreads(std::vector<LooDiscrepancy>& points)
{
    std::vector<size_t> hull;
    for (size_t i = 0; i < points.size(); ++i)
        if (points[i].Computed() && points[i].Extrapolated && points[i].Spread > 0.0L)
            hull.push_back(i);
    if (hull.size() <= kMinimumHullOthers)
        return;
    const Extended chiSquaredMedian = 2.0L * std::log(2.0L);
    std::vector<Extended> ratios;
    for (size_t i : hull)
        ratios.push_back(
            points[i].V * points[i].V / (points[i].Spread * points[i].Spread) / chiSquaredMedian);
    std::vector<Extended> others;
    for (size_t k = 0; k < hull.size(); ++k) {
        others.clear();
        for (size_t j = 0; j < hull.size(); ++j)
            if (j != k)
                others.push_back(ratios[j]);
        const Extended median = medianOf(others);
        if (median > 1.0L)
            points[hull[k]].Spread = points[hull[k]].Spread * std::sqrt(median);
    }
}

// Each computed point against its threshold; the point most over.
void judge(LooResult& result, Extended tolerance, const SwingInput& area)
{
    result.Judged = true;
    result.Sigma = areaNoise(result.Points);
    result.Multiple = SpreadMultiple(result.Computed);
    for (LooDiscrepancy& d : result.Points)
        if (d.Computed())
            d.Spread = d.Factor && *d.Factor > 0.0L ? d.Sigma * std::sqrt(*d.Factor) : 0.0L;
    // The model's spread with the distortion's swing at the point's isolation
    // (DistortionSwing.h), or the extrapolated points' own, whichever is larger.
    const std::vector<Extended> swing = SwingVariance(area, result.Points);
    std::vector<Extended> withSwing(result.Points.size());
    for (size_t i = 0; i < withSwing.size(); ++i) {
        const Extended s = result.Points[i].Spread;
        withSwing[i] = std::sqrt(s * s + swing[i]);
    }
    // In a smaller area a blunder enters every other fit with a large weight, so the other
    // extrapolated points' discrepancies carry it and their median would raise its own
    // threshold; their variance factor is not known well enough there (the weak screening).
    if (result.Computed >= kWeakScreeningBelow)
        scaleExtrapolatedSpreads(result.Points);
    for (size_t i = 0; i < withSwing.size(); ++i)
        result.Points[i].Spread = std::max(result.Points[i].Spread, withSwing[i]);
    Extended mostOver = 0.0L;
    for (size_t i = 0; i < result.Points.size(); ++i) {
        LooDiscrepancy& d = result.Points[i];
        // The fit without the point and those left out with it must keep a check on the cubic,
        // or its σ₍ᵢ₎ is not known; k counts the checks it keeps.
        const size_t leftOut = d.LeftOut;
        if (!d.Computed() || result.Computed < leftOut + kMinimumPointsForLeaveOneOut)
            continue;
        const Extended k
            = leftOut == 1 ? result.Multiple : SpreadMultiple(result.Computed, leftOut);
        d.Threshold = std::max({ k * d.Spread, tolerance, kBlunderFloor });
        // A blunder shared with the closest neighbour shows only in part (ExpectedSpread.h).
        d.Detectable = (d.Threshold + kDetectionQuantile * d.Spread) / std::max(d.Shown, 1e-6L);
        d.Blunder = d.V > d.Threshold;
        // Of the points over, the one largest against its own spread is named (the largest
        // standardised discrepancy: a blunder raises its neighbours' discrepancies less than
        // its own, each on its scale).
        const Extended standardised = d.V / (d.Spread + 1e-12L);
        if (d.Blunder && (!result.MostOver || standardised > mostOver)) {
            mostOver = standardised;
            result.MostOver = i;
        }
    }
}

} // namespace

LooResult LooDiscrepancies(const TPktDostosowania& points, Direction direction, unsigned threads,
    std::vector<std::vector<size_t>>* with, ScreeningProgress* progress)
{
    if (points.size() < kMinimumPointsForLeaveOneOut)
        throw ScreeningError("Za mało punktów dostosowania");
    std::vector<Extended> sx, sy;
    for (const TPkt& p : points) {
        sx.push_back(FromNational(direction) ? p.NationalX : p.LocalX);
        sy.push_back(FromNational(direction) ? p.NationalY : p.LocalY);
    }
    LeftOutTogether groups = GroupsLeftOutTogether(points, direction);
    const ExpectedSpread spread(points, direction, groups.With);
    const LooDowndate downdate(points, direction, groups.Copies);
    LooResult result;
    result.Points.resize(points.size());
    computeAll(
        { points, direction, groups.With, spread, downdate, progress }, threads, result.Points);
    for (size_t i = 0; i < points.size(); ++i) {
        result.Points[i].Copies = groups.Copies[i];
        result.Points[i].Partner = groups.Partner[i];
        result.Points[i].LeftOut = groups.With[i].size();
    }

    const std::vector<bool> outside = OutsideHullOfOthers(sx, sy);
    Extended sum = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        LooDiscrepancy& d = result.Points[i];
        d.Extrapolated = outside[i];
        if (!d.Computed())
            continue;
        ++result.Computed;
        sum = sum + d.V * d.V;
        if (!result.Worst || d.V > result.Points[*result.Worst].V)
            result.Worst = i;
    }
    if (result.Computed > 0)
        result.Rms = std::sqrt(sum / static_cast<Extended>(result.Computed));
    if (with)
        *with = std::move(groups.With);
    return result;
}

LooResult LeaveOneOut(const TPktDostosowania& points, Direction direction, Extended tolerance,
    unsigned threads, ScreeningProgress* progress)
{
    std::vector<std::vector<size_t>> with;
    LooResult result = LooDiscrepancies(points, direction, threads, &with, progress);
    if (points.size() >= kMinimumPointsJudged && result.Computed >= 2)
        judge(result, tolerance, { points, direction, with });
    return result;
}

Screening ScreenBlunders(const TPktDostosowania& points, Direction direction,
    const std::vector<bool>& excluded, Extended tolerance, unsigned threads,
    ScreeningProgress* progress)
{
    std::vector<size_t> members;
    for (size_t i = 0; i < points.size(); ++i)
        if (excluded.empty() || !excluded[i])
            members.push_back(i);
    if (members.size() < kMinimumPointsForLeaveOneOut)
        throw ScreeningError("Za mało punktów dostosowania");
    Screening s;
    for (;;) {
        if (members.size() < kMinimumPointsForLeaveOneOut) {
            s.Complete = false;
            return s;
        }
        TPktDostosowania set;
        set.reserve(members.size());
        for (size_t i : members)
            set.push_back(points[i]);
        ScreeningRound round;
        if (progress)
            progress->StartRound(s.Rounds.size(), set.size());
        round.Loo = LeaveOneOut(set, direction, tolerance, threads, progress);
        round.Members = members;
        if (const std::optional<size_t> k = round.Loo.MostOver) {
            round.NamedAsBlunder = members[*k];
            s.Blunders.push_back(*round.NamedAsBlunder);
            const std::optional<size_t> j = round.Loo.Points[*k].Partner;
            if (j && round.Loo.Points[*j].Partner == k && round.Loo.Points[*j].Blunder) {
                round.NamedWithIt = members[*j];
                s.Blunders.push_back(*round.NamedWithIt);
                members.erase(members.begin() + static_cast<std::ptrdiff_t>(std::max(*j, *k)));
                members.erase(members.begin() + static_cast<std::ptrdiff_t>(std::min(*j, *k)));
            } else {
                members.erase(members.begin() + static_cast<std::ptrdiff_t>(*k));
            }
        }
        const bool done = !round.NamedAsBlunder;
        s.Rounds.push_back(std::move(round));
        if (done)
            return s;
    }
}

} // namespace vorida
