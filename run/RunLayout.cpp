#include "RunLayout.h"

#include "Cp1250.h"
#include "SystemNames.h"
#include "UNITtrk.h"
#include "VoridaVersion.h"

#include <charconv>
#include <utility>

namespace vorida {

namespace {

const std::string kCrLf(kLineEnd);
const std::string kHyphens(88, '-');

// A text of the program, as written into the files.
std::string own(const std::string& utf8)
{
    return Utf8ToCp1250(utf8);
}

struct RunTexts
{
    std::string Title = own("                              TRANSFORMACJA WSPÓŁRZĘDNYCH PUNKTÓW");
    std::string Credit
        = own(std::string("Raport z programu Vorida.exe ver ") + kVoridaVersion + " ");
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

} // namespace

void AppendResultLine(std::string& out, std::string_view name, size_t nameChars, std::string_view x,
    std::string_view y, size_t width, std::string_view rest)
{
    constexpr std::string_view gap = "   ";
    LineLayout line(out,
        FieldBytes(name, nameChars, kNameField) + FieldColumns(x, width) + FieldColumns(y, width)
            + gap.size() + rest.size() + kLineEnd.size());
    line.Right(name, nameChars, kNameField);
    line.Right(x, width);
    line.Right(y, width);
    line.Put(gap);
    line.Put(rest);
    line.Put(kLineEnd);
}

void AppendReportRow(std::string& out, std::int64_t lp, std::string_view name, std::string_view inX,
    std::string_view inY, std::string_view outX, std::string_view outY, std::string_view dl)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lp).ptr;
    const std::string_view number(digits, static_cast<size_t>(end - digits));
    // Each field right-aligned in its columns, a bar before the first and after each.
    const std::pair<std::string_view, size_t> fields[] = { { number, kLpColumn },
        { name, kNameColumn }, { inX, kCoordinateColumn }, { inY, kCoordinateColumn },
        { outX, kCoordinateColumn }, { outY, kCoordinateColumn }, { dl, kDlColumn } };
    size_t length = 1 + kLineEnd.size();
    for (const auto& [text, width] : fields)
        length += FieldColumns(text, width) + 1;
    LineLayout row(out, length);
    row.Bar();
    for (const auto& [text, width] : fields) {
        row.Right(text, width);
        row.Bar();
    }
    row.Put(kLineEnd);
}

std::string ReportHeader(
    const std::string& areaName, std::int32_t inCode, std::int32_t outCode, const std::string& when)
{
    const RunTexts& t = texts();
    const std::string inTag = SystemTag(inCode), outTag = SystemTag(outCode);
    std::string h;
    h += kHyphens + kCrLf;
    h += kCrLf;
    h += t.Title + kCrLf;
    h += kCrLf;
    h += t.Credit + kCrLf;
    h += t.Area + std::string(TrimControls(areaName)) + kCrLf;
    h += kCrLf;
    h += t.InputSystem + SystemName(inCode) + kCrLf;
    h += t.ResultSystem + SystemName(outCode) + kCrLf;
    h += kCrLf;
    h += t.Date + Utf8ToCp1250(when, '?') + kCrLf;
    h += kHyphens + kCrLf;
    for (auto piece :
        { std::string_view("| Lp |    NR_PUNKTU   |   x_"), std::string_view(inTag),
            std::string_view("    |   y_"), std::string_view(inTag), std::string_view("    |   x_"),
            std::string_view(outTag), std::string_view("    |   y_"), std::string_view(outTag),
            std::string_view("    |   dl   |") })
        h += piece;
    h += kCrLf;
    h += t.Units + kCrLf;
    h += kHyphens + kCrLf;
    return h;
}

std::string ReportClosing(const RunCounts& counts)
{
    const RunTexts& t = texts();
    std::string c;
    c += kHyphens + kCrLf;
    c += t.InFile + std::to_string(counts.PointsInFile) + kCrLf;
    c += t.Converted + std::to_string(counts.PointsConverted) + kCrLf;
    c += t.Defects + std::to_string(counts.PointsWithDefect) + kCrLf;
    c += kCrLf;
    c += t.Notes + kCrLf;
    c += t.Dl + kCrLf;
    c += kCrLf + kCrLf + kCrLf;
    c += t.Signature + kCrLf;
    return c;
}

std::string ClosingMessage(const RunCounts& counts)
{
    return "OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: " + std::to_string(counts.PointsInFile)
        + "\rIlość punktów transformowanych: " + std::to_string(counts.PointsConverted)
        + "\rIlość punktów z defektem: " + std::to_string(counts.PointsWithDefect);
}

} // namespace vorida
