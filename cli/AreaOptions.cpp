#include "AreaOptions.h"

#include "Common.h"

#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "Numbers.h"

#include <iostream>

namespace vorida::cli {

std::optional<AreaOptions> takeAreaOptions(VerbStreams& io, std::vector<std::string>& args,
    const std::vector<std::string>& wanted, const char* help)
{
    AreaOptions o;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name = a, value;
        bool inline_ = false;
        if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inline_ = true;
        }
        bool mine = false;
        for (const std::string& w : wanted)
            mine = mine || w == name;
        if (!mine) {
            rest.push_back(a);
            continue;
        }
        if (!inline_) {
            if (i + 1 >= args.size()) {
                usage(io, help, "Brak wartości opcji " + name);
                return std::nullopt;
            }
            value = args[++i];
        }
        Extended number = 0.0L;
        if (name == "--tolerance") {
            if (!ParseCoordinate(value, number) || !(number >= 0.0L) || number > 1.0e6L) {
                usage(io, help, "Niepoprawna tolerancja (mm): " + value);
                return std::nullopt;
            }
            o.Tolerance = number / 1000.0L;
        } else if (name == "--scale") {
            if (!ParseCoordinate(value, number) || !(number >= 1.0L) || number > 1.0e9L) {
                usage(io, help, "Niepoprawna skala mapy (mianownik 1:N): " + value);
                return std::nullopt;
            }
            o.Scale = number;
        } else if (name == "--center") {
            o.Center = value;
        } else { // --exclude
            size_t start = 0;
            for (;;) {
                const size_t comma = value.find(',', start);
                const std::string one = value.substr(start, comma - start);
                if (one.empty()) {
                    usage(io, help, "Pusta nazwa w --exclude: " + value);
                    return std::nullopt;
                }
                o.Exclude.push_back(one);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        }
    }
    args = std::move(rest);
    return o;
}

bool markExcluded(VerbStreams& io, const TPktDostosowania& points,
    const std::vector<std::string>& names, std::vector<bool>& excluded)
{
    excluded.assign(points.size(), false);
    for (const std::string& name : names) {
        const std::string cp1250 = Utf8ToCp1250(name, '?');
        bool found = false;
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].Name == cp1250) {
                excluded[i] = true;
                found = true;
            }
        if (!found) {
            io.Err << "Nie ma punktu dostosowania o nazwie " << name << " (--exclude)\n";
            return false;
        }
    }
    return true;
}

TPktDostosowania withoutExcluded(const TPktDostosowania& points, const std::vector<bool>& excluded)
{
    TPktDostosowania kept;
    for (size_t i = 0; i < points.size(); ++i)
        if (excluded.empty() || !excluded[i])
            kept.push_back(points[i]);
    return kept;
}

std::string excludedNames(const TPktDostosowania& points, const std::vector<bool>& excluded)
{
    std::string names;
    for (size_t i = 0; i < points.size() && i < excluded.size(); ++i)
        if (excluded[i])
            names += (names.empty() ? "" : ", ") + Cp1250ToUtf8(points[i].Name);
    return names;
}

std::optional<unsigned> parseAreaThreads(
    VerbStreams& io, const std::optional<std::string>& text, const char* help)
{
    if (!text)
        return 0u;
    const auto n = ParseInt32(*text);
    if (!n || *n < 1 || *n > static_cast<std::int32_t>(kMaximumAreaThreads)) {
        usage(io, help, "Niepoprawna liczba wątków: " + *text);
        return std::nullopt;
    }
    return static_cast<unsigned>(*n);
}

} // namespace vorida::cli
