// Speed of the "Kontrola obszaru" window, offscreen, on the areas bench/obszar.sh generates:
//   open    opening an area file: the fit, the screening, the check of `plot`'s picture, the
//           table filled and the picture painted once;
//   check   the computation alone (ComputeAreaCheck), without the window;
//   zoom    one step of the wheel's zoom about the view's middle, painted (the names placed
//           again for what the view shows);
//   pan     one step of a drag, painted;
//   tick    leaving one point out with its tick: fit, screening, summary, table and picture,
//           until shown;
//   answer  the same until the window answers again (the computation runs off its thread);
//   progress  opening until the progress bar shows points done, then the cancel.
// Prints the median wall time with its spread (min-max) of RUNS runs of each.
//   vorida_obszar_bench AREA.BIN [RUNS (5)] [CASES (open,zoom,pan,tick)]
#include "AreaWindow.h"
#include "MapView.h"

#include "RecordingPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
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
    if (cases.contains("progress")) {
        // The bar's first points done after the opening starts, and the cancel.
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            if (!window.OpenArea(area))
                return 1;
            auto* bar = window.findChild<QProgressBar*>();
            QApplication::processEvents();
            const qint64 visible = bar->isVisible() ? t.nsecsElapsed() : -1;
            while (!(bar->isVisible() && bar->value() > 0))
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            const qint64 shown = t.nsecsElapsed();
            t.restart();
            window.CancelComputation();
            QApplication::processEvents();
            std::printf("bar shown %.1f ms, points done %.1f ms (%d of %d), cancel %.1f ms\n",
                static_cast<double>(visible) / 1e6, static_cast<double>(shown) / 1e6, bar->value(),
                bar->maximum(), static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        return 0;
    }
    if (!window.OpenArea(area) || !window.WaitForComputation())
        return 1;
    std::printf("%s: %d points\n", area.c_str(), window.PointModel().rowCount());
    if (cases.contains("open"))
        report("open",
            timed(
                runs, [] {},
                [&] {
                    window.OpenArea(area);
                    window.WaitForComputation();
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
        auto untick = [&] {
            window.SetExcluded(i, false);
            window.WaitForComputation();
        };
        report("tick", timed(runs, untick, [&] {
            window.SetExcluded(i, true);
            window.WaitForComputation();
            map.repaint();
        }));
        report("answer", timed(runs, untick, [&] {
            window.SetExcluded(i, true);
            map.repaint();
        }));
        window.WaitForComputation();
    }
    return 0;
}
