#include "AreaVerdicts.h"

#include "Numbers.h"

namespace vorida {

std::vector<std::string> VerdictLines(const LooResult& loo, const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    (void)names;
    if (!loo.Judged) {
        lines.push_back("Ocena niemożliwa: przy " + std::to_string(loo.Points.size())
            + " punktach dopasowanie bez punktu ma tyle równań, ile wielomian ma parametrów (8), "
              "i żadnego sprawdzenia: szum obszaru jest nieznany, więc żaden punkt nie jest "
              "wskazywany, a mwb nie jest znany (ocena od "
            + std::to_string(kMinimumPointsJudged) + " punktów)");
        return lines;
    }
    return lines;
}

} // namespace vorida
