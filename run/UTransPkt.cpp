#include "UTransPkt.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "OrderedWorkers.h"
#include "Platform.h"
#include "UNITtrk.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace vorida {

TPktDostosowania AdjustmentPoints;
std::string AreaName;
std::int32_t SystemCode = 0;
TAreaExtents AreaExtents;
std::int32_t RoundingDigits = 2;

TTrKonfAf TrKonfAf;
TPktBIN PktBIN;
TTransPkt TransPkt;

void LoadPointFile(const std::string& path)
{
    PktBIN.LoadPointFile(path, AreaName, SystemCode, AdjustmentPoints);
}

void ComputeAreaExtents()
{
    AreaExtents = ComputeAreaExtents(AdjustmentPoints);
}

// ---- Coordinate systems ----

namespace {

struct SystemEntry
{
    std::int32_t Code;
    const char* Name; // UTF-8
    const char* Tag;
};

// Code 22 is the 1942/83 system like codes 27 to 30 and shares their tag, so that its point
// files are named like theirs.
constexpr SystemEntry kSystems[] = {
    { 1, "1965 strefa 1", "1965" },
    { 2, "1965 strefa 2", "1965" },
    { 3, "1965 strefa 3", "1965" },
    { 4, "1965 strefa 4", "1965" },
    { 5, "1965 strefa 5", "1965" },
    { 6, "2000 poł. osiowy 15 stopni", "2000" },
    { 7, "2000 poł. osiowy 18 stopni", "2000" },
    { 8, "2000 poł. osiowy 21 stopni", "2000" },
    { 9, "2000 poł. osiowy 24 stopni", "2000" },
    { 10, "1992", "1992" },
    { 11, "1942 pasy 3 stopniowe 15", "1942" },
    { 12, "1942 pasy 3 stopniowe 18", "1942" },
    { 13, "1942 pasy 3 stopniowe 21", "1942" },
    { 14, "1942 pasy 3 stopniowe 24", "1942" },
    { 15, "1942 pasy 6 stopniowe 15", "1942" },
    { 16, "1942 pasy 6 stopniowe 21", "1942" },
    { 17, "1942 pasy 6 stopniowe 27", "1942" },
    { 18, "UTM pasy 6 stopniowe 15", "UTM" },
    { 19, "UTM pasy 6 stopniowe 21", "UTM" },
    { 20, "UTM pasy 6 stopniowe 27", "UTM" },
    { 21, "GUGiK 80", "GUGiK_80" },
    { 22, "1942_83", "194283" },
    { 23, "BL na el. Krasowskiego", "Kras_BL" },
    { 24, "XYZ na el. Krasowskiego", "Kras_XYZ" },
    { 25, "BL na el. GRS-80", "GRS-80_BL" },
    { 26, "XYZ na el. GRS-80", "GRS-80_XYZ" },
    { 27, "1942/83 pasy 3 stopniowe 15", "194283" },
    { 28, "1942/83 pasy 3 stopniowe 18", "194283" },
    { 29, "1942/83 pasy 3 stopniowe 21", "194283" },
    { 30, "1942/83 pasy 3 stopniowe 24", "194283" },
    { 31, "1942/83 pasy 6 stopniowe 15", "194283" },
    { 32, "1942/83 pasy 6 stopniowe 21", "194283" },
    { kLocalSystemCode, "Układ lokalny", "LOK." },
};

const SystemEntry* findSystem(std::int32_t code)
{
    for (const SystemEntry& e : kSystems)
        if (e.Code == code)
            return &e;
    return nullptr;
}

} // namespace

std::string SystemName(std::int32_t code)
{
    const SystemEntry* e = findSystem(code);
    return e ? Utf8ToCp1250(e->Name) : std::string();
}

std::string SystemTag(std::int32_t code)
{
    const SystemEntry* e = findSystem(code);
    return e ? Utf8ToCp1250(e->Tag) : std::string();
}

std::string NationalInputName(std::int32_t systemCode)
{
    return "xy" + SystemTag(systemCode);
}

std::string NationalResultName(std::int32_t systemCode)
{
    return NationalInputName(systemCode) + ".1";
}

