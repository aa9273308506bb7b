// One run over an arbitrary point file, in a scratch directory, with the sample area: reading,
// word splitting, number conversion, the area test, the transformation and both output
// layouts. The first byte chooses the direction and the decimals (and, in its two free bits,
// the blocks of the second run below); the rest is the point file.
//
// Checked against an independent reading of the file: the run completes; the result file has
// one line per input line, blank lines copied, every point line with its name right-aligned in
// 18 columns, two fields of the right kind and width, three blanks and the rest unchanged;
// nothing reads "nan" or "inf"; the report has one row per point line and counts that add up;
// the input file is unchanged. A UTF-8 byte-order mark at the very start belongs to the file,
// not to the first name: the result file starts with the same three bytes, and the lines are
// the ones after it. A file with the mark, or one the editor's detector takes for UTF-8 (the
// input is far below the run's window, so the whole of it decides), is UTF-8 text: names are
// padded by characters (a byte outside any well-formed sequence counting as one), and each
// report row shows its Lp and name, in Windows-1250 ("?" for what the code page lacks; a stray
// byte as it is). Then the same file again on 2 or 3 worker threads with blocks of
// 1 to 4 lines: the same result file, report and message, byte for byte.
#include "Cp1250.h"
#include "FuzzSupport.h"
#include "Numbers.h"
#include "RecordingPlatform.h"
#include "Run.h"
#include "TextEncoding.h"
#include "TranspktText.h"

#include <algorithm>
#include <vector>

using namespace vorida;
using namespace vorida::fuzz;

namespace {

std::vector<std::string> inputLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\x1A') {
        const size_t lf = bytes.find('\n', pos);
        const std::string_view raw
            = bytes.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        std::string line;
        for (char c : raw)
            if (c != '\r')
                line += c;
        lines.push_back(std::move(line));
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }
    return lines;
}

std::vector<std::string> outputLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = bytes.find("\r\n", pos);
        Check(end != std::string::npos, "an output line without CR LF");
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

bool isDelimiter(char c)
{
    return c == ' ' || c == '\t';
}

struct Words
{
    std::string_view Name, X, Y, Rest;
};

Words splitWords(std::string_view line)
{
    Words w;
    std::string_view* slots[3] = { &w.Name, &w.X, &w.Y };
    size_t i = 0, found = 0;
    while (i < line.size()) {
        while (i < line.size() && isDelimiter(line[i]))
            ++i;
        if (i == line.size())
            break;
        if (found == 3) {
            w.Rest = line.substr(i);
            break;
        }
        const size_t start = i;
        while (i < line.size() && !isDelimiter(line[i]))
            ++i;
        *slots[found++] = line.substr(start, i - start);
    }
    return w;
}

std::string right(std::string_view text, size_t width)
{
    std::string s;
    AppendRight(s, text, width);
    return s;
}

// The characters of a UTF-8 text, each given as its code point, or as -1 - byte for a byte
// outside any well-formed sequence.
std::vector<long> characters(std::string_view utf8)
{
    std::vector<long> chars;
    for (size_t i = 0; i < utf8.size();) {
        const long c = DecodeUtf8(utf8, i);
        chars.push_back(c >= 0 ? c : -1 - static_cast<unsigned char>(utf8[i++]));
    }
    return chars;
}

// A name in the report's Windows-1250: the byte whose character it is, "?" for none, a stray
// byte as it is.
std::string reportName(std::string_view name, bool utf8)
{
    if (!utf8)
        return std::string(name);
    std::string out;
    for (long c : characters(name)) {
        if (c < 0) {
            out += static_cast<char>(-1 - c);
            continue;
        }
        char byte = '?';
        for (unsigned b = 0; b < 256; ++b)
            if (static_cast<long>(Cp1250ToUnicode(static_cast<unsigned char>(b))) == c)
                byte = static_cast<char>(b);
        out += byte;
    }
    return out;
}

// A name right-aligned in width columns, padded by its characters.
std::string rightName(std::string_view name, size_t width, bool utf8)
{
    const size_t chars = utf8 ? characters(name).size() : name.size();
    return std::string(chars < width ? width - chars : 0, ' ') + std::string(name);
}

