#include "AreaWarnings.h"

#include "Cp1250.h"
#include "LeaveOneOut.h"

#include <map>

namespace vorida {

namespace {

constexpr size_t kListed = 10; // of each kind, this many lines; then how many more

std::string nameOf(const TPkt& p)
{
    return Cp1250ToUtf8(p.Name);
}

// The groups of points at one position (more than one point each), in the order of their
// first points.
std::vector<std::vector<size_t>> repeatedPositions(const TPktDostosowania& points, bool national)
{
    std::vector<Extended> x, y;
    for (const TPkt& p : points) {
        x.push_back(national ? p.NationalX : p.LocalX);
        y.push_back(national ? p.NationalY : p.LocalY);
    }
    const std::vector<size_t> copyOf = CopiesOf(x, y);
    std::map<size_t, std::vector<size_t>> groups;
    for (size_t i = 0; i < points.size(); ++i)
        groups[copyOf[i]].push_back(i);
    std::vector<std::vector<size_t>> repeated;
    for (auto& [first, members] : groups)
        if (members.size() > 1)
            repeated.push_back(std::move(members));
    return repeated;
}

void addLimited(std::vector<std::string>& out, const std::vector<std::string>& lines)
{
    for (size_t k = 0; k < lines.size() && k < kListed; ++k)
        out.push_back(lines[k]);
    if (lines.size() > kListed)
        out.push_back("Uwaga: i " + std::to_string(lines.size() - kListed) + " podobnych");
}

std::string names(const TPktDostosowania& points, const std::vector<size_t>& members)
{
    std::string s;
    for (size_t i : members)
        s += (s.empty() ? "" : ", ") + nameOf(points[i]);
    return s;
}

bool within(Extended v, Extended low, Extended high)
{
    return low <= v && v <= high; // false for a value that is no number
}

} // namespace

std::vector<std::string> AreaWarnings(const TPktDostosowania& points, std::int32_t systemCode)
{
    std::vector<std::string> out;
    std::vector<std::string> lines;
    for (bool national : { false, true })
        for (const std::vector<size_t>& g : repeatedPositions(points, national))
            lines.push_back("Uwaga: punkty " + names(points, g) + " mają to samo położenie "
                + (national ? "krajowe" : "lokalne")
                + " (do 1 mm): przy pominięciu punktu pomijane są razem");
    addLimited(out, lines);

    lines.clear();
    std::map<std::string, std::vector<size_t>> byName;
    for (size_t i = 0; i < points.size(); ++i)
        byName[points[i].Name].push_back(i);
    for (size_t i = 0; i < points.size(); ++i) {
        const std::vector<size_t>& same = byName[points[i].Name];
        if (same.size() > 1 && same.front() == i)
            lines.push_back("Uwaga: nazwa " + nameOf(points[i]) + " powtarza się "
                + std::to_string(same.size()) + " razy");
    }
    addLimited(out, lines);

    lines.clear();
    const bool zone = systemCode >= 6 && systemCode <= 9;
    const Extended falseEasting = static_cast<Extended>(systemCode - 1) * 1.0e6L + 5.0e5L;
    for (const TPkt& p : points) {
        const bool local = within(p.LocalX, -kLocalReach, kLocalReach)
            && within(p.LocalY, -kLocalReach, kLocalReach);
        const bool national = zone ? within(p.NationalX, kNationalNorthMin, kNationalNorthMax)
                && within(p.NationalY, falseEasting - kNationalEastReach,
                    falseEasting + kNationalEastReach)
                                   : within(p.NationalX, -kLocalReach, kLocalReach)
                && within(p.NationalY, -kLocalReach, kLocalReach);
        if (!local)
            lines.push_back("Uwaga: punkt " + nameOf(p)
                + ": współrzędne lokalne dalej niż 10 000 km od początku układu");
        if (!national)
            lines.push_back("Uwaga: punkt " + nameOf(p) + ": współrzędne krajowe poza zasięgiem "
                + (zone ? "układu 2000 tej strefy" : "układu (dalej niż 10 000 km)"));
    }
    addLimited(out, lines);
    return out;
}

} // namespace vorida