bool HasEnoughSourcePositions(const TPktDostosowania& points, bool localSource)
{
    Extended seenX[kMinimumAdjustmentPoints], seenY[kMinimumAdjustmentPoints];
    size_t seen = 0;
    for (const TPkt& p : points) {
        const Extended x = localSource ? p.LocalX : p.NationalX;
        const Extended y = localSource ? p.LocalY : p.NationalY;
        if (!(std::isfinite(x) && std::isfinite(y)))
            return true; // the fit reports such a coordinate itself
        bool known = false;
        for (size_t k = 0; k < seen && !known; ++k)
            known = seenX[k] == x && seenY[k] == y;
        if (known)
            continue;
        if (++seen >= kMinimumAdjustmentPoints)
            return true;
        seenX[seen - 1] = x;
        seenY[seen - 1] = y;
    }
    return false;
}

// ---- The run ----

int TTransPkt::DecimalsOf(std::string_view word)
{
    size_t point = word.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(word.size() - point - 1);
}

namespace {

const std::string kCrLf = "\r\n";
const std::string kHyphens(88, '-');

// A text of the program, as written into the files.
std::string own(const char* utf8)
{
    return Utf8ToCp1250(utf8);
}

bool isBlankLine(std::string_view line)
{
    return std::all_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// The fields of a result line: the name, then x and y right-aligned. A converted point and a
// point outside the area have 14-column fields, so that their lines stand in line; an
// unreadable point's fields are one column wider, 15, which tells its "---" line from that of a
// point outside the area at a glance. Result files already written, and the programs that read
// them by columns, rely on both widths.
constexpr size_t kNameField = 18;
constexpr size_t kCoordinateField = 14;
constexpr size_t kUnreadableField = 15;
// The fields of a report row: Lp, the name, the four coordinates and dl, between bars.
constexpr size_t kLpColumn = 4, kNameColumn = 16, kCoordinateColumn = 13, kDlColumn = 8;

struct RunTexts
{
    std::string Title = own("                              TRANSFORMACJA WSPÓŁRZĘDNYCH PUNKTÓW");
    std::string Credit = own("Raport z programu Vorida.exe ver 1.05 ");
    std::string Area = own("OBSZAR: ");
    std::string InputSystem = own("UKŁAD WEJŚCIOWY : ");
    std::string ResultSystem = own("UKŁAD WYNIKOWY  : ");
    std::string Date = own("Data obliczeń  : ");
    std::string Units = "|    |                |             |             |             |"
                        "             |  [m]   |";
    std::string InFile = own(" Ilość punktów w pliku          : ");
    std::string Converted = own(" Ilość punktów transformowanych : ");
    std::string Defects = own(" Ilość punktów z defektem       : ");
    std::string Notes = own("OBJAŚNIENIA:");
    std::string Dl = own("dl    - wypadkowa korekta Hausbrandta w [m]");
    std::string Signature = own("OBLICZYŁ ......................");
};

const RunTexts& texts()
{
    static const RunTexts t;
    return t;
}

// The counters of one run. 64-bit, so that no file is long enough to wrap them.
struct RunCounts
{
    std::int64_t LinesRead = 0;
    std::int64_t PointsInFile = 0;
    std::int64_t PointsConverted = 0;
    std::int64_t PointsWithDefect = 0;
};

// A block of consecutive input lines and what their conversion made of them. The reader fills
// the first part, a converter the second; the writer appends the second to the files. Each
// block on cache lines of its own: a worker writes the counters at the end of one block while
// another reads the start of the next.
struct alignas(64) Block
{
    std::int64_t FirstLine = 0; // input lines before the block
    std::int64_t FirstPoint = 0; // point lines before the block
    std::string Text; // the lines one after the other, without their line ends
    std::vector<size_t> LineEnds; // where each line ends in Text
    std::uint64_t InputPosition = 0; // bytes of the input read by the end of the block
    bool ReadFailed = false; // the input could not be read after these lines

    std::string Result, Report; // result lines and report rows, CR LF included
    std::vector<size_t> ResultEnds, ReportEnds; // per line converted; a blank line has no row
    size_t LinesDone = 0; // lines converted: all of them unless one failed
    bool Failed = false; // the line after those done raised a fault
    std::int64_t Points = 0, Transformed = 0, Defects = 0;

    size_t Lines() const { return LineEnds.size(); }
    std::string_view Line(size_t i) const
    {
        const size_t begin = i == 0 ? 0 : LineEnds[i - 1];
        return std::string_view(Text).substr(begin, LineEnds[i] - begin);
    }
};

// The columns a right-aligned field takes: its width, or more for a longer text (never cut).
size_t columns(std::string_view text, size_t width)
{
    return std::max(text.size(), width);
}

// One line appended at once, as AppendRight and += would write it piece by piece: room for the
// whole line is made in one step, filled with blanks (the padding), and each piece is copied
// to its place. The lengths given to the constructor must add up to what is put.
class LineLayout
{
public:
    LineLayout(std::string& out, size_t length) : out_(out), at_(out.size())
    {
        out.append(length, ' ');
    }

    void Right(std::string_view text, size_t width)
    {
        const size_t room = columns(text, width);
        copy(out_.data() + at_ + room - text.size(), text);
        at_ += room;
    }
    void Put(std::string_view text)
    {
        copy(out_.data() + at_, text);
        at_ += text.size();
    }
    void Bar() { out_[at_++] = '|'; }

private:
    // The pieces are short, a few bytes to a dozen: up to 16 bytes are copied with two moves of
    // a fixed size each (overlapping in the middle), which the compiler writes inline, instead
    // of a call to the library's memcpy for every piece.
    static void copy(char* to, std::string_view text)
    {
        const char* from = text.data();
        const size_t n = text.size();
        if (n >= 8 && n <= 16) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else if (n >= 4 && n < 8) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else if (n > 16) {
            std::memcpy(to, from, n);
        } else if (n > 0) { // 1 to 3 bytes: the first, the middle and the last
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    }

    std::string& out_;
    size_t at_;
};

// Turns the lines of a block into their result lines and report rows: the area test, the
// transformation and both layouts. One per thread: TransformPoint leaves each point's
// correction in the fit, so every converter has a fit of its own. Converters (and their fits)
// are on cache lines of their own, as they are written on every line.
class alignas(64) LineConverter
{
public:
    LineConverter(TTrKonfAf& fit, const ExtentBox& box, int decimals, std::int64_t faultLine)
        : fit_(fit), box_(box), decimals_(decimals), faultLine_(faultLine)
    {
    }

    // Never throws: a line that fails (a floating-point fault, no memory) ends the block there.
    void Convert(Block& b)
    {
        b.Result.clear();
        b.Report.clear();
        b.ResultEnds.clear();
        b.ReportEnds.clear();
        b.LinesDone = 0;
        b.Failed = false;
        b.Points = b.Transformed = b.Defects = 0;
        try {
            b.ResultEnds.reserve(b.Lines());
            b.ReportEnds.reserve(b.Lines());
            for (size_t i = 0; i < b.Lines(); ++i) {
                Line(b.Line(i), b.FirstLine + static_cast<std::int64_t>(i) + 1, b);
                b.ResultEnds.push_back(b.Result.size());
                b.ReportEnds.push_back(b.Report.size());
                b.LinesDone = i + 1;
            }
        } catch (const std::exception&) {
            b.Failed = true;
        }
    }

private:
    // One input line (lineNumber counts from 1 over the whole input).
    void Line(std::string_view line, std::int64_t lineNumber, Block& b)
    {
        if (isBlankLine(line)) {
            b.Result += line;
            b.Result += kCrLf;
            return;
        }
        const std::int64_t lp = b.FirstPoint + b.Points + 1;
        // NthWord 1, 2, 3 and RestFromWord 4 with blank and tab, in one pass.
        const PointLineWords words = SplitPointLine(line);

        Extended x = 0.0L, y = 0.0L;
        const bool readable = ParseCoordinate(words.X, x) && ParseCoordinate(words.Y, y);
        if (!readable) {
            ResultLine(words.Name, "---", "---", kUnreadableField, words.Rest, b.Result);
            ReportRow(lp, words.Name, "---", "---", "---", "---", 0.0L, b.Report);
            ++b.Points;
            ++b.Defects;
            return;
        }
        inX_.clear();
        AppendInputDecimals(inX_, words.X, x, TTransPkt::DecimalsOf(words.X));
        inY_.clear();
        AppendInputDecimals(inY_, words.Y, y, TTransPkt::DecimalsOf(words.Y));
        const bool inside = box_.MinX <= x && x <= box_.MaxX && box_.MinY <= y && y <= box_.MaxY;
        if (!inside) {
            ResultLine(words.Name, "---", "---", kCoordinateField, words.Rest, b.Result);
            ReportRow(lp, words.Name, inX_, inY_, "---", "---", 0.0L, b.Report);
            ++b.Points;
            ++b.Defects;
            return;
        }
        Extended outX = 0.0L, outY = 0.0L;
        fit_.TransformPoint(outX, outY, x, y);
        const Extended cx = fit_.CorrectionX, cy = fit_.CorrectionY;
        const Extended dl = std::sqrt(cx * cx + cy * cy);
        if (lineNumber == faultLine_) { // a fault injected by the tests, as if raised here
            std::feraiseexcept(FE_OVERFLOW);
            ThrowOnFloatingPointFlags();
        }
        // Nothing of the point is written before its numbers are known to be numbers.
        // TransformPoint has thrown on a fault of its own arithmetic; what is left can overflow
        // only into an infinite dl, and a NaN carried in from the data raises no flag at all:
        // either stops the run here, and the flags need no second test.
        if (!(std::isfinite(outX) && std::isfinite(outY) && std::isfinite(dl))) {
            ClearFloatingPointFlags(); // the overflow into dl, if that was it
            throw FloatingPointError("Wynik przeliczenia nie jest liczbą");
        }
        outX_.clear();
        AppendDecimals(outX_, outX, decimals_);
        outY_.clear();
        AppendDecimals(outY_, outY, decimals_);
        ResultLine(words.Name, outX_, outY_, kCoordinateField, words.Rest, b.Result);
        ReportRow(lp, words.Name, inX_, inY_, outX_, outY_, dl, b.Report);
        ++b.Points;
        ++b.Transformed;
    }

    void ResultLine(std::string_view name, std::string_view x, std::string_view y, size_t width,
        std::string_view rest, std::string& out)
    {
        constexpr std::string_view gap = "   ";
        LineLayout line(out,
            columns(name, kNameField) + columns(x, width) + columns(y, width) + gap.size()
                + rest.size() + kCrLf.size());
        line.Right(name, kNameField);
        line.Right(x, width);
        line.Right(y, width);
        line.Put(gap);
        line.Put(rest);
        line.Put(kCrLf);
    }

    void ReportRow(std::int64_t lp, std::string_view name, std::string_view inX,
        std::string_view inY, std::string_view outX, std::string_view outY, Extended dl,
        std::string& out)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, lp).ptr;
        const std::string_view number(digits, static_cast<size_t>(end - digits));
        dl_.clear();
        AppendDecimals(dl_, dl, decimals_);
        // Each field right-aligned in its columns, a bar before the first and after each.
        const std::pair<std::string_view, size_t> fields[] = { { number, kLpColumn },
            { name, kNameColumn }, { inX, kCoordinateColumn }, { inY, kCoordinateColumn },
            { outX, kCoordinateColumn }, { outY, kCoordinateColumn }, { dl_, kDlColumn } };
        size_t length = 1 + kCrLf.size();
        for (const auto& [text, width] : fields)
            length += columns(text, width) + 1;
        LineLayout row(out, length);
        row.Bar();
        for (const auto& [text, width] : fields) {
            row.Right(text, width);
            row.Bar();
        }
        row.Put(kCrLf);
    }

    TTrKonfAf& fit_;
    ExtentBox box_;
    int decimals_;
    std::int64_t faultLine_; // a fault is raised on this line (tests); 0: none
    std::string inX_, inY_, outX_, outY_, dl_; // the number fields of the current point
};

// Reads the next block of at most maxLines lines (and not many more than maxBytes bytes; a
// longer line makes a block of its own). ended becomes true at the end of the input or when
// it could not be read.
void readBlock(LineReader& input, size_t maxLines, size_t maxBytes, Block& b, bool& ended)
{
    b.Text.clear();
    b.LineEnds.clear();
    b.ReadFailed = false;
    try {
        while (b.LineEnds.size() < maxLines && b.Text.size() < maxBytes) {
            if (!input.AppendNext(b.Text)) {
                ended = true;
                break;
            }
            b.LineEnds.push_back(b.Text.size());
        }
    } catch (const std::exception&) {
        b.ReadFailed = true;
        ended = true;
    }
    b.InputPosition = input.Position();
}

std::int64_t pointLines(const Block& b)
{
    std::int64_t n = 0;
    for (size_t i = 0; i < b.Lines(); ++i)
        n += isBlankLine(b.Line(i)) ? 0 : 1;
    return n;
}

// One run: the header, the blocks appended in input order, the counters and the closing.
class Run
{
public:
    explicit Run(const std::string& areaName) : areaName_(areaName) { }

