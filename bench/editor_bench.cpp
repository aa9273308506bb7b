// Speed of the editor's tab expansion on big point files, in an offscreen editor window:
//   open    "Otwórz" of a file of SIZE bytes with a tab on every line: reading, decoding,
//           loading and expanding every tab, until the window has handled its events;
//   paste   Ctrl+V of one point line holding a tab into the middle of a text of SIZE bytes
//           without tabs (the text as "Otwórz" leaves it), until the events are handled;
//   paste*  the same into a text of SIZE bytes that still has its tabs (as a file button opens
//           it): the paste then expands the whole text.
// Prints the median wall time with its spread (min-max), and the median CPU time of the
// process, of RUNS runs of each.
//   vorida_editor_bench [SIZE_MB (10)] [RUNS (5)]
#include "RecordingPlatform.h"
#include "TextArea.h"
#include "TextFile.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace vorida;
using namespace vorida::editor;

namespace {

// A point file in Windows-1250 with CR LF: name, tab, x, tab, y, and now and then a Polish
// description after a blank.
std::string pointFile(size_t bytes)
{
    std::string out;
    out.reserve(bytes + 64);
    char line[96];
    for (unsigned i = 1; out.size() < bytes; ++i) {
        std::snprintf(line, sizeof line, "%u\t%u.%03u\t%u.%03u", i, 5850000 + i % 7919,
            i * 7 % 1000, 6480000 + i % 6151, i * 13 % 1000);
        out += line;
        if (i % 5 == 0)
            out += " \xBF\xF3\xB3ty s\xB3up"; // " żółty słup"
        out += "\r\n";
    }
    return out;
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(bytes.data(), static_cast<qint64>(bytes.size()))
            != static_cast<qint64>(bytes.size()))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

struct Times
{
    std::vector<double> Wall, Cpu; // milliseconds
};

// Runs `setup` untimed, then `timed` with the events it leaves; RUNS times.
Times measure(int runs, const std::function<void()>& setup, const std::function<void()>& timed)
{
    Times times;
    for (int r = 0; r < runs; ++r) {
        setup();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpu = std::clock();
        timed();
        QCoreApplication::processEvents();
        times.Cpu.push_back(static_cast<double>(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
        times.Wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

void report(const char* what, Times times)
{
    std::sort(times.Wall.begin(), times.Wall.end());
    std::sort(times.Cpu.begin(), times.Cpu.end());
    const size_t mid = times.Wall.size() / 2;
    std::printf("%-7s wall median %7.1f ms (%.1f-%.1f ms), CPU median %7.1f ms, %zu runs\n", what,
        times.Wall[mid], times.Wall.front(), times.Wall.back(), times.Cpu[mid], times.Wall.size());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const double megabytes = args.size() > 1 ? args[1].toDouble() : 10.0;
    const int runs = args.size() > 2 ? args[2].toInt() : 5;

    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    QTemporaryDir dir;
    const QString tabbed = dir.filePath(QStringLiteral("xy_LOK"));
    const std::string bytes = pointFile(static_cast<size_t>(megabytes * 1024 * 1024));
    writeFile(tabbed, bytes);
    std::printf("file: %.1f MB, %lld lines, a tab on every line\n",
        static_cast<double>(bytes.size()) / 1048576.0,
        static_cast<long long>(std::count(bytes.begin(), bytes.end(), '\n')));

    auto* window = new TEdytorF;
    window->OpenFile(dir.filePath(QStringLiteral("own")));
    TEdytorFrame& frame = *window->Frame();
    TextArea& area = *frame.Editor();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        std::fprintf(stderr, "the window did not become active\n");
    area.setFocus();

    report("open",
        measure(
            runs,
            [&] {
                area.ClearAll();
                platform.ChosenFiles = { tabbed.toStdString() };
            },
            [&] { frame.ToolbarButton975Click(); }));

    if (area.Utf8().find('\t') != std::string_view::npos || !area.Modified())
        std::fprintf(stderr, "\"Otwórz\" left a tab or a clear modified flag\n");

    QApplication::clipboard()->setText(QStringLiteral("9999\t5852483.731\t6483727.082 wklejony\n"));
    const std::string expanded = EncodeText(area.Utf8(), LineEnd::CrLf);
    auto pasteInTheMiddle = [&] {
        area.SetCaret(area.LineCount() / 2, 1);
        frame.wklejaj->trigger();
    };
    report("paste",
        measure(
            runs, [&] { area.LoadBytes(expanded); }, pasteInTheMiddle));
    report("paste*",
        measure(
            runs, [&] { area.LoadBytes(bytes); }, pasteInTheMiddle));

    if (area.Utf8().find('\t') != std::string_view::npos || area.isUndoAvailable())
        std::fprintf(stderr, "the paste left a tab or an undo history\n");
    if (!platform.Log.empty() && platform.Log.back().Kind == "message")
        std::fprintf(stderr, "message: %s\n", platform.Log.back().Text.c_str());
    delete window;
    return 0;
}