// A number field as the run writes it: fixed point with the decimals (at most 18), or exponent
// form for a negative count.
bool isNumberField(std::string_view f, int decimals)
{
    size_t i = 0;
    if (i < f.size() && f[i] == '-')
        ++i;
    const size_t intStart = i;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9')
        ++i;
    if (i == intStart)
        return false;
    if (decimals < 0 && i - intStart != 1)
        return false;
    const int wanted
        = decimals < 0 ? std::min(-decimals, kMaxDecimals) : std::min(decimals, kMaxDecimals);
    if (wanted > 0) {
        if (i == f.size() || f[i] != '.')
            return false;
        const size_t fracStart = ++i;
        while (i < f.size() && f[i] >= '0' && f[i] <= '9')
            ++i;
        if (static_cast<int>(i - fracStart) != wanted)
            return false;
    }
    if (decimals < 0) {
        if (f.substr(i, 1) != "E" || i + 4 > f.size() || (f[i + 1] != '+' && f[i + 1] != '-'))
            return false;
        for (i += 2; i < f.size(); ++i)
            if (f[i] < '0' || f[i] > '9')
                return false;
    }
    return i == f.size();
}

// A number right-aligned in 14 columns.
bool isNumberIn14(std::string_view part, int decimals)
{
    const size_t start = part.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return false;
    const std::string_view t = part.substr(start);
    return part == right(t, 14) && isNumberField(t, decimals);
}

// Two such numbers one after the other; a number wider than its field leaves no blank between
// them, so every split is tried.
bool isTwoNumberFields(std::string_view middle, int decimals)
{
    for (size_t p = 1; p < middle.size(); ++p)
        if (isNumberIn14(middle.substr(0, p), decimals) && isNumberIn14(middle.substr(p), decimals))
            return true;
    return false;
}

// The five value fields at the end of a report row (the name before them may hold "|"):
// input x and y ("---" or a number), result x and y ("---" or a number), dl (a number).
bool isReportRowEnd(std::string_view row, int decimals)
{
    std::vector<std::string_view> fields;
    size_t end = row.size() - 1; // the closing "|"
    if (row.empty() || row[end] != '|')
        return false;
    for (int k = 0; k < 5; ++k) {
        const size_t bar = row.rfind('|', end - 1);
        if (bar == std::string_view::npos)
            return false;
        std::string_view f = row.substr(bar + 1, end - bar - 1);
        const size_t start = f.find_first_not_of(' ');
        fields.push_back(start == std::string_view::npos ? std::string_view() : f.substr(start));
        end = bar;
    }
    // fields: dl, result y, result x, input y, input x
    if (!isNumberField(fields[0], decimals))
        return false;
    for (int k = 1; k <= 2; ++k)
        if (fields[static_cast<size_t>(k)] != "---"
            && !isNumberField(fields[static_cast<size_t>(k)], decimals))
            return false;
    for (int k = 3; k <= 4; ++k) {
        const std::string_view f = fields[static_cast<size_t>(k)];
        if (f == "---")
            continue;
        for (char c : f)
            if (!((c >= '0' && c <= '9') || c == '-' || c == '.'))
                return false; // input coordinates: fixed point with the typed decimals
    }
    return true;
}