    const RunCounts& Counts() const { return counts_; }

    void WriteHeader(OutputFile& report, const std::string& inTag, const std::string& outTag,
        std::int32_t inCode, std::int32_t outCode)
    {
        const RunTexts& t = texts();
        Platform& platform = CurrentPlatform();
        LocalDateTime now = platform.Now();
        std::string when = platform.ShortDate(now);
        if (now.Hour != 0 || now.Minute != 0 || now.Second != 0) {
            when += ' ';
            when += platform.LongTime(now);
        }

        std::string h;
        h += kHyphens + kCrLf;
        h += kCrLf;
        h += t.Title + kCrLf;
        h += kCrLf;
        h += t.Credit + kCrLf;
        h += t.Area + std::string(TrimControls(areaName_)) + kCrLf;
        h += kCrLf;
        h += t.InputSystem + SystemName(inCode) + kCrLf;
        h += t.ResultSystem + SystemName(outCode) + kCrLf;
        h += kCrLf;
        h += t.Date + Utf8ToCp1250(when, '?') + kCrLf;
        h += kHyphens + kCrLf;
        for (auto piece : { std::string_view("| Lp |    NR_PUNKTU   |   x_"),
                 std::string_view(inTag), std::string_view("    |   y_"), std::string_view(inTag),
                 std::string_view("    |   x_"), std::string_view(outTag),
                 std::string_view("    |   y_"), std::string_view(outTag),
                 std::string_view("    |   dl   |") })
            h += piece;
        h += kCrLf;
        h += t.Units + kCrLf;
        h += kHyphens + kCrLf;
        report.Write(h);
    }

