// Speed of the "Kontrola obszaru" window, offscreen, on the areas bench/obszar.sh generates:
//   open    opening an area file: the fit, the screening, the check of `plot`'s picture, the
//           table filled and the picture painted once;
//   check   the computation alone (ComputeAreaCheck), without the window;
//   zoom    one step of the wheel's zoom about the view's middle, painted (the names placed
//           again for what the view shows);
//   pan     one step of a drag, painted;
//   tick    leaving one point out with its tick: fit, screening, summary, table and picture.
// Prints the median wall time with its spread (min-max) of RUNS runs of each.
//   vorida_obszar_bench AREA.BIN [RUNS (5)] [CASES (open,zoom,pan,tick)]
#include "AreaWindow.h"
#include "MapView.h"

#include "RecordingPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vorida;
using namespace vorida::obszar;

namespace {

void report(const char* label, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    std::printf("%-6s median %8.1f ms (%.1f-%.1f ms), %zu runs\n", label,
        static_cast<double>(ns[ns.size() / 2]) / 1e6, static_cast<double>(ns.front()) / 1e6,
        static_cast<double>(ns.back()) / 1e6, ns.size());
}

std::vector<qint64> timed(
    int runs, const std::function<void()>& before, const std::function<void()>& step)
{
    std::vector<qint64> ns;
    for (int r = 0; r < runs; ++r) {
        before();
        QElapsedTimer t;
        t.start();
        step();
        QApplication::processEvents();
        ns.push_back(t.nsecsElapsed());
    }
    return ns;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "vorida_obszar_bench AREA.BIN [RUNS] [CASES]\n");
        return 2;
    }
    const std::string area = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString cases = argc > 3 ? QString::fromLocal8Bit(argv[3]) : "open,zoom,pan,tick";
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    AreaWindow window;
    window.resize(1280, 760);
    window.show();
    QApplication::processEvents();
    MapView& map = window.Map();
    if (!window.OpenArea(area))
        return 1;
    std::printf("%s: %d points\n", area.c_str(), window.PointModel().rowCount());
    if (cases.contains("open"))
        report("open",
            timed(
                runs, [] {},
                [&] {
                    window.OpenArea(area);
                    map.repaint();
                }));
    if (cases.contains("check")) // the computation alone, without the window
        report("check",
            timed(
                runs, [] {},
                [&] {
                    std::string error;
                    const auto file = ReadAreaFile(area, error);
                    ComputeAreaCheck(*file, CheckOptions {}, {}, {});
                }));
    if (cases.contains("zoom")) {
        map.FitAll();
        report("zoom",
            timed(
                runs * 4, [] {},
                [&] {
                    map.ZoomBy(1.25);
                    map.repaint();
                }));
    }
    if (cases.contains("pan")) {
        map.FitAll(); // near the whole area: most points, arrows and names in the view
        map.ZoomBy(1.25);
        report("pan",
            timed(
                runs * 4, [] {},
                [&] {
                    map.PanBy(30.0, 10.0);
                    map.repaint();
                }));
    }
    if (cases.contains("tick")) {
        size_t i = 0;
        report("tick",
            timed(
                runs, [&] { window.SetExcluded(i, false); },
                [&] {
                    window.SetExcluded(i, true);
                    map.repaint();
                }));
        ++i;
    }
    return 0;
}
