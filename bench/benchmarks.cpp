// Micro-benchmarks of the run's hot spots: TransformPoint and its Hausbrandt loop, Fit, the
// conversion of coordinate words, fixed-point formatting and the splitting of point lines.
//
// The Hausbrandt loop is compared per (point x adjustment point) with two loops written here:
//   BareLoop           the same extended arithmetic in the same order, its operands loaded
//                      from plain double arrays (one 8-byte load each): the cost floor of the
//                      arithmetic itself;
//   ExtendedArrayLoop  the textbook loop over the four extended arrays (10-byte loads).
// bench/run.sh reports HausbrandtLoop / BareLoop at P = 10, 100 and 1000.
#include "Numbers.h"
#include "UNITtrk.h"
#include "UTrKonfAf.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorida;

namespace {

// SplitMix64: a fixed, portable sequence, so every run measures the same data.
class Sequence
{
public:
    explicit Sequence(std::uint64_t seed) : state_(seed) { }
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high), rounded to the millimetre as a survey lists coordinates.
    Extended Coordinate(Extended low, Extended high)
    {
        const Extended unit = static_cast<Extended>(Next() >> 11) / 9007199254740992.0L;
        const Extended mm = static_cast<Extended>(
            static_cast<std::int64_t>((low + (high - low) * unit) * 1000.0L));
        return mm / 1000.0L;
    }

private:
    std::uint64_t state_;
};

// The area of bench/generate.py: local x 26000-34000, y 17000-23000 (x the northing).
constexpr Extended kX0 = 30000.0L, kY0 = 20000.0L, kHalfX = 4000.0L, kHalfY = 3000.0L;

// The fixed complex cubic of bench/generate.py, plus up to 3 mm of noise.
TPkt NationalOf(Sequence& s, std::string name, Extended x, Extended y)
{
    const Extended zr = x - kX0, zi = y - kY0;
    const Extended c[4][2] = { { 5852000.0L, 6482000.0L }, { 0.99991L, 0.0123L },
        { 2.1e-9L, -1.3e-9L }, { 4.0e-14L, 2.5e-14L } };
    Extended re = c[0][0], im = c[0][1], pr = 1.0L, pi = 0.0L;
    for (int k = 1; k <= 3; ++k) {
        const Extended nr = pr * zr - pi * zi, ni = pr * zi + pi * zr;
        pr = nr;
        pi = ni;
        re += c[k][0] * pr - c[k][1] * pi;
        im += c[k][0] * pi + c[k][1] * pr;
    }
    return TPkt { std::move(name), x, y, re + s.Coordinate(-0.003L, 0.003L),
        im + s.Coordinate(-0.003L, 0.003L) };
}

// P adjustment points spread over the area.
TPktDostosowania AdjustmentSet(int count)
{
    Sequence s(2000 + static_cast<std::uint64_t>(count));
    TPktDostosowania points;
    for (int i = 0; i < count; ++i) {
        const Extended x = s.Coordinate(kX0 - kHalfX, kX0 + kHalfX);
        const Extended y = s.Coordinate(kY0 - kHalfY, kY0 + kHalfY);
        std::string name = "D";
        name += std::to_string(i + 1);
        points.push_back(NationalOf(s, std::move(name), x, y));
    }
    return points;
}

// Points to transform: inside the area, 4096 of them (a power of two for cheap cycling).
struct Queries
{
    std::vector<Extended> X, Y;
};
const Queries& QueryPoints()
{
    static const Queries q = [] {
        Queries r;
        Sequence s(7);
        for (int i = 0; i < 4096; ++i) {
            r.X.push_back(s.Coordinate(kX0 - kHalfX, kX0 + kHalfX));
            r.Y.push_back(s.Coordinate(kY0 - kHalfY, kY0 + kHalfY));
        }
        return r;
    }();
    return q;
}

TTrKonfAf FittedOn(int count)
{
    TTrKonfAf t;
    t.Fit(AdjustmentSet(count), 3, false, 1);
    return t;
}