    // Appends a converted block so that the buffered files are handed to the system at the same
    // byte offsets as by one Write a line, and a write failure names the same line whatever the
    // blocks were: lines are written together only where none of them fills a buffer. A line that
    // failed stops the run there: the lines before it are written, nothing after. Throws FileError
    // or FloatingPointError.
    void Append(const Block& b, OutputFile& result, OutputFile& report)
    {
        size_t resultBegin = 0, reportBegin = 0;
        const std::string_view resultBytes(b.Result), reportBytes(b.Report);
        for (size_t i = 0; i < b.LinesDone;) {
            // The lines from i on that both buffers take as they are: line by line they would
            // only be appended, so they are appended at once.
            const size_t resultRoom = result.Room(), reportRoom = report.Room();
            size_t j = i;
            while (j < b.LinesDone && b.ResultEnds[j] - resultBegin <= resultRoom
                && b.ReportEnds[j] - reportBegin <= reportRoom)
                ++j;
            if (j == i)
                j = i + 1; // line i does not fit: alone, its Write hands a buffer to the file
            // Only a step of one line can fail, and then in that line.
            counts_.LinesRead = b.FirstLine + static_cast<std::int64_t>(j);
            result.Write(resultBytes.substr(resultBegin, b.ResultEnds[j - 1] - resultBegin));
            resultBegin = b.ResultEnds[j - 1];
            if (b.ReportEnds[j - 1] != reportBegin) {
                report.Write(reportBytes.substr(reportBegin, b.ReportEnds[j - 1] - reportBegin));
                reportBegin = b.ReportEnds[j - 1];
            }
            i = j;
        }
        if (b.Failed) {
            counts_.LinesRead = b.FirstLine + static_cast<std::int64_t>(b.LinesDone) + 1;
            throw FloatingPointError("Błąd przeliczenia punktu");
        }
        counts_.PointsInFile += b.Points;
        counts_.PointsConverted += b.Transformed;
        counts_.PointsWithDefect += b.Defects;
        if (b.ReadFailed)
            throw FileError("read error");
    }

