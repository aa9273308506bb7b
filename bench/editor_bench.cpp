// Speed of the editor on big point files, in an offscreen editor window. Each case is timed
// until the window has handled the events it leaves (the queued trimming among them):
//   open    "Otwórz" of a file of SIZE bytes with a tab on every line into a fresh editor:
//           reading, decoding, loading and expanding every tab;
//   open*   the same over unsaved edits, where it is one undo step;
//   paste   Ctrl+V of one point line holding a tab into the middle of a text of SIZE bytes
//           without tabs (the text as "Otwórz" leaves it);
//   paste*  the same into a text of SIZE bytes that still has its tabs (as a file button opens
//           it): the paste then expands the whole text;
//   trim    Ctrl+V of 20,000 point lines, each ending in three blanks, into an empty text:
//           the paste and the trimming of every pasted line;
//   undo    undo of that paste (trimming, then the paste itself), and redo of both;
//   lines   the same 20,000 lines pasted in whole-lines mode (the context menu's "Wklej");
//   trim*   Ctrl+V of the whole point file of SIZE bytes with a tab and blanks at the end of
//           every line (a spreadsheet's empty last column): paste, tab expansion, trimming;
//   key     one key typed at the end of the text of SIZE bytes, with the questions an input
//           method asks after it (the CPU time per key of 30 keys), and the same at its top;
//   find    F3 (and Shift+F3) from the middle of the text of SIZE bytes to a hit on the next
//           (previous) line, and F3 to a hit at the end of the text;
//   replace (alone: CASES=replace) "Zamień wszystko" of "." by "," in the point file of SIZE
//           bytes as a file button opens it (two hits a line), its undo and its redo, with the
//           process's peak resident memory against the file's size.
// Prints the median wall time with its spread (min-max), and the median CPU time of the
// process, of RUNS runs of each; for "open" and "open*" also the peak resident memory it adds.
//   vorida_editor_bench [SIZE_MB (10)] [RUNS (5)] [CASES (all: open,paste,trim,key,find)]
#include "RecordingPlatform.h"
#include "Szukaj.h"
#include "TextArea.h"
#include "TextFile.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"
#include "Zamien.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
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

// Point lines in UTF-8 with LF, each ending in `tail`.
QString pointLines(int count, const char* tail)
{
    std::string out;
    char line[96];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, "%d %d.%03d %d.%03d%s\n", i, 5850000 + i % 7919,
            i * 7 % 1000, 6480000 + i % 6151, i * 13 % 1000, tail);
        out += line;
    }
    return QString::fromStdString(out);
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

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM"), 0 where there is none.
long statusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return 0;
}

