#include "UTransPkt.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "Platform.h"
#include "UNITtrk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

// Code 22 has no tag of its own in the original table; it gets the tag of the other
// 1942/83 codes.
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

std::string trimmedControls(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return std::string(text.substr(b, e - b));
}

// The number of distinct source positions among the adjustment points, counted up to limit.
// Only for finite coordinates.
size_t distinctSourcePositions(const TPktDostosowania& points, bool localSource, size_t limit)
{
    std::vector<std::pair<Extended, Extended>> positions;
    positions.reserve(points.size());
    for (const TPkt& p : points) {
        Extended x = localSource ? p.LocalX : p.NationalX;
        Extended y = localSource ? p.LocalY : p.NationalY;
        if (!std::isfinite(x) || !std::isfinite(y))
            return limit; // the fit reports such coordinates itself
        positions.emplace_back(x, y);
    }
    std::sort(positions.begin(), positions.end());
    size_t distinct = 0;
    for (size_t i = 0; i < positions.size() && distinct < limit; ++i)
        if (i == 0 || positions[i] != positions[i - 1])
            ++distinct;
    return distinct;
}

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

// One run: the files, the counters and the line layouts.
class Run
{
public:
    Run(const ExtentBox& box, int decimals) : box_(box), decimals_(decimals) { }

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
        h += t.Area + trimmedControls(AreaName) + kCrLf;
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

    // One input line; throws FileError or FloatingPointError. Every buffer it writes into is
    // a member kept from line to line, so a line allocates nothing once they have grown.
    void Line(std::string_view line, OutputFile& result, OutputFile& report)
    {
        if (isBlankLine(line)) {
            out_.assign(line);
            out_ += kCrLf;
            result.Write(out_);
            return;
        }
        ++pointsInFile_;
        // NthWord 1, 2, 3 and RestFromWord 4 with blank and tab, in one pass.
        const PointLineWords words = SplitPointLine(line);

        Extended x = 0.0L, y = 0.0L;
        const bool readable = ParseCoordinate(words.X, x) && ParseCoordinate(words.Y, y);
        if (!readable) {
            ResultLine(words.Name, "---", "---", 15, words.Rest, result);
            ReportRow(words.Name, "---", "---", "---", "---", 0.0L, report);
            ++pointsWithDefect_;
            return;
        }
        inX_.clear();
        AppendDecimals(inX_, x, TTransPkt::DecimalsOf(words.X));
        inY_.clear();
        AppendDecimals(inY_, y, TTransPkt::DecimalsOf(words.Y));
        const bool inside = box_.MinX <= x && x <= box_.MaxX && box_.MinY <= y && y <= box_.MaxY;
        if (!inside) {
            ResultLine(words.Name, "---", "---", 14, words.Rest, result);
            ReportRow(words.Name, inX_, inY_, "---", "---", 0.0L, report);
            ++pointsWithDefect_;
            return;
        }
        Extended outX = 0.0L, outY = 0.0L;
        TrKonfAf.TransformPoint(outX, outY, x, y);
        ++pointsConverted_;
        const Extended cx = TrKonfAf.CorrectionX, cy = TrKonfAf.CorrectionY;
        const Extended dl = std::sqrt(cx * cx + cy * cy);
        // Nothing of the point is written before its numbers are known to be numbers: a
        // floating-point fault, or a NaN carried in from the data (it raises no flag), stops
        // the run here.
        ThrowOnFloatingPointFlags();
        if (!(std::isfinite(outX) && std::isfinite(outY) && std::isfinite(dl)))
            throw FloatingPointError("Wynik przeliczenia nie jest liczbą");
        outX_.clear();
        AppendDecimals(outX_, outX, decimals_);
        outY_.clear();
        AppendDecimals(outY_, outY, decimals_);
        ResultLine(words.Name, outX_, outY_, 14, words.Rest, result);
        ReportRow(words.Name, inX_, inY_, outX_, outY_, dl, report);
    }

    void WriteClosing(OutputFile& report)
    {
        const RunTexts& t = texts();
        std::string c;
        c += kHyphens + kCrLf;
        c += t.InFile + std::to_string(pointsInFile_) + kCrLf;
        c += t.Converted + std::to_string(pointsConverted_) + kCrLf;
        c += t.Defects + std::to_string(pointsWithDefect_) + kCrLf;
        c += kCrLf;
        c += t.Notes + kCrLf;
        c += t.Dl + kCrLf;
        c += kCrLf + kCrLf + kCrLf;
        c += t.Signature + kCrLf;
        report.Write(c);
    }

