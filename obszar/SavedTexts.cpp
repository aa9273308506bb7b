#include "SavedTexts.h"

#include "AreaReport.h"
#include "AreaSvg.h"
#include "Cp1250.h"

#include <cmath>

namespace vorida::obszar {

std::string AsProgramText(const std::string& utf8)
{
    // The tool's words hold two signs the code page lacks: they are spelt out; anything else
    // it lacks becomes "?", as the program writes such names.
    std::string text;
    for (size_t i = 0; i < utf8.size();) {
        const long c = DecodeUtf8(utf8, i);
        if (c < 0) {
            ++i; // a malformed byte
            text += '?';
        } else if (c == '\n')
            text += "\r\n";
        else if (c == 0x03C3) // σ
            text += "sigma";
        else if (c == 0x221A) // √
            text += "sqrt";
        else if (const int byte = UnicodeToCp1250(static_cast<char32_t>(c)); byte >= 0)
            text += static_cast<char>(byte);
        else
            text += '?';
    }
    return text;
}

std::optional<std::string> ReportBytes(const AreaFile& area, const CheckOptions& options,
    const AreaCheck& check, const std::vector<CheckPoint>& checks, std::string& error)
{
    std::vector<bool> excluded = options.Excluded;
    excluded.resize(area.Points.size(), false);
    size_t kept = 0;
    for (bool out : excluded)
        kept += out ? 0 : 1;
    if (!check.Refusal.empty() || !check.Screened) {
        error = !check.Refusal.empty() ? check.Refusal : TooFewForScreeningText(kept);
        return std::nullopt;
    }
    const ReportHeading heading { area.Name, options.Direction,
        ExcludedNames(area.Points, excluded) };
    std::string text = JoinLines(
        ScreeningReport(heading, *check.Screened, area.Points, kept, options.Tolerance));
    if (check.Checks) {
        text += '\n';
        text += JoinLines(CheckReport(heading, checks, *check.Checks, std::nullopt, std::nullopt));
    }
    return AsProgramText(text);
}

std::optional<std::string> SvgBytes(
    const AreaCheck& check, const std::optional<PictureView>& view, std::string& error)
{
    if (!check.Picture) {
        error = !check.Refusal.empty() ? check.Refusal : RefusalText(AreaFitStatus::NoPoints);
        return std::nullopt;
    }
    AreaPicture picture = *check.Picture;
    if (view && view->Centre < picture.Points.size()) {
        // As `plot --scale N --center NAME` draws it: a whole denominator, the first point of
        // that name.
        picture.Scale = std::max(1.0L, std::round(view->Scale));
        picture.Centre = FindPoint(picture.Points, Cp1250ToUtf8(picture.Points[view->Centre].Name));
    }
    return AreaSvg(picture);
}

} // namespace vorida::obszar
