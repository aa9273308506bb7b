#include "LeftOutTogether.h"

#include "LeaveOneOut.h"

#include <numeric>

namespace vorida {

namespace {

// The first point of i's set, through the links to smaller indices.
size_t rootOf(std::vector<size_t>& link, size_t i)
{
    while (link[i] != i)
        i = link[i];
    return i;
}

void join(std::vector<size_t>& link, size_t a, size_t b)
{
    const size_t ra = rootOf(link, a), rb = rootOf(link, b);
    link[std::max(ra, rb)] = std::min(ra, rb);
}

// Per point: the neighbour whose correction weight is at least kNeighbourShare of all the
// others' (target system; points alone at their position only).
std::vector<std::optional<size_t>> dominantNeighbours(const std::vector<Extended>& tx,
    const std::vector<Extended>& ty, const std::vector<size_t>& copies)
{
    const size_t n = tx.size();
    std::vector<std::optional<size_t>> dominant(n);
    for (size_t i = 0; i < n; ++i) {
        if (copies[i] > 1)
            continue;
        Extended total = 0.0L, largest = 0.0L;
        size_t best = i;
        for (size_t j = 0; j < n; ++j) {
            if (j == i)
                continue;
            const Extended dx = tx[j] - tx[i], dy = ty[j] - ty[i];
            const Extended w = 1.0L / ((dx * dx + dy * dy) + kCorrectionDistanceFloor);
            total = total + w;
            if (w > largest) {
                largest = w;
                best = j;
            }
        }
        if (best != i && copies[best] == 1 && largest >= kNeighbourShare * total)
            dominant[i] = best;
    }
    return dominant;
}

} // namespace

LeftOutTogether GroupsLeftOutTogether(const TPktDostosowania& points, bool reverse)
{
    const size_t n = points.size();
    std::vector<Extended> lx, ly, nx, ny;
    for (const TPkt& p : points) {
        lx.push_back(p.LocalX);
        ly.push_back(p.LocalY);
        nx.push_back(p.NationalX);
        ny.push_back(p.NationalY);
    }
    LeftOutTogether g;
    std::vector<size_t> link(n);
    std::iota(link.begin(), link.end(), size_t { 0 });
    for (const std::vector<size_t>& copyOf : { CopiesOf(lx, ly), CopiesOf(nx, ny) })
        for (size_t i = 0; i < n; ++i)
            join(link, i, copyOf[i]);
    g.Copies.assign(n, 0);
    for (size_t i = 0; i < n; ++i)
        ++g.Copies[rootOf(link, i)];
    for (size_t i = 0; i < n; ++i)
        g.Copies[i] = g.Copies[rootOf(link, i)];
    g.Partner = dominantNeighbours(reverse ? lx : nx, reverse ? ly : ny, g.Copies);
    g.With.resize(n);
    for (size_t i = 0; i < n; ++i)
        g.With[rootOf(link, i)].push_back(i); // the copies, in increasing order
    for (size_t i = 0; i < n; ++i) {
        if (g.With[i].empty())
            g.With[i] = g.With[rootOf(link, i)];
    }
    // The fit without the point and its neighbour must keep a check on the cubic, or the point
    // is converted as leave-one-out does, neighbour and all.
    for (size_t i = 0; i < n; ++i) {
        if (n < kMinimumPointsForLeaveOneOut + 2)
            g.Partner[i].reset();
        if (const std::optional<size_t> j = g.Partner[i]) // i has no copy, nor has j
            g.With[i] = { std::min(i, *j), std::max(i, *j) };
    }
    return g;
}

} // namespace vorida