// The sample area, as at the program's start.
RunArea loadArea()
{
    const std::string text = ReadBytes(std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt");
    TranspktFile file = ParseTranspktText(text);
    RunArea area { file.Points, file.AreaName, file.SystemCode, ComputeAreaExtents(file.Points),
        {} }; // parsed from text: no area file among the run's inputs
    Check(area.Points.size() >= kMinimumAdjustmentPoints, "no sample area");
    return area;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static ScratchDir dir;
    static const RunArea area = loadArea();
    if (size == 0)
        return 0;
    const bool localToNational = (data[0] & 0x80u) == 0;
    RunSettings settings;
    settings.Direction = localToNational ? Direction::LocalToNational : Direction::NationalToLocal;
    settings.Digits = static_cast<int>(data[0] & 0x1Fu) - 6; // -6 .. 25
    settings.Workers = 1;
    const RunFiles files = FixedRunFiles(settings.Direction, dir.Path(), area.SystemCode);
    const std::string_view input = AsText(data + 1, size - 1);
    const std::string inputName = localToNational ? "xy_LOK" : "xy2000";
    const std::string resultName = localToNational ? "xy2000.1" : "xy_LOK.1";
    WriteBytes(dir / inputName, input);

    RecordingPlatform platform;
    settings.Messages = &platform;
    Check(RunConversion(area, files, settings).Complete, "the run did not complete");
    Check(ReadBytes(dir / inputName) == input, "the input file changed");

    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const bool marked = input.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    const std::string resultBytes = ReadBytes(dir / resultName);
    Check(!marked || resultBytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0,
        "the byte-order mark of the input does not start the result file");
    const std::size_t skipped = marked ? kByteOrderMark.size() : 0;
    const std::vector<std::string> in = inputLines(input.substr(skipped));
    const std::vector<std::string> out = outputLines(resultBytes.substr(skipped));
    Check(in.size() == out.size(), "not one result line per input line");
    std::string lines;
    for (const std::string& line : in)
        lines += line + "\n";
    const bool utf8 = marked || DetectEncoding(lines) != TextEncoding::Cp1250;
    std::vector<std::string> rowStarts; // "|", Lp, "|", name, "|" of each point line
    const ExtentBox& box = localToNational ? area.Extents.Local : area.Extents.National;
    long points = 0, converted = 0, defects = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        std::string line = in[i];
        std::string result = out[i];
        // In UTF-8 text a mark starting a line is a later file's: it starts the result line
        // too and is no part of the name; a line that is not UTF-8 is read as Windows-1250.
        bool lineUtf8 = utf8;
        if (utf8 && line.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
            Check(result.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0,
                "a later byte-order mark does not start its result line");
            line.erase(0, kByteOrderMark.size());
            result.erase(0, kByteOrderMark.size());
        }
        if (lineUtf8 && !IsValidUtf8(line))
            lineUtf8 = false;
        if (std::all_of(line.begin(), line.end(),
                [](char c) { return static_cast<unsigned char>(c) <= 32; })) {
            Check(result == line, "a blank line was not copied");
            continue;
        }
        ++points;
        const Words w = splitWords(line);
        rowStarts.push_back("|" + right(std::to_string(points), 4) + "|"
            + right(reportName(w.Name, lineUtf8), 16) + "|");
        const std::string head = rightName(w.Name, 18, lineUtf8);
        const std::string tail = "   " + std::string(w.Rest);
        Check(result.size() >= head.size() + tail.size()
                && result.compare(0, head.size(), head) == 0
                && result.compare(result.size() - tail.size(), tail.size(), tail) == 0,
            "name or rest not passed through");
        const std::string middle
            = result.substr(head.size(), result.size() - head.size() - tail.size());
        Extended x = 0.0L, y = 0.0L;
        if (!ParseCoordinate(w.X, x) || !ParseCoordinate(w.Y, y)) {
            Check(middle == right("---", 15) + right("---", 15), "unreadable point layout");
            ++defects;
        } else if (!(box.MinX <= x && x <= box.MaxX && box.MinY <= y && y <= box.MaxY)) {
            Check(middle == right("---", 14) + right("---", 14), "outside point layout");
            ++defects;
        } else {
            Check(isTwoNumberFields(middle, settings.Digits), "converted point layout");
            ++converted;
        }
    }
    const auto messages = platform.Messages();
    Check(messages.size() == 1, "not one message");
    Check(messages[0]
            == "OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: " + std::to_string(points)
                + "\rIlość punktów transformowanych: " + std::to_string(converted)
                + "\rIlość punktów z defektem: " + std::to_string(defects),
        "closing message counts");

    const std::string report = ReadBytes(dir / "Raport.txt");
    const std::vector<std::string> rows = outputLines(report);
    const long rowCount = std::count_if(rows.begin(), rows.end(), [](const std::string& r) {
        return !r.empty() && r[0] == '|';
    }) - 2;
    Check(rowCount == points, "not one report row per point line");
    for (size_t i = 15; i < rows.size() && !rows[i].empty() && rows[i][0] == '|'; ++i) {
        Check(isReportRowEnd(rows[i], settings.Digits), "report row values");
        Check(rows[i].compare(0, rowStarts[i - 15].size(), rowStarts[i - 15]) == 0,
            "report row Lp or name");
    }

    const std::string result = ReadBytes(dir / resultName);
    RecordingPlatform threaded;
    settings.Messages = &threaded;
    settings.Workers = 2 + ((data[0] >> 5) & 1u);
    settings.BlockLines = 1 + ((data[0] >> 5) & 3u);
    settings.BlockBytes = 64;
    Check(RunConversion(area, files, settings).Complete, "the threaded run did not complete");
    Check(threaded.Messages() == messages, "the threaded run's message differs");
    Check(ReadBytes(dir / resultName) == result, "the threaded run's result file differs");
    Check(ReadBytes(dir / "Raport.txt") == report, "the threaded run's report differs");
    return 0;
}