    void WriteClosing(OutputFile& report)
    {
        const RunTexts& t = texts();
        std::string c;
        c += kHyphens + kCrLf;
        c += t.InFile + std::to_string(counts_.PointsInFile) + kCrLf;
        c += t.Converted + std::to_string(counts_.PointsConverted) + kCrLf;
        c += t.Defects + std::to_string(counts_.PointsWithDefect) + kCrLf;
        c += kCrLf;
        c += t.Notes + kCrLf;
        c += t.Dl + kCrLf;
        c += kCrLf + kCrLf + kCrLf;
        c += t.Signature + kCrLf;
        report.Write(c);
    }

    std::string ClosingMessage() const
    {
        return "OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: "
            + std::to_string(counts_.PointsInFile)
            + "\rIlość punktów transformowanych: " + std::to_string(counts_.PointsConverted)
            + "\rIlość punktów z defektem: " + std::to_string(counts_.PointsWithDefect);
    }

private:
    const std::string& areaName_;
    RunCounts counts_;
};

// A path in a message (UTF-8), with the system's separators. Paths are UTF-8 already and are
// shown as they are; a path whose bytes are not UTF-8 (a name from an old single-byte system)
// is read as Windows-1250, so that the message is valid UTF-8 either way.
std::string pathForMessage(const std::string& path)
{
    return NativeSeparators(IsValidUtf8(path) ? path : Cp1250ToUtf8(path));
}

// The files and the system codes of one direction.
struct RunFiles
{
    std::string InputPath, ResultPath, ReportPath;
    std::int32_t InCode, OutCode;
};

RunFiles resolveFiles(bool localToNational, const std::string& directory)
{
    RunFiles f;
    f.InputPath = PathIn(
        directory, localToNational ? std::string(kLocalInputName) : NationalInputName(SystemCode));
    f.ResultPath = PathIn(directory,
        localToNational ? NationalResultName(SystemCode) : std::string(kLocalResultName));
    f.ReportPath = PathIn(directory, kReportName);
    f.InCode = localToNational ? kLocalSystemCode : SystemCode;
    f.OutCode = localToNational ? SystemCode : kLocalSystemCode;
    return f;
}

// Fits fit to points for the direction; false (after its message) when the fit would be no
// solution, so that no coordinate is ever written from it. Throws what Fit throws.
bool fitOrRefuse(TTrKonfAf& fit, const TPktDostosowania& points, bool localToNational)
{
    Platform& platform = CurrentPlatform();
    if (points.empty()) {
        platform.ShowMessage(TTransPkt::kNoAdjustmentPoints);
        return false;
    }
    if (!HasEnoughSourcePositions(points, localToNational)) {
        platform.ShowMessage(TTransPkt::kTooFewAdjustmentPoints);
        return false;
    }
    fit.Fit(points, kProgramDegree, !localToNational, kHausbrandtCorrection);
    if (fit.Singular != 0) {
        platform.ShowMessage(TTransPkt::kSingularFit);
        return false;
    }
    return true;
}

// How the lines of a run are converted.
struct StreamSettings
{
    TTrKonfAf* Fit; // fitted for the direction
    ExtentBox Box;
    int Decimals;
    unsigned Workers; // 1: on the calling thread
    size_t BlockLines, BlockBytes;
    std::int64_t FaultLine;
    const std::function<void(const RunProgress&)>* Progress; // may be empty
};

// Reads the input in blocks, converts them (on worker threads when there is more than one
// block and more than one worker) and appends them to the files strictly in input order.
// Throws what Run::Append throws, or FileError.
void convertBlocks(LineReader& input, const StreamSettings& s, std::uint64_t inputSize, Run& run,
    OutputFile& result, OutputFile& report)
{
    bool ended = false;
    std::int64_t nextLine = 0, nextPoint = 0;
    // The blocks in flight: one on the calling thread; with workers, one being converted by
    // each and two more, one being read and one being written.
    std::vector<Block> blocks(s.Workers > 1 ? s.Workers + 2 : 1);
    auto read = [&](Block& b) {
        b.FirstLine = nextLine;
        b.FirstPoint = nextPoint;
        readBlock(input, s.BlockLines, s.BlockBytes, b, ended);
        nextLine += static_cast<std::int64_t>(b.Lines());
        nextPoint += pointLines(b);
    };
    read(blocks[0]);

    // Each worker has a fit of its own; the calling thread uses the run's.
    LineConverter here(*s.Fit, s.Box, s.Decimals, s.FaultLine);
    struct alignas(64) WorkerFit
    {
        TTrKonfAf Fit;
    };
    std::vector<WorkerFit> fits;
    std::vector<LineConverter> converters;
    std::unique_ptr<OrderedWorkers> workers;
    if (!ended && s.Workers > 1) {
        fits.assign(s.Workers, WorkerFit { *s.Fit });
        for (WorkerFit& fit : fits)
            converters.emplace_back(fit.Fit, s.Box, s.Decimals, s.FaultLine);
        workers = std::make_unique<OrderedWorkers>(s.Workers, blocks.size(),
            [&](size_t worker, size_t slot) { converters[worker].Convert(blocks[slot]); });
        if (workers->Threads() == 0)
            workers.reset();
    }
    const size_t inFlight = workers ? blocks.size() : 1;
    auto submit = [&](size_t slot) {
        if (workers)
            workers->Submit(slot);
        else
            here.Convert(blocks[slot]);
    };

    submit(0);
    std::uint64_t readCount = 1, written = 0;
    for (;;) {
        while (!ended && readCount - written < inFlight) {
            const size_t slot = static_cast<size_t>(readCount % inFlight);
            read(blocks[slot]);
            if (blocks[slot].Lines() == 0 && !blocks[slot].ReadFailed)
                break; // the input ended with the block before
            submit(slot);
            ++readCount;
        }
        if (written == readCount)
            break;
        const size_t slot = static_cast<size_t>(written % inFlight);
        if (workers)
            workers->Wait(slot);
        run.Append(blocks[slot], result, report);
        ++written;
        if (*s.Progress)
            (*s.Progress)(RunProgress { RunProgress::Stage::Working, run.Counts().LinesRead,
                blocks[slot].InputPosition, inputSize });
    }
}

// Writes the report and the result file from the input and shows the closing message or the
// line of the failure. True after a complete run.
bool streamLines(const RunFiles& files, const StreamSettings& s, Run& run)
{
    Platform& platform = CurrentPlatform();
    std::error_code sizeError;
    std::uint64_t inputSize = std::filesystem::file_size(files.InputPath, sizeError);
    if (sizeError)
        inputSize = 0; // unknown: no share of it is shown
    auto tell = [&](RunProgress::Stage stage) {
        if (*s.Progress)
            (*s.Progress)(RunProgress { stage, run.Counts().LinesRead, 0, inputSize });
    };
    tell(RunProgress::Stage::Started);
    OutputFile report, result;
    LineReader input;
    try {
        // An output that is the input under another name (a link) would destroy it.
        if (SameExistingFile(files.ReportPath, files.InputPath)
            || SameExistingFile(files.ResultPath, files.InputPath))
            throw FileError("an output file is the input file");
        report.Create(files.ReportPath);
        run.WriteHeader(
            report, SystemTag(files.InCode), SystemTag(files.OutCode), files.InCode, files.OutCode);
        input.Open(files.InputPath);
        result.Create(files.ResultPath);
        convertBlocks(input, s, inputSize, run, result, report);
        // The closing message reports success only once every byte has reached the files.
        result.Flush();
        run.WriteClosing(report);
        report.Flush();
    } catch (const std::exception&) {
        // What was written up to the failure stays in the files.
        for (OutputFile* f : { &report, &result }) {
            try {
                f->Close();
            } catch (const FileError&) {
            }
        }
        input.Close();
        tell(RunProgress::Stage::Finished);
        platform.ShowMessage(TTransPkt::kLineError + std::to_string(run.Counts().LinesRead));
        return false;
    }
    tell(RunProgress::Stage::Finished);
    platform.ShowMessage(run.ClosingMessage());
    try {
        report.Close();
        result.Close();
    } catch (const FileError&) {
    }
    input.Close();
    return true;
}

} // namespace

unsigned TTransPkt::Workers() const
{
    if (workers_ != 0)
        return workers_;
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1u, kMaximumDefaultWorkers);
}

bool TTransPkt::TransformFile(bool localToNational, const std::string& directory)
{
    const RunFiles files = resolveFiles(localToNational, directory);
    if (!CurrentPlatform().RegularFileExists(files.InputPath)) {
        CurrentPlatform().ShowMessage(kMissingInput + pathForMessage(files.InputPath));
        return false;
    }
    if (!fitOrRefuse(TrKonfAf, AdjustmentPoints, localToNational))
        return false;
    const StreamSettings settings { &TrKonfAf,
        localToNational ? AreaExtents.Local : AreaExtents.National, RoundingDigits, Workers(),
        blockLines_, blockBytes_, faultLine_, &progress_ };
    Run run(AreaName);
    return streamLines(files, settings, run);
}

} // namespace vorida
