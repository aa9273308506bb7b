#include "PictureLegend.h"

#include "AreaText.h"
#include "Cp1250.h"
#include "Numbers.h"

namespace vorida {

namespace {
constexpr size_t kBlundersNamed = 8; // the figures name at most this many blunders
}

std::vector<LegendEntry> PictureLegend(const AreaPicture& picture, const PictureLayout& layout)
{
    std::vector<LegendEntry> legend {
        { LegendSymbol::Adjustment, "punkt dostosowania z nazwą" },
        { LegendSymbol::Extrapolated, "poza otoczką pozostałych (ekstrapolacja)" },
        { LegendSymbol::Blunder, "prawdopodobny błąd gruby (wskazywany po jednym)" },
        { LegendSymbol::Residual, "odchyłka dopasowania" },
        { LegendSymbol::Loo, "odchyłka przy pominięciu punktu" },
    };
    if (!picture.Checks.empty())
        legend.push_back({ LegendSymbol::Check, "punkt kontrolny i jego odchyłka" });
    legend.push_back({ LegendSymbol::AreaBox,
        "obszar: punkty dostosowania + " + AreaMarginText()
            + (layout.AreaClipped ? ", przycięty" : "") });
    legend.push_back({ LegendSymbol::CutArrow,
        "strzałka skrócona do " + PlainNumber(layout.LongestArrow) + " mm, z długością" });
    legend.push_back({ LegendSymbol::Grid,
        "siatka co " + PlainNumber(layout.GridStep) + " m (x przy lewej, y przy dolnej)" });
    return legend;
}

std::vector<std::string> PictureFigures(const AreaPicture& picture, const MapScene& scene)
{
    std::vector<std::string> figures;
    const LabelCounts& counts = scene.Counts;
    switch (picture.Fit) {
    case AreaFitStatus::Fitted:
        break;
    case AreaFitStatus::Singular:
        figures.push_back("Dopasowanie: układ równań osobliwy – bez odchyłek");
        break;
    default:
        figures.push_back("Dopasowanie: za mało punktów dostosowania – bez odchyłek");
    }
    if (!picture.Excluded.empty())
        figures.push_back("Bez punktów: " + picture.Excluded);
    const size_t n = picture.Points.size();
    if (picture.Loo && picture.Loo->Worst) {
        const LooResult& loo = *picture.Loo;
        figures.push_back("Odchyłki przy pominięciu punktu: RMS " + Millimetres(loo.Rms) + " mm ("
            + std::to_string(loo.Computed) + " pkt)");
        figures.push_back("największa: " + Cp1250ToUtf8(picture.Points[*loo.Worst].Name) + ", "
            + Millimetres(loo.Points[*loo.Worst].V) + " mm");
        std::string blunders;
        size_t count = 0;
        for (size_t i = 0; i < n; ++i)
            if (picture.NamedAt(i) && ++count <= kBlundersNamed)
                blunders += (count > 1 ? ", " : "") + Cp1250ToUtf8(picture.Points[i].Name);
        if (count > kBlundersNamed)
            blunders += " i " + std::to_string(count - kBlundersNamed) + " innych";
        figures.push_back("Prawdopodobne błędy grube: " + (count == 0 ? "brak" : blunders));
        if (!scene.BlundersOutside.empty()) {
            std::string outside;
            for (size_t k = 0; k < scene.BlundersOutside.size() && k < kBlundersNamed; ++k)
                outside += (k > 0 ? ", " : "") + scene.BlundersOutside[k];
            if (scene.BlundersOutside.size() > kBlundersNamed)
                outside += " i " + std::to_string(scene.BlundersOutside.size() - kBlundersNamed)
                    + " innych";
            figures.push_back("  poza mapą: " + outside);
        }
        // The rule in two lines, split after its first part, so that it fits the column.
        const std::string rule = "Próg: " + BlunderRuleText(picture.Tolerance);
        const size_t split = rule.find("; ");
        figures.push_back(rule.substr(0, split));
        if (split != std::string::npos)
            figures.push_back("  " + rule.substr(split + 2));
    } else {
        figures.push_back("Odchyłki przy pominięciu punktu: za mało punktów (co najmniej "
            + std::to_string(kMinimumPointsForLeaveOneOut) + ")");
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        figures.push_back("Punkty kontrolne w obszarze: " + std::to_string(s.Inside)
            + (s.Inside > 0
                    ? ", max " + Millimetres(s.Max) + " mm, RMS " + Millimetres(s.Rms) + " mm"
                    : std::string()));
    }
    if (counts.NamesLeftOut > 0 || counts.CutsLeftOut > 0)
        figures.push_back("Bez miejsca pominięto nazw: " + std::to_string(counts.NamesLeftOut)
            + " z " + std::to_string(counts.Names)
            + ", długości strzałek: " + std::to_string(counts.CutsLeftOut));
    return figures;
}

std::vector<std::string> PictureSummary(const AreaPicture& picture, const LabelCounts& labels,
    const std::string& output, size_t kept, size_t checks)
{
    std::vector<std::string> lines;
    const PictureLayout layout = LayOutPicture(picture);
    lines.push_back("Zapisano " + output + ": A4 " + (layout.Landscape ? "poziomo" : "pionowo")
        + ", skala mapy 1:" + GroupThousands(FormatDecimals(layout.ScaleDenominator, 0), " ")
        + ", strzałka " + FormatDecimals(layout.ArrowBarGround * layout.ArrowScale, 0)
        + " mm = " + FormatDecimals(layout.ArrowBarGround, 1) + " mm odchyłki");
    std::string points = "Punkty dostosowania: " + std::to_string(kept);
    if (!picture.Excluded.empty())
        points += " (bez " + picture.Excluded + ")";
    if (picture.Fit != AreaFitStatus::Fitted)
        points += " (bez odchyłek dopasowania: dopasowanie niemożliwe)";
    lines.push_back(points);
    if (picture.Loo && picture.Loo->Worst) {
        size_t blunders = 0;
        for (bool named : picture.NamedAsBlunder)
            blunders += named ? 1 : 0;
        lines.push_back("Odchyłki przy pominięciu punktu: RMS " + Millimetres(picture.Loo->Rms)
            + " mm, prawdopodobne błędy grube: " + std::to_string(blunders));
    } else {
        lines.push_back("Odchyłki przy pominięciu punktu: za mało punktów");
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        std::string line = "Punkty kontrolne: " + std::to_string(checks) + ", w obszarze "
            + std::to_string(s.Inside);
        if (s.Inside > 0)
            line += ", max " + Millimetres(s.Max) + " mm, RMS " + Millimetres(s.Rms) + " mm";
        lines.push_back(line);
    }
    std::string names = "Nazwy: " + std::to_string(labels.Names - labels.NamesLeftOut) + " z "
        + std::to_string(labels.Names)
        + ", pominięte z braku miejsca: " + std::to_string(labels.NamesLeftOut);
    if (labels.Cuts > 0)
        names
            += "; długości skróconych strzałek: " + std::to_string(labels.Cuts - labels.CutsLeftOut)
            + " z " + std::to_string(labels.Cuts);
    lines.push_back(names);
    return lines;
}

} // namespace vorida