// Time per (point x adjustment point) as the counter "per_pair".
void CountPairs(benchmark::State& state, int pointCount)
{
    state.counters["per_pair"] = benchmark::Counter(static_cast<double>(pointCount),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TransformPoint(benchmark::State& state)
{
    const int p = static_cast<int>(state.range(0));
    TTrKonfAf t = FittedOn(p);
    const Queries& q = QueryPoints();
    size_t i = 0;
    for (auto _ : state) {
        Extended x, y;
        t.TransformPoint(x, y, q.X[i], q.Y[i]);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        i = (i + 1) & 4095;
    }
    CountPairs(state, p);
}
BENCHMARK(BM_TransformPoint)->Arg(10)->Arg(100)->Arg(1000);

// Uncorrected results (the national positions) of the query points, as the loop receives them.
Queries TargetsOf(const Queries& q)
{
    Queries r;
    Sequence s(11);
    for (size_t i = 0; i < q.X.size(); ++i) {
        const TPkt p = NationalOf(s, "", q.X[i], q.Y[i]);
        r.X.push_back(p.NationalX);
        r.Y.push_back(p.NationalY);
    }
    return r;
}

void BM_HausbrandtLoop(benchmark::State& state)
{
    const int p = static_cast<int>(state.range(0));
    TTrKonfAf t = FittedOn(p);
    const Queries targets = TargetsOf(QueryPoints());
    size_t i = 0;
    for (auto _ : state) {
        t.HausbrandtCorrection(targets.X[i], targets.Y[i]);
        benchmark::DoNotOptimize(t.CorrectionX);
        benchmark::DoNotOptimize(t.CorrectionY);
        i = (i + 1) & 4095;
    }
    CountPairs(state, p);
}
BENCHMARK(BM_HausbrandtLoop)->Arg(10)->Arg(100)->Arg(1000);

void BM_ExtendedArrayLoop(benchmark::State& state)
{
    const int p = static_cast<int>(state.range(0));
    const TTrKonfAf t = FittedOn(p);
    const Queries targets = TargetsOf(QueryPoints());
    const Extended* tx = t.TargetX.data();
    const Extended* ty = t.TargetY.data();
    const Extended* rx = t.ResidualX.data();
    const Extended* ry = t.ResidualY.data();
    size_t k = 0;
    for (auto _ : state) {
        const Extended Xt = targets.X[k], Yt = targets.Y[k];
        Extended SX = 0.0L, SY = 0.0L, W = 0.0L;
        for (int i = 1; i <= p; ++i) {
            const Extended dx = tx[i] - Xt;
            const Extended dy = ty[i] - Yt;
            const Extended w = 1.0L / ((dx * dx + dy * dy) + 1e-9L);
            SX = rx[i] * w + SX;
            SY = ry[i] * w + SY;
            W = W + w;
        }
        Extended cx = SX / W, cy = SY / W;
        benchmark::DoNotOptimize(cx);
        benchmark::DoNotOptimize(cy);
        k = (k + 1) & 4095;
    }
    CountPairs(state, p);
}
BENCHMARK(BM_ExtendedArrayLoop)->Arg(10)->Arg(100)->Arg(1000);

void BM_BareLoop(benchmark::State& state)
{
    const int p = static_cast<int>(state.range(0));
    const TTrKonfAf t = FittedOn(p);
    const Queries targets = TargetsOf(QueryPoints());
    // The operands rounded to double: other values, the same amount of arithmetic.
    std::vector<double> tx, ty, rx, ry;
    for (size_t i = 1; i <= static_cast<size_t>(p); ++i) {
        tx.push_back(static_cast<double>(t.TargetX[i]));
        ty.push_back(static_cast<double>(t.TargetY[i]));
        rx.push_back(static_cast<double>(t.ResidualX[i]));
        ry.push_back(static_cast<double>(t.ResidualY[i]));
    }
    size_t k = 0;
    for (auto _ : state) {
        const Extended Xt = targets.X[k], Yt = targets.Y[k];
        Extended SX = 0.0L, SY = 0.0L, W = 0.0L;
        for (size_t i = 0; i < tx.size(); ++i) {
            const Extended dx = static_cast<Extended>(tx[i]) - Xt;
            const Extended dy = static_cast<Extended>(ty[i]) - Yt;
            const Extended w = 1.0L / ((dx * dx + dy * dy) + 1e-9L);
            SX = static_cast<Extended>(rx[i]) * w + SX;
            SY = static_cast<Extended>(ry[i]) * w + SY;
            W = W + w;
        }
        Extended cx = SX / W, cy = SY / W;
        benchmark::DoNotOptimize(cx);
        benchmark::DoNotOptimize(cy);
        k = (k + 1) & 4095;
    }
    CountPairs(state, p);
}
BENCHMARK(BM_BareLoop)->Arg(10)->Arg(100)->Arg(1000);

void BM_Fit(benchmark::State& state)
{
    const TPktDostosowania points = AdjustmentSet(static_cast<int>(state.range(0)));
    TTrKonfAf t;
    for (auto _ : state) {
        t.Fit(points, 3, false, 1);
        benchmark::DoNotOptimize(t.Coefficients.data());
    }
}
BENCHMARK(BM_Fit)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Coordinate words as surveyors write them: 2 to 4 decimals, local and national magnitudes.
std::vector<std::string> CoordinateWords()
{
    std::vector<std::string> words;
    Sequence s(3);
    for (int i = 0; i < 4096; ++i) {
        const Extended v
            = (i & 1) ? s.Coordinate(5000000.0L, 6600000.0L) : s.Coordinate(17000.0L, 34000.0L);
        words.push_back(FormatDecimals(v, 2 + i % 3));
    }
    return words;
}

void BM_ParseCoordinate(benchmark::State& state)
{
    const std::vector<std::string> words = CoordinateWords();
    size_t i = 0;
    for (auto _ : state) {
        Extended v;
        benchmark::DoNotOptimize(ParseCoordinate(words[i], v));
        benchmark::DoNotOptimize(v);
        i = (i + 1) & 4095;
    }
}
BENCHMARK(BM_ParseCoordinate);

// Words the fast path declines (25 significant digits): the correctly rounded general path.
void BM_ParseCoordinateLongWords(benchmark::State& state)
{
    std::vector<std::string> words = CoordinateWords();
    for (std::string& w : words)
        w += "123456789012";
    size_t i = 0;
    for (auto _ : state) {
        Extended v;
        benchmark::DoNotOptimize(ParseCoordinate(words[i], v));
        benchmark::DoNotOptimize(v);
        i = (i + 1) & 4095;
    }
}
BENCHMARK(BM_ParseCoordinateLongWords);

std::vector<Extended> ResultValues()
{
    std::vector<Extended> values;
    Sequence s(5);
    for (int i = 0; i < 4096; ++i) {
        const Extended v
            = (i & 1) ? s.Coordinate(5000000.0L, 6600000.0L) : s.Coordinate(17000.0L, 34000.0L);
        values.push_back(v + s.Coordinate(0.0L, 0.001L) / 7.0L); // all 64 bits in use
    }
    return values;
}

void BM_AppendDecimals(benchmark::State& state)
{
    const std::vector<Extended> values = ResultValues();
    const int decimals = static_cast<int>(state.range(0));
    std::string out;
    size_t i = 0;
    for (auto _ : state) {
        out.clear();
        AppendDecimals(out, values[i], decimals);
        benchmark::DoNotOptimize(out.data());
        i = (i + 1) & 4095;
    }
}
BENCHMARK(BM_AppendDecimals)->Arg(2)->Arg(5);

// Values of 21 digits and more: the exact general path (decimal expansion through printf).
void BM_AppendDecimalsLargeValues(benchmark::State& state)
{
    std::vector<Extended> values = ResultValues();
    for (Extended& v : values)
        v = v * 1e15L;
    std::string out;
    size_t i = 0;
    for (auto _ : state) {
        out.clear();
        AppendDecimals(out, values[i], 2);
        benchmark::DoNotOptimize(out.data());
        i = (i + 1) & 4095;
    }
}
BENCHMARK(BM_AppendDecimalsLargeValues);

void BM_SplitPointLine(benchmark::State& state)
{
    const std::string line = "100009 33723.480 18238.363 111.81  pkt. graniczny";
    for (auto _ : state) {
        PointLineWords words = SplitPointLine(line);
        benchmark::DoNotOptimize(words);
    }
}
BENCHMARK(BM_SplitPointLine);

} // namespace

BENCHMARK_MAIN();
