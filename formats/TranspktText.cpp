#include "TranspktText.h"

#include "Cp1250.h"
#include "Numbers.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vorida {

PackError::PackError(long line, const std::string& message)
    : Error("Linia " + std::to_string(line) + ": " + message), Line(line)
{
}

namespace {

constexpr std::string_view kRawPrefix = "raw:";

std::vector<std::string_view> splitOn(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t cut = line.find(separator, start);
        if (cut == std::string_view::npos) {
            parts.push_back(line.substr(start));
            return parts;
        }
        parts.push_back(line.substr(start, cut - start));
        start = cut + 1;
    }
}

std::vector<std::string_view> splitOnBlanks(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

ExtendedBytes parseValue(std::string_view word, long lineNumber)
{
    ExtendedBytes bytes {};
    if (word.substr(0, kRawPrefix.size()) == kRawPrefix) {
        std::string_view hex = word.substr(kRawPrefix.size());
        if (hex.size() != 20)
            throw PackError(lineNumber, "po \"raw:\" ma stać 20 cyfr szesnastkowych");
        for (size_t i = 0; i < 10; ++i) {
            int hi = hexValue(hex[2 * i]), lo = hexValue(hex[2 * i + 1]);
            if (hi < 0 || lo < 0)
                throw PackError(lineNumber, "niepoprawna cyfra szesnastkowa");
            bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
        }
        return bytes;
    }
    Extended value = 0.0L;
    if (!ParseCoordinate(word, value))
        throw PackError(lineNumber, "niepoprawna liczba \"" + std::string(word) + "\"");
    return EncodeExtended(value);
}

std::int32_t parseInt(std::string_view text, long lineNumber)
{
    const std::optional<std::int32_t> value = ParseInt32(text);
    if (!value)
        throw PackError(lineNumber, "niepoprawna liczba całkowita \"" + std::string(text) + "\"");
    return *value;
}

std::string toCp1250(std::string_view utf8, long lineNumber)
{
    try {
        return Utf8ToCp1250(utf8);
    } catch (const EncodingError& e) {
        throw PackError(lineNumber, e.what());
    }
}

std::string valueText(Extended value, const ExtendedBytes& raw)
{
    if (std::isfinite(value) && EncodeExtended(value) == raw)
        return RoundTripText(value);
    static const char kHex[] = "0123456789abcdef";
    std::string text(kRawPrefix);
    for (std::uint8_t b : raw) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

} // namespace

TranspktFile ParseTranspktText(std::string_view text)
{
    TranspktFile contents;
    if (text.starts_with(kUtf8ByteOrderMark))
        text.remove_prefix(kUtf8ByteOrderMark.size());
    long lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        std::string_view line = text.substr(
            start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
        start = lf == std::string_view::npos ? text.size() : lf + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const auto tabs = std::count(line.begin(), line.end(), '\t');
        std::vector<std::string_view> fields;
        if (tabs == 4) {
            fields = splitOn(line, '\t');
        } else if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        } else if (line.front() == '#') {
            continue;
        } else if (line.front() == '@') {
            size_t end = line.find_first_of(" \t");
            std::string_view key = line.substr(1, end == std::string_view::npos ? end : end - 1);
            std::string_view value
                = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
            if (key == "area")
                contents.AreaName = toCp1250(value, lineNumber);
            else if (key == "system")
                contents.SystemCode = parseInt(value, lineNumber);
            else if (key == "skipped")
                contents.Skipped = parseInt(value, lineNumber);
            else
                throw PackError(lineNumber, "nieznany nagłówek \"@" + std::string(key) + "\"");
            continue;
        } else if (tabs == 0) {
            fields = splitOnBlanks(line);
        }
        if (fields.size() != 5)
            throw PackError(lineNumber, "punkt ma mieć 5 pól: nazwa, x i y lokalne, x i y krajowe");
        TPkt point;
        point.Name = toCp1250(fields[0], lineNumber);
        std::array<ExtendedBytes, 4> raw;
        for (size_t k = 0; k < 4; ++k)
            raw[k] = parseValue(fields[k + 1], lineNumber);
        point.LocalX = DecodeExtended(raw[0].data());
        point.LocalY = DecodeExtended(raw[1].data());
        point.NationalX = DecodeExtended(raw[2].data());
        point.NationalY = DecodeExtended(raw[3].data());
        contents.Points.push_back(std::move(point));
        contents.RawCoordinates.push_back(raw);
    }
    return contents;
}

std::string DumpTranspktText(const TranspktFile& contents)
{
    std::string out;
    out += "# TRANSPKT.BIN\n";
    out += "# nazwa, x i y lokalne, x i y krajowe (tabulatory)\n";
    out += "@area\t" + Cp1250ToUtf8(contents.AreaName) + "\n";
    out += "@system\t" + std::to_string(contents.SystemCode) + "\n";
    out += "@skipped\t" + std::to_string(contents.Skipped) + "\n";
    const bool haveRaw = contents.RawCoordinates.size() == contents.Points.size();
    for (size_t i = 0; i < contents.Points.size(); ++i) {
        const TPkt& p = contents.Points[i];
        out += Cp1250ToUtf8(p.Name);
        const Extended values[4] = { p.LocalX, p.LocalY, p.NationalX, p.NationalY };
        for (size_t k = 0; k < 4; ++k) {
            ExtendedBytes raw = haveRaw ? contents.RawCoordinates[i][k] : EncodeExtended(values[k]);
            out += '\t';
            out += valueText(values[k], raw);
        }
        out += '\n';
    }
    return out;
}

} // namespace vorida
