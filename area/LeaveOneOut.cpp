#include "LeaveOneOut.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numeric>
#include <thread>

namespace vorida {

namespace {

// The discrepancies of points[first..last) into out, each from the fit without the point.
void computeRange(const TPktDostosowania& points, bool reverse, size_t first, size_t last,
    std::vector<LooDiscrepancy>& out)
{
    if (first >= last)
        return;
    // The set without point i is points[0..i-1] followed by points[i+1..]. Going from i to
    // i + 1 changes one entry: position i gets point i back.
    TPktDostosowania reduced;
    reduced.reserve(points.size() - 1);
    for (size_t k = 0; k < points.size(); ++k)
        if (k != first)
            reduced.push_back(points[k]);
    TTrKonfAf t;
    for (size_t i = first; i < last; ++i) {
        if (i > first)
            reduced[i - 1] = points[i - 1];
        LooDiscrepancy& d = out[i];
        const TPkt& p = points[i];
        try {
            d.Status = FitArea(t, reduced, reverse);
            if (d.Status != AreaFitStatus::Fitted)
                continue;
            Extended outX = 0.0L, outY = 0.0L;
            t.TransformPoint(
                outX, outY, reverse ? p.NationalX : p.LocalX, reverse ? p.NationalY : p.LocalY);
            static_cast<Discrepancy&>(d) = DiscrepancyOf(
                reverse ? p.LocalX : p.NationalX, reverse ? p.LocalY : p.NationalY, outX, outY);
        } catch (const FloatingPointError&) {
            d = LooDiscrepancy {};
            d.Failed = true;
        }
    }
}

unsigned threadCount(unsigned requested, size_t points)
{
    unsigned n = requested;
    if (n == 0)
        n = std::clamp(std::thread::hardware_concurrency(), 1u, kMaximumAreaThreads);
    // A thread costs more than a few small fits.
    const size_t useful = std::max<size_t>(1, points / 32);
    return static_cast<unsigned>(std::min<size_t>(n, useful));
}

// Every discrepancy, on threads that each take one stretch of the points.
void computeAll(const TPktDostosowania& points, bool reverse, unsigned threads,
    std::vector<LooDiscrepancy>& out)
{
    const unsigned n = threadCount(threads, points.size());
    if (n <= 1) {
        computeRange(points, reverse, 0, points.size(), out);
        return;
    }
    std::vector<std::thread> workers;
    std::vector<std::exception_ptr> failures(n);
    const size_t size = points.size();
    for (unsigned w = 1; w < n; ++w)
        workers.emplace_back([&, w] {
            try {
                computeRange(points, reverse, size * w / n, size * (w + 1) / n, out);
            } catch (...) {
                failures[w] = std::current_exception();
            }
        });
    try {
        computeRange(points, reverse, 0, size / n, out);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& t : workers)
        t.join();
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

LooResult LeaveOneOut(
    const TPktDostosowania& points, bool reverse, Extended tolerance, unsigned threads)
{
    if (points.size() < kMinimumPointsForLeaveOneOut)
        throw ScreeningError("Za mało punktów dostosowania");
    LooResult result;
    result.Points.resize(points.size());
    computeAll(points, reverse, threads, result.Points);

    std::vector<Extended> sx, sy;
    for (const TPkt& p : points) {
        sx.push_back(reverse ? p.NationalX : p.LocalX);
        sy.push_back(reverse ? p.NationalY : p.LocalY);
    }
    const std::vector<bool> outside = OutsideHullOfOthers(sx, sy);

    Extended sum = 0.0L;
    size_t inside = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        LooDiscrepancy& d = result.Points[i];
        d.Extrapolated = outside[i];
        if (!d.Computed())
            continue;
        ++result.Computed;
        inside += d.Extrapolated ? 0 : 1;
        sum = sum + d.V * d.V;
        if (!result.Worst || d.V > result.Points[*result.Worst].V)
            result.Worst = i;
    }
    if (result.Computed > 0)
        result.Rms = std::sqrt(sum / static_cast<Extended>(result.Computed));
    if (result.Computed < 2)
        return result;
    // The scale of a point is the RMS of the others inside the hull; with fewer than two of
    // them (a set mostly on its hull), of all the others.
    const bool insideOnly = inside >= 3;
    // Of the points over, the one with the largest discrepancy is named: a blunder inflates its
    // neighbours' discrepancies (the fits without them hold it, and the correction spreads its
    // residual onto them), but never beyond its own; judged by the ratio to the threshold, an
    // inside neighbour of an extrapolated blunder, whose threshold is the lower, would come
    // first.
    Extended mostOver = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        LooDiscrepancy& d = result.Points[i];
        if (!d.Computed())
            continue;
        // The others' sum of squares directly, not as a difference: no cancellation.
        Extended others = 0.0L;
        size_t count = 0;
        for (const LooDiscrepancy& e : result.Points)
            if (&e != &d && e.Computed() && (!insideOnly || !e.Extrapolated)) {
                others = others + e.V * e.V;
                ++count;
            }
        d.RmsOfOthers = std::sqrt(others / static_cast<Extended>(count));
        const Extended factor = d.Extrapolated ? kExtrapolatedFactor : kBlunderFactor;
        const Extended floor
            = d.Extrapolated ? kExtrapolatedToleranceFactor * tolerance : tolerance;
        d.Threshold = std::max({ factor * d.RmsOfOthers, floor, kBlunderFloor });
        d.Blunder = d.V > d.Threshold;
        if (d.Blunder && (!result.MostOver || d.V > mostOver)) {
            mostOver = d.V;
            result.MostOver = i;
        }
    }
    return result;
}

Screening ScreenBlunders(const TPktDostosowania& points, bool reverse,
    const std::vector<bool>& excluded, Extended tolerance, unsigned threads)
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
        round.Loo = LeaveOneOut(set, reverse, tolerance, threads);
        round.Members = members;
        if (round.Loo.MostOver) {
            round.Named = members[*round.Loo.MostOver];
            s.Blunders.push_back(*round.Named);
            members.erase(members.begin() + static_cast<std::ptrdiff_t>(*round.Loo.MostOver));
        }
        const bool done = !round.Named;
        s.Rounds.push_back(std::move(round));
        if (done)
            return s;
    }
}

} // namespace vorida