// Starts a new peak of the resident memory (Linux: VmHWM from here on).
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// "Zamień wszystko" in a file opened as a file button opens it, the bench holding no copy of it.
int replaceCase(double megabytes, int runs)
{
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("xy_LOK"));
    size_t size = 0;
    {
        const std::string bytes = pointFile(static_cast<size_t>(megabytes * 1024 * 1024));
        size = bytes.size();
        writeFile(path, bytes);
    }
    auto* window = new TEdytorF;
    window->OpenFile(path);
    TextArea& area = *window->Frame()->Editor();
    QCoreApplication::processEvents();
    std::printf("file: %.1f MB, %d lines; the process with it open: %.1f MB resident\n",
        static_cast<double>(size) / 1048576.0, area.LineCount(),
        static_cast<double>(statusKilobytes("VmRSS")) / 1024.0);
    long peak = 0;
    const auto timed = [&](const std::function<void()>& step) {
        return [&, step] {
            resetPeakMemory();
            step();
            peak = std::max(peak, statusKilobytes("VmHWM"));
        };
    };
    SearchOptions options;
    int replaced = 0;
    const auto replace
        = [&] { replaced = ReplaceAll(area, QStringLiteral("."), QStringLiteral(","), options); };
    const auto undone = [&] {
        if (area.isUndoAvailable())
            area.undo();
    };
    report("replace", measure(runs, undone, timed(replace)));
    report("undo",
        measure(
            runs, [&] { undone(), replace(); }, timed([&] { area.undo(); })));
    report("redo",
        measure(
            runs, [&] { undone(), replace(), area.undo(); }, timed([&] { area.redo(); })));
    std::printf("replaced %d; the process's peak resident memory: %.1f MB (%.2f times the file)\n",
        replaced, static_cast<double>(peak) / 1024.0,
        static_cast<double>(peak) * 1024.0 / static_cast<double>(size));
    delete window;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const double megabytes = args.size() > 1 ? args[1].toDouble() : 10.0;
    const int runs = args.size() > 2 ? args[2].toInt() : 5;
    const QStringList cases = args.size() > 3
        ? args[3].split(u',')
        : QStringList { "open", "paste", "trim", "key", "find" };
    if (cases == QStringList { "replace" })
        return replaceCase(megabytes, runs);

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

    const std::string expanded
        = EncodeText(ExpandTabsInText(DecodeText(bytes).Utf8, 8), LineEnd::CrLf);
    if (cases.contains("open")) {
        // "Otwórz" into a fresh editor, then over unsaved edits (a typed line), where it is one
        // undo step.
        for (const bool overEdits : { false, true }) {
            const char* name = overEdits ? "open*" : "open";
            long peak = 0;
            report(name,
                measure(
                    runs,
                    [&] {
                        area.ClearAll();
                        if (overEdits)
                            QTest::keyClicks(&area, QStringLiteral("1 5850001.000 6480001.000"));
                        platform.ChosenFiles = { tabbed.toStdString() };
                    },
                    [&] {
                        const long before = statusKilobytes("VmRSS");
                        resetPeakMemory();
                        frame.ToolbarButton975Click();
                        peak = std::max(peak, statusKilobytes("VmHWM") - before);
                    }));
            std::printf("%-7s peak resident memory added: %.1f MB (%.2f times the file)\n", name,
                static_cast<double>(peak) / 1024.0,
                static_cast<double>(peak) * 1024.0 / static_cast<double>(bytes.size()));
            if (area.SavedBytes() != expanded || !area.Modified()
                || area.isUndoAvailable() != overEdits)
                std::fprintf(stderr, "%s: wrong text, a clear modified flag or wrong undo\n", name);
        }
    }

    if (cases.contains("paste")) {
        QApplication::clipboard()->setText(
            QStringLiteral("9999\t5852483.731\t6483727.082 wklejony\n"));
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
        if (area.Utf8().find('\t') != std::string_view::npos)
            std::fprintf(stderr, "the paste left a tab\n");
    }

    if (cases.contains("trim")) {
        const QString blankEnded = pointLines(20000, "   ");
        auto pasteIntoEmpty = [&](const QString& text) {
            area.ClearAll();
            QApplication::clipboard()->setText(text);
        };
        auto trimmedAndWhole = [&](const char* what, int lines) {
            const std::string_view text = area.Utf8();
            if (text.find(" \n") != std::string_view::npos
                || text.find('\t') != std::string_view::npos
                || (lines > 0 && area.LineCount() != lines))
                std::fprintf(stderr, "%s left trailing blanks or a tab, or lost lines\n", what);
        };
        report("trim",
            measure(
                runs, [&] { pasteIntoEmpty(blankEnded); }, [&] { frame.wklejaj->trigger(); }));
        trimmedAndWhole("the paste", 20001);
        report("undo",
            measure(
                runs,
                [&] {
                    pasteIntoEmpty(blankEnded);
                    frame.wklejaj->trigger();
                    QCoreApplication::processEvents();
                },
                [&] {
                    while (area.isUndoAvailable())
                        area.undo();
                    while (area.isRedoAvailable())
                        area.redo();
                }));
        trimmedAndWhole("undo and redo", 20001);
        report("lines",
            measure(
                runs,
                [&] {
                    pasteIntoEmpty(blankEnded);
                    area.SetSelectionMode(TextArea::SelectionMode::Lines);
                },
                [&] { frame.Wklej1Click(); }));
        area.SetSelectionMode(TextArea::SelectionMode::Normal);
        trimmedAndWhole("the whole-lines paste", 0);

        std::string tabEnded = DecodeText(bytes).Utf8;
        std::string withTails;
        withTails.reserve(tabEnded.size() * 5 / 4);
        for (char c : tabEnded) {
            if (c == '\n')
                withTails += "\t  ";
            withTails += c;
        }
        const QString tabEndedText = QString::fromStdString(withTails);
        report("trim*",
            measure(
                runs, [&] { pasteIntoEmpty(tabEndedText); }, [&] { frame.wklejaj->trigger(); }));
        trimmedAndWhole("the big paste", 0);
    }

    if (cases.contains("key")) {
        // The CPU time of one key at the end of the big text, and at its top.
        area.LoadBytes(expanded);
        auto typeAt = [&](int line) {
            Times perKey;
            for (int r = 0; r < runs; ++r) {
                area.SetCaret(line, area.LineEndColumn(line));
                QCoreApplication::processEvents();
                const std::clock_t cpu = std::clock();
                for (int k = 0; k < 30; ++k) {
                    QTest::keyClick(&area, Qt::Key_A);
                    // what an input method (IBus) asks after each key
                    static_cast<QWidget&>(area).inputMethodQuery(Qt::ImSurroundingText);
                    static_cast<QWidget&>(area).inputMethodQuery(Qt::ImCursorPosition);
                    QCoreApplication::processEvents();
                }
                perKey.Cpu.push_back(
                    static_cast<double>(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC / 30.0);
                perKey.Wall.push_back(perKey.Cpu.back());
            }
            return perKey;
        };
        report("key end", typeAt(area.LineCount()));
        report("key top", typeAt(1));
    }
    if (cases.contains("find")) {
        // F3 to the next line's point name from the middle of the text, Shift+F3 back to the
        // previous line's, and F3 to the last line's from the top.
        area.LoadBytes(expanded);
        frame.ToolbarButton9712Click();
        TForm_Szukaj& dialog = *frame.SearchDialog();
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        dialog.hide();
        const int middle = area.LineCount() / 2;
        auto findFrom = [&](int line, int name, bool down) {
            return measure(
                runs,
                [&] {
                    field->setText(QString::number(name));
                    area.SetCaret(line, 1);
                },
                [&] {
                    frame.FindAgain(down);
                    if (area.CaretLine() != name)
                        std::fprintf(
                            stderr, "F3 stopped on line %d, not %d\n", area.CaretLine(), name);
                });
        };
        report("find +1", findFrom(middle, middle + 1, true));
        report("find -1", findFrom(middle, middle - 1, false));
        report("find end", findFrom(1, area.LineCount() - 1, true));
    }
    if (!platform.Log.empty() && platform.Log.back().Kind == "message")
        std::fprintf(stderr, "message: %s\n", platform.Log.back().Text.c_str());
    delete window;
    return 0;
}
