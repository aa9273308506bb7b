#include "LeftOutTogether.h"

#include "LeaveOneOut.h"

#include <algorithm>
#include <array>
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

// Per point: its close neighbours (target system; points alone at their position only), the
// closest first: the neighbour that takes at least kNeighbourShare of the point's correction,
// then of what the others left take, and so on, at most kMostLeftOutWith and so many that the
// fit without them keeps a check on the cubic.
std::vector<std::vector<size_t>> closeNeighbours(const std::vector<Extended>& tx,
    const std::vector<Extended>& ty, const std::vector<size_t>& copies)
{
    const size_t n = tx.size();
    std::vector<std::vector<size_t>> close(n);
    constexpr size_t kept = kMostLeftOutWith + 1;
    for (size_t i = 0; i < n; ++i) {
        if (copies[i] > 1)
            continue;
        Extended total = 0.0L;
        // The largest weights, largest first.
        std::array<Extended, kept> largest {};
        std::array<size_t, kept> who {};
        for (size_t j = 0; j < n; ++j) {
            if (j == i)
                continue;
            const Extended dx = tx[j] - tx[i], dy = ty[j] - ty[i];
            const Extended w = 1.0L / ((dx * dx + dy * dy) + kCorrectionDistanceFloor);
            total = total + w;
            for (size_t k = 0; k < kept; ++k)
                if (w > largest[k]) {
                    for (size_t m = kept - 1; m > k; --m) {
                        largest[m] = largest[m - 1];
                        who[m] = who[m - 1];
                    }
                    largest[k] = w;
                    who[k] = j;
                    break;
                }
        }
        for (size_t k = 0; k < kMostLeftOutWith && largest[k] > 0.0L; ++k) {
            if (copies[who[k]] > 1 || largest[k] < kNeighbourShare * total
                || n < kMinimumPointsForLeaveOneOut + k + 2)
                break;
            close[i].push_back(who[k]);
            total = total - largest[k];
        }
    }
    return close;
}

} // namespace

LeftOutTogether GroupsLeftOutTogether(const TPktDostosowania& points, Direction direction)
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
    g.With.resize(n);
    for (size_t i = 0; i < n; ++i)
        g.With[rootOf(link, i)].push_back(i); // the copies, in increasing order
    for (size_t i = 0; i < n; ++i) {
        if (g.With[i].empty())
            g.With[i] = g.With[rootOf(link, i)];
    }
    g.Partner.resize(n);
    const std::vector<std::vector<size_t>> close = closeNeighbours(
        FromNational(direction) ? lx : nx, FromNational(direction) ? ly : ny, g.Copies);
    for (size_t i = 0; i < n; ++i) {
        if (close[i].empty())
            continue; // i has no copy, nor have its close neighbours
        g.Partner[i] = close[i].front();
        g.With[i] = close[i];
        g.With[i].push_back(i);
        std::sort(g.With[i].begin(), g.With[i].end());
    }
    return g;
}

} // namespace vorida
