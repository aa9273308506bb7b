#include "BlockLines.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "TextEncoding.h"
#include "UNITtrk.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>

namespace vorida {

bool IsBlankLine(std::string_view line)
{
    return std::all_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// True when text holds a byte beyond ASCII. One pass without a branch a byte, which the
// compiler vectorises: an input of ASCII alone pays little for being asked.
bool BeyondAscii(std::string_view text)
{
    unsigned char any = 0;
    for (char c : text)
        any |= static_cast<unsigned char>(c);
    return (any & 0x80u) != 0;
}

namespace {

// The Windows-1250 byte of each code point below U+2200, where every character of the code page
// lies; 0 where it has none. Built once: a name's characters are looked up, not searched for.
const std::array<unsigned char, 0x2200>& cp1250Bytes()
{
    static const std::array<unsigned char, 0x2200> bytes = [] {
        std::array<unsigned char, 0x2200> t {};
        for (unsigned b = 1; b < 0x100; ++b)
            t[Cp1250ToUnicode(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
        return t;
    }();
    return bytes;
}

// A UTF-8 name as the report shows it, in Windows-1250: each character as its byte, "?" for one
// the code page lacks; a byte outside any well-formed sequence stays itself, as the editor shows
// it (its Windows-1250 character). Returns the name's length in characters, which is also the
// length of what was appended.
size_t appendNameInCp1250(std::string& out, std::string_view utf8)
{
    const std::array<unsigned char, 0x2200>& bytes = cp1250Bytes();
    const size_t start = out.size();
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += utf8[i++];
            continue;
        }
        const long c = DecodeUtf8(utf8, i);
        if (c < 0) {
            out += utf8[i++];
            continue;
        }
        const unsigned char b = c < 0x2200 ? bytes[static_cast<size_t>(c)] : 0;
        out += b == 0 ? '?' : static_cast<char>(b);
    }
    return out.size() - start;
}

} // namespace

std::int64_t PointLines(const Block& b)
{
    std::int64_t n = 0;
    for (size_t i = 0; i < b.Lines(); ++i) {
        std::string_view line = b.Line(i);
        // A later file's byte-order mark is no part of its line (takeUtf8Line).
        if (b.Utf8 && line.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
            line.remove_prefix(kUtf8ByteOrderMark.size());
        n += IsBlankLine(line) ? 0 : 1;
    }
    return n;
}

// Never throws: a line that fails (a floating-point fault, no memory) ends the block there.
void LineConverter::Convert(Block& b)
{
    b.Result.clear();
    b.Report.clear();
    b.ResultEnds.clear();
    b.ReportEnds.clear();
    b.DefectLines.clear();
    b.LinesDone = 0;
    b.Failed = false;
    b.Fault = nullptr;
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
        b.Fault = std::current_exception();
    }
}

// One input line (lineNumber counts from 1 over the whole input).
namespace {
// The line of a UTF-8 input as it is read: a byte-order mark at its start is a later file's,
// put together with the first (cat *.txt), which marks the file as the first does and is no
// part of the name. False (a warning with the line) for a line that is not UTF-8: it is read
// as Windows-1250.
bool takeUtf8Line(std::string_view& line, std::int64_t lineNumber, Block& b)
{
    if (line.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        b.Result += kUtf8ByteOrderMark;
        line.remove_prefix(kUtf8ByteOrderMark.size());
    }
    if (BeyondAscii(line) && !IsValidUtf8(line)) {
        b.DefectLines.emplace_back(lineNumber, DefectKind::NotUtf8);
        return false;
    }
    return true;
}
} // namespace

void LineConverter::Line(std::string_view line, std::int64_t lineNumber, Block& b)
{
    const bool utf8 = b.Utf8 && takeUtf8Line(line, lineNumber, b);
    if (IsBlankLine(line)) {
        b.Result += line;
        b.Result += kLineEnd;
        return;
    }
    const std::int64_t lp = b.FirstPoint + b.Points + 1;
    // NthWord 1, 2, 3 and RestFromWord 4 with blank and tab, in one pass.
    const PointLineWords words = SplitPointLine(line);
    // A UTF-8 name is padded by its characters in the result line, and the report, which is
    // Windows-1250 throughout, shows it converted.
    std::string_view name = words.Name;
    size_t nameChars = name.size();
    if (utf8 && BeyondAscii(name)) {
        name_.clear();
        nameChars = appendNameInCp1250(name_, name);
        name = name_;
    }

    Extended x = 0.0L, y = 0.0L;
    const bool readable = ParseCoordinate(words.X, x) && ParseCoordinate(words.Y, y);
    if (!readable) {
        AppendResultLine(
            b.Result, words.Name, nameChars, "---", "---", kUnreadableField, words.Rest);
        ReportRow(lp, name, "---", "---", "---", "---", 0.0L, b.Report);
        ++b.Points;
        ++b.Defects;
        b.DefectLines.emplace_back(lineNumber, DefectKind::Unreadable);
        return;
    }
    inX_.clear();
    AppendInputDecimals(inX_, words.X, x, DecimalsOf(words.X));
    inY_.clear();
    AppendInputDecimals(inY_, words.Y, y, DecimalsOf(words.Y));
    const bool inside = box_.MinX <= x && x <= box_.MaxX && box_.MinY <= y && y <= box_.MaxY;
    if (!inside) {
        AppendResultLine(
            b.Result, words.Name, nameChars, "---", "---", kCoordinateField, words.Rest);
        ReportRow(lp, name, inX_, inY_, "---", "---", 0.0L, b.Report);
        ++b.Points;
        ++b.Defects;
        b.DefectLines.emplace_back(lineNumber, DefectKind::OutsideArea);
        return;
    }
    Extended outX = 0.0L, outY = 0.0L;
    fit_.TransformPoint(outX, outY, x, y);
    const Extended cx = fit_.CorrectionX, cy = fit_.CorrectionY;
    const Extended dl = std::sqrt(cx * cx + cy * cy);
    // A fault injected by the tests, as if raised here. The test stays in the loop: one
    // compare of two registers per converted point, always false outside the tests, costs
    // nothing measurable beside the point's transformation.
    if (lineNumber == faultLine_) {
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
    AppendResultLine(b.Result, words.Name, nameChars, outX_, outY_, kCoordinateField, words.Rest);
    ReportRow(lp, name, inX_, inY_, outX_, outY_, dl, b.Report);
    ++b.Points;
    ++b.Transformed;
}

void LineConverter::ReportRow(std::int64_t lp, std::string_view name, std::string_view inX,
    std::string_view inY, std::string_view outX, std::string_view outY, Extended dl,
    std::string& out)
{
    dl_.clear();
    AppendDecimals(dl_, dl, decimals_);
    AppendReportRow(out, lp, name, inX, inY, outX, outY, dl_);
}

// Reads one more line; false at the end of the input or when it could not be read.
bool LookAhead::ReadLine(LineReader& input)
{
    if (Ended || ReadFailed)
        return false;
    try {
        if (input.AppendNext(Text)) {
            Ends.push_back(Text.size());
            return true;
        }
        Ended = true;
    } catch (const FileError& e) {
        ReadFailed = true;
        ReadFailure = e.what();
    }
    return false;
}

// Whether the lines of b, the next block of the input, are UTF-8 text.
bool EncodingFinder::Take(const Block& b, LineReader& input, LookAhead& ahead)
{
    if (state_ != State::Ascii)
        return state_ == State::Utf8;
    if (!BeyondAscii(b.Text)) {
        for (size_t i = 0; i < b.Lines() && !startDropped_; ++i)
            keepStart(b.Line(i));
        return false;
    }
    size_t first = 0;
    while (first < b.Lines() && !BeyondAscii(b.Line(first)))
        keepStart(b.Line(first++));
    if (first == b.Lines())
        return false; // the bytes beyond ASCII are those of a line the input failed in
    // The lines from the start, then those from the first line beyond ASCII on, up to the
    // window ahead of it: this block's, then lines read ahead.
    std::string sample = startDropped_ ? std::string() : std::move(start_);
    size_t fromFirst = 0;
    auto add = [&](std::string_view line) {
        sample += line;
        sample += '\n';
        fromFirst += line.size() + 1;
    };
    for (size_t i = first; i < b.Lines() && fromFirst < kEncodingWindow; ++i)
        add(b.Line(i));
    while (fromFirst < kEncodingWindow && ahead.ReadLine(input))
        add(ahead.Line(ahead.Ends.size() - 1));
    state_ = DetectEncoding(sample) == TextEncoding::Cp1250 ? State::Cp1250 : State::Utf8;
    start_ = std::string();
    return state_ == State::Utf8;
}

// ASCII lines from the start of the input, while they are within the window.
void EncodingFinder::keepStart(std::string_view line)
{
    if (startDropped_)
        return;
    if (start_.size() + line.size() + 1 > kEncodingWindow) {
        startDropped_ = true;
        start_ = std::string();
        return;
    }
    start_ += line;
    start_ += '\n';
}

} // namespace vorida