    std::string ClosingMessage() const
    {
        return "OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: " + std::to_string(pointsInFile_)
            + "\rIlość punktów transformowanych: " + std::to_string(pointsConverted_)
            + "\rIlość punktów z defektem: " + std::to_string(pointsWithDefect_);
    }

private:
    void ResultLine(std::string_view name, std::string_view x, std::string_view y, size_t width,
        std::string_view rest, OutputFile& result)
    {
        out_.clear();
        AppendRight(out_, name, 18);
        AppendRight(out_, x, width);
        AppendRight(out_, y, width);
        out_ += "   ";
        out_ += rest;
        out_ += kCrLf;
        result.Write(out_);
    }

    void ReportRow(std::string_view name, std::string_view inX, std::string_view inY,
        std::string_view outX, std::string_view outY, Extended dl, OutputFile& report)
    {
        out_.clear();
        out_ += '|';
        char lp[24];
        const auto lpEnd = std::to_chars(lp, lp + sizeof lp, pointsInFile_).ptr;
        AppendRight(out_, std::string_view(lp, static_cast<size_t>(lpEnd - lp)), 4);
        out_ += '|';
        AppendRight(out_, name, 16);
        out_ += '|';
        AppendRight(out_, inX, 13);
        out_ += '|';
        AppendRight(out_, inY, 13);
        out_ += '|';
        AppendRight(out_, outX, 13);
        out_ += '|';
        AppendRight(out_, outY, 13);
        out_ += '|';
        dl_.clear();
        AppendDecimals(dl_, dl, decimals_);
        AppendRight(out_, dl_, 8);
        out_ += '|';
        out_ += kCrLf;
        report.Write(out_);
    }

    ExtentBox box_;
    int decimals_;
    std::string out_; // the line being written
    std::string inX_, inY_, outX_, outY_, dl_; // the number fields of the current point

public:
    // Wider than the 32-bit counters of old, so that no file is long enough to wrap them.
    std::int64_t linesRead_ = 0;
    std::int64_t pointsInFile_ = 0;
    std::int64_t pointsConverted_ = 0;
    std::int64_t pointsWithDefect_ = 0;
};

// A path in a message (UTF-8), with the system's separators. Paths are UTF-8 already and are
// shown as they are; a path whose bytes are not UTF-8 (a name from an old single-byte system)
// is read as Windows-1250, so that the message is valid UTF-8 either way.
std::string pathForMessage(const std::string& path)
{
    return NativeSeparators(IsValidUtf8(path) ? path : Cp1250ToUtf8(path));
}

} // namespace

bool TTransPkt::TransformFile(bool localToNational, const std::string& directory)
{
    Platform& platform = CurrentPlatform();
    const std::string inputName
        = localToNational ? std::string(kLocalInputName) : NationalInputName(SystemCode);
    const std::string resultName
        = localToNational ? NationalResultName(SystemCode) : std::string(kLocalResultName);
    const std::int32_t inCode = localToNational ? kLocalSystemCode : SystemCode;
    const std::int32_t outCode = localToNational ? SystemCode : kLocalSystemCode;
    const ExtentBox& box = localToNational ? AreaExtents.Local : AreaExtents.National;
    const std::string inputPath = PathIn(directory, inputName);

    if (!platform.RegularFileExists(inputPath)) {
        platform.ShowMessage(kMissingInput + pathForMessage(inputPath));
        return false;
    }

    // Coordinates are never written from a fit that is no solution.
    if (AdjustmentPoints.empty()) {
        platform.ShowMessage(kNoAdjustmentPoints);
        return false;
    }
    if (distinctSourcePositions(AdjustmentPoints, localToNational, kMinimumAdjustmentPoints)
        < kMinimumAdjustmentPoints) {
        platform.ShowMessage(kTooFewAdjustmentPoints);
        return false;
    }
    TrKonfAf.Fit(AdjustmentPoints, 3, !localToNational, 1);
    if (TrKonfAf.Singular != 0) {
        platform.ShowMessage(kSingularFit);
        return false;
    }

    Run run(box, RoundingDigits);
    OutputFile report, result;
    LineReader input;
    std::string line;
    try {
        // An output that is the input under another name (a link) would destroy it.
        const std::string reportPath = PathIn(directory, kReportName);
        const std::string resultPath = PathIn(directory, resultName);
        if (SameExistingFile(reportPath, inputPath) || SameExistingFile(resultPath, inputPath))
            throw FileError("an output file is the input file");
        report.Create(reportPath);
        run.WriteHeader(report, SystemTag(inCode), SystemTag(outCode), inCode, outCode);
        input.Open(inputPath);
        result.Create(resultPath);
        while (input.Next(line)) {
            ++run.linesRead_;
            run.Line(line, result, report);
        }
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
        platform.ShowMessage(kLineError + std::to_string(run.linesRead_));
        return false;
    }
    platform.ShowMessage(run.ClosingMessage());
    try {
        report.Close();
        result.Close();
    } catch (const FileError&) {
    }
    input.Close();
    return true;
}

} // namespace vorida
