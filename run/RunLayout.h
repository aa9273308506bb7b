// The layout of a run's files: the result line of each input line, the report row of each
// point line, the report's header and closing lines, and the closing message.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vorida {

inline constexpr std::string_view kLineEnd = "\r\n";

// The fields of a result line: the name, then x and y right-aligned. A converted point and a
// point outside the area have 14-column fields, so that their lines stand in line; an
// unreadable point's fields are one column wider, 15, which tells its "---" line from that of a
// point outside the area at a glance. Result files already written, and the programs that read
// them by columns, rely on both widths.
inline constexpr size_t kNameField = 18;
inline constexpr size_t kCoordinateField = 14;
inline constexpr size_t kUnreadableField = 15;
// The fields of a report row: Lp, the name, the four coordinates and dl, between bars.
inline constexpr size_t kLpColumn = 4, kNameColumn = 16, kCoordinateColumn = 13, kDlColumn = 8;

// The counters of one run. 64-bit, so that no file is long enough to wrap them.
struct RunCounts
{
    std::int64_t LinesRead = 0;
    std::int64_t PointsInFile = 0;
    std::int64_t PointsConverted = 0;
    std::int64_t PointsWithDefect = 0;
};

// The columns a right-aligned field takes: its width, or more for a longer text (never cut).
inline size_t FieldColumns(std::string_view text, size_t width)
{
    return std::max(text.size(), width);
}

// The bytes a right-aligned field of text takes when text is chars characters long: the
// padding counts characters, so that a UTF-8 name stands as its Windows-1250 form does.
inline size_t FieldBytes(std::string_view text, size_t chars, size_t width)
{
    return text.size() + (chars < width ? width - chars : 0);
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

    void Right(std::string_view text, size_t width) { Right(text, text.size(), width); }
    // text of chars characters (UTF-8 text: fewer than its bytes), padded by characters.
    void Right(std::string_view text, size_t chars, size_t width)
    {
        const size_t room = FieldBytes(text, chars, width);
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

// The result line of a point line: the name, x and y in fields of width columns (the numbers
// as written, or "---"), three blanks and the rest of the input line; CR LF. The name is
// nameChars characters long (its bytes in Windows-1250, fewer in UTF-8).
void AppendResultLine(std::string& out, std::string_view name, size_t nameChars, std::string_view x,
    std::string_view y, size_t width, std::string_view rest);
// The report row of a point line, its values as written.
void AppendReportRow(std::string& out, std::int64_t lp, std::string_view name, std::string_view inX,
    std::string_view inY, std::string_view outX, std::string_view outY, std::string_view dl);

// The report's header: its first 15 lines. areaName as read (Windows-1250), when the date line's
// text (UTF-8).
std::string ReportHeader(const std::string& areaName, std::int32_t inCode, std::int32_t outCode,
    const std::string& when);
// The report's closing lines, after the last row.
std::string ReportClosing(const RunCounts& counts);
// The closing message of a complete run (UTF-8; lines broken by CR, as in a message box).
std::string ClosingMessage(const RunCounts& counts);

} // namespace vorida
