// The area tools: leave-one-out discrepancies, check points and the SVG picture.
#include "AreaSvg.h"
#include "CheckPoints.h"
#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "LineIO.h"
#include "Numbers.h"
#include "SyntheticArea.h"
#include "TestSupport.h"
#include "TranspktText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

using namespace vorida;
using namespace vorida::test;

namespace {

TranspktFile SampleArea()
{
    return ParseTranspktText(ReadFile(std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt"));
}

// A 6 x 6 grid at 1000 m in the local system; the national coordinates follow a conformal
// cubic plus a deterministic noise of up to 3 mm in each coordinate.
TPktDostosowania SyntheticArea()
{
    const AreaModel model { 28500.0L, 19500.0L, 0.0L, 0.0L, 1.0L, 0.0L, 1.0L, 0.006L };
    TPktDostosowania points;
    UniformSequence noise(12345);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            points.push_back(model.Make(std::string("G").append(std::to_string(6 * i + j)),
                26000.0L + 1000.0L * i, 17000.0L + 1000.0L * j, noise));
    return points;
}

std::vector<size_t> Flagged(const LooResult& loo)
{
    std::vector<size_t> flagged;
    for (size_t i = 0; i < loo.Points.size(); ++i)
        if (loo.Points[i].Blunder)
            flagged.push_back(i);
    return flagged;
}

} // namespace

TEST(LeaveOneOut, FlagsThePointMovedBy10CmAndNoOther)
{
    for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
        SCOPED_TRACE(FromNational(direction));
        TPktDostosowania points = SyntheticArea();
        const LooResult clean = LeaveOneOut(points, direction);
        EXPECT_EQ(clean.Computed, points.size());
        EXPECT_TRUE(Flagged(clean).empty());
        EXPECT_LT(clean.Rms, 0.005L);
        for (size_t moved : { size_t { 0 }, size_t { 14 }, size_t { 35 } }) {
            TPktDostosowania bad = points;
            bad[moved].NationalX = bad[moved].NationalX + 0.06L;
            bad[moved].NationalY = bad[moved].NationalY - 0.08L; // 10 cm
            const LooResult loo = LeaveOneOut(bad, direction);
            EXPECT_EQ(Flagged(loo), std::vector<size_t> { moved }) << "moved " << moved;
            EXPECT_EQ(loo.Worst, moved);
        }
    }
}

TEST(LeaveOneOut, EqualsAnIndependentFitWithoutThePoint)
{
    const TPktDostosowania points = SampleArea().Points;
    for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
        const LooResult loo = LeaveOneOut(points, direction);
        ASSERT_EQ(loo.Points.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            TPktDostosowania reduced = points;
            reduced.erase(reduced.begin() + static_cast<std::ptrdiff_t>(i));
            TTrKonfAf t;
            t.Fit(reduced, 3, FromNational(direction), 1);
            ASSERT_EQ(t.Singular, 0);
            const TPkt& p = points[i];
            Extended x = 0.0L, y = 0.0L;
            t.TransformPoint(x, y, FromNational(direction) ? p.NationalX : p.LocalX,
                FromNational(direction) ? p.NationalY : p.LocalY);
            EXPECT_EQ(loo.Points[i].Vx, (FromNational(direction) ? p.LocalX : p.NationalX) - x)
                << i;
            EXPECT_EQ(loo.Points[i].Vy, (FromNational(direction) ? p.LocalY : p.NationalY) - y)
                << i;
        }
    }
}

TEST(LeaveOneOut, ReducedSetsThatCannotBeFittedAreReportedAndTheRestGoOn)
{
    // A and its twin (0.4 mm apart) are one position, left out together: without them B, C,
    // D and E are left, without any of those A, A2 and three others, four positions each.
    // Without E, the set without A and A2 has three positions and cannot be fitted; alone, A
    // would have been converted with its twin.
    TPktDostosowania points = { Point("A", 0.0L, 0.0L, 10.0L, 10.0L),
        Point("A2", 0.0004L, 0.0L, 10.0L, 10.0L), Point("B", 1000.0L, 0.0L, 1010.0L, 10.0L),
        Point("C", 0.0L, 1000.0L, 10.0L, 1010.0L), Point("D", 1000.0L, 1000.0L, 1010.0L, 1010.0L),
        Point("E", 500.0L, 1400.0L, 510.0L, 1410.0L) };
    const LooResult loo = LeaveOneOut(points, Direction::LocalToNational);
    EXPECT_EQ(loo.Computed, 6u);
    EXPECT_EQ(loo.Points[0].Copies, 2u);
    EXPECT_EQ(loo.Points[1].Copies, 2u);
    EXPECT_EQ(loo.Points[2].Copies, 1u);
    points.pop_back();
    const LooResult without = LeaveOneOut(points, Direction::LocalToNational);
    for (size_t i : { 0, 1 })
        EXPECT_EQ(without.Points[i].Status, AreaFitStatus::TooFewPositions) << i;
    EXPECT_EQ(without.Computed, 3u);
    points.pop_back();
    EXPECT_THROW(LeaveOneOut(points, Direction::LocalToNational), ScreeningError);
}

TEST(CheckPoints, ReproduceTheAccuracyFiguresOfTheReadme)
{
    // The accuracy table of the sample area's page (| local → national | max mm | RMS mm |),
    // results with 4 decimals.
    const std::string readme
        = ReadFile(std::string(VORIDA_EXAMPLES_DIR) + "/../docs/area-tools.md");
    std::map<std::string, std::pair<Extended, Extended>> figures;
    for (const char* direction : { "local", "national" }) {
        const std::string start = std::string("\n| ") + direction + " → ";
        const size_t at = readme.find(start);
        if (at == std::string::npos)
            continue;
        // | local → national | max mm | RMS mm |
        std::istringstream cells(readme.substr(readme.find('|', at + 3) + 1));
        std::string max, rms;
        std::getline(cells, max, '|');
        std::getline(cells, rms, '|');
        figures[direction] = { std::stold(max), std::stold(rms) };
    }
    ASSERT_EQ(figures.size(), 2u) << "the accuracy table of docs/area-tools.md";

    const TPktDostosowania points = SampleArea().Points;
    const CheckPointFile checks
        = ReadCheckPoints(std::string(VORIDA_EXAMPLES_DIR) + "/check-points.txt");
    ASSERT_EQ(checks.Points.size(), 10u);
    EXPECT_TRUE(checks.UnreadableLines.empty());
    for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
        TTrKonfAf t;
        ASSERT_EQ(FitArea(t, points, direction), AreaFitStatus::Fitted);
        const CheckSummary s
            = CompareCheckPoints(t, checks.Points, direction, ComputeAreaExtents(points), 4);
        const auto [max, rms] = figures[FromNational(direction) ? "national" : "local"];
        EXPECT_EQ(s.Inside, 10u);
        EXPECT_LE(std::fabs(s.Max * 1000.0L - max), 0.01L) << FromNational(direction);
        EXPECT_LE(std::fabs(s.Rms * 1000.0L - rms), 0.01L) << FromNational(direction);
    }
}

TEST(CheckPoints, SkipCommentsAndReportUnreadableLinesByNumber)
{
    TempDir dir;
    WriteFile(dir / "k.txt",
        "# name lx ly nx ny\r\n"
        "\r\n"
        "K1 100.5 200 5800100.25 6500200 stone\r\n"
        "K2 100,5 200 5800100 6500200\r\n"
        "K3 100 200 5800100\r\n"
        "\t K4\t1e2 2E2 5800100. 6500200\n");
    const CheckPointFile f = ReadCheckPoints(dir / "k.txt");
    ASSERT_EQ(f.Points.size(), 2u);
    EXPECT_EQ(f.Points[0].Name, "K1");
    EXPECT_EQ(f.Points[0].NationalX, 5800100.25L);
    EXPECT_EQ(f.Points[0].Line, 3);
    EXPECT_EQ(f.Points[1].LocalX, 100.0L);
    EXPECT_EQ(f.Points[1].Line, 6);
    EXPECT_EQ(f.UnreadableLines, (std::vector<std::int64_t> { 4, 5 }));
    EXPECT_THROW(ReadCheckPoints(dir / "missing.txt"), FileError);
}

TEST(CheckPoints, PointsOutsideTheAreaCountInNeitherMaxNorRms)
{
    const TPktDostosowania square = TranslatedSquare(); // an exact fit: x + 5 800 000 ...
    std::vector<CheckPoint> checks = { { "in", 2000.0L, 2000.0L, 5802000.003L, 6502000.004L, 1 },
        { "out", 9000.0L, 2000.0L, 5809000.5L, 6502000.0L, 2 } };
    TTrKonfAf t;
    ASSERT_EQ(FitArea(t, square, Direction::LocalToNational), AreaFitStatus::Fitted);
    const CheckSummary s
        = CompareCheckPoints(t, checks, Direction::LocalToNational, ComputeAreaExtents(square), {});
    EXPECT_TRUE(s.Points[0].Inside);
    EXPECT_FALSE(s.Points[1].Inside);
    EXPECT_LT(std::fabs(s.Points[1].V - 0.5L), 1e-6L);
    EXPECT_EQ(s.Inside, 1u);
    EXPECT_LT(std::fabs(s.Max - 0.005L), 1e-6L);
    EXPECT_EQ(s.Max, s.Rms);
    EXPECT_EQ(s.Worst, 0u);
}

namespace {

// A minimal XML reader for the picture: checks well-formedness (one root, nested and closed
// tags, quoted and unique attributes, known entities, no raw "<" or "&", valid UTF-8 without
// control characters) and returns the elements with their attributes and direct text.
struct Element
{
    std::string Name;
    std::map<std::string, std::string> Attributes;
    std::string Text;
};

class XmlReader
{
public:
    explicit XmlReader(const std::string& s) : s_(s) { }

    std::vector<Element> Read()
    {
        if (!IsValidUtf8(s_))
            Fail("not UTF-8");
        for (unsigned char c : s_)
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                Fail("control character");
        if (s_.compare(0, 5, "<?xml") == 0)
            i_ = Find("?>") + 2;
        Blank();
        ElementAt();
        Blank();
        if (i_ != s_.size())
            Fail("content after the root");
        return elements_;
    }

private:
    [[noreturn]] void Fail(const std::string& why) const
    {
        throw std::runtime_error(why + " at " + std::to_string(i_));
    }
    size_t Find(const char* what) const
    {
        size_t at = s_.find(what, i_);
        if (at == std::string::npos)
            Fail(std::string("no ") + what);
        return at;
    }
    void Blank()
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    std::string Name()
    {
        size_t b = i_;
        while (i_ < s_.size()
            && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-' || s_[i_] == ':'
                || s_[i_] == '_'))
            ++i_;
        if (b == i_)
            Fail("name expected");
        return s_.substr(b, i_ - b);
    }
    // Text up to `end`, with its entities checked and decoded.
    std::string Chars(char end)
    {
        std::string out;
        while (i_ < s_.size() && s_[i_] != end) {
            if (s_[i_] == '<')
                Fail("raw <");
            if (s_[i_] == '&') {
                const size_t semi = Find(";");
                const std::string entity = s_.substr(i_ + 1, semi - i_ - 1);
                static const std::map<std::string, char> known = { { "amp", '&' }, { "lt", '<' },
                    { "gt", '>' }, { "quot", '"' }, { "apos", '\'' } };
                if (!known.count(entity))
                    Fail("entity " + entity);
                out += known.at(entity);
                i_ = semi + 1;
            } else {
                out += s_[i_++];
            }
        }
        return out;
    }
    void ElementAt()
    {
        if (s_[i_] != '<')
            Fail("< expected");
        ++i_;
        const size_t index = elements_.size();
        elements_.push_back({ Name(), {}, {} });
        for (;;) {
            Blank();
            if (s_.compare(i_, 2, "/>") == 0) {
                i_ += 2;
                return;
            }
            if (s_[i_] == '>')
                break;
            const std::string attribute = Name();
            if (s_[i_++] != '=' || s_[i_++] != '"')
                Fail("=\" expected");
            std::string value = Chars('"');
            ++i_;
            if (!elements_[index].Attributes.emplace(attribute, value).second)
                Fail("attribute twice");
        }
        ++i_;
        for (;;) {
            elements_[index].Text += Chars('<');
            if (i_ >= s_.size())
                Fail("unclosed " + elements_[index].Name);
            if (s_.compare(i_, 2, "</") == 0) {
                i_ += 2;
                if (Name() != elements_[index].Name || s_[i_++] != '>')
                    Fail("mismatched end tag");
                return;
            }
            ElementAt();
        }
    }

    const std::string& s_;
    size_t i_ = 0;
    std::vector<Element> elements_;
};

} // namespace

TEST(AreaPicture, IsWellFormedWithOneMarkerPerPointAndTheAreaRectangle)
{
    TranspktFile area = SampleArea();
    area.Points[3].Name = "<&\"x\x01\xB9>"; // escaped; the control byte replaced; "ą"
    area.Points[7].NationalX = area.Points[7].NationalX + 0.1L; // a blunder, drawn red
    const CheckPointFile checks
        = ReadCheckPoints(std::string(VORIDA_EXAMPLES_DIR) + "/check-points.txt");
    for (size_t count : { area.Points.size(), size_t { 3 } }) {
        SCOPED_TRACE(count);
        const TPktDostosowania points(
            area.Points.begin(), area.Points.begin() + static_cast<std::ptrdiff_t>(count));
        const AreaPicture picture = PrepareAreaPicture(points, area.AreaName, 7, checks.Points);
        const std::string svg = AreaSvg(picture);
        std::vector<Element> elements;
        ASSERT_NO_THROW(elements = XmlReader(svg).Read()) << svg;
        ASSERT_EQ(elements[0].Name, "svg");
        const std::string viewBox = elements[0].Attributes["viewBox"];
        EXPECT_TRUE(viewBox == "0 0 210 297" || viewBox == "0 0 297 210") << viewBox;

        std::vector<std::string> markers, areas, blunders, names;
        size_t checkMarkers = 0;
        for (const Element& e : elements) {
            const std::string cls = e.Attributes.count("class") ? e.Attributes.at("class") : "";
            if (cls.find("key") != std::string::npos)
                continue; // the legend
            if (cls.rfind("adjustment", 0) == 0)
                markers.push_back(e.Attributes.at("d"));
            if (cls == "adjustment blunder")
                blunders.push_back(e.Attributes.at("d"));
            if (cls == "check")
                ++checkMarkers;
            if (e.Name == "rect" && cls == "area")
                areas.push_back(e.Attributes.at("x") + " " + e.Attributes.at("y"));
            if (cls.rfind("name", 0) == 0)
                names.push_back(e.Text);
        }
        EXPECT_EQ(markers.size(), count);
        EXPECT_EQ(checkMarkers, checks.Points.size());
        const PictureLayout l = LayOutPicture(picture);
        const ExtentBox& box = picture.Extents.National;
        EXPECT_EQ(areas,
            std::vector<std::string> { FormatDecimals(l.PaperX(box.MinY), 2) + " "
                + FormatDecimals(l.PaperY(box.MaxX), 2) });
        // The first marker's tip stands above the first point's place on the sheet.
        EXPECT_EQ(markers[0].substr(0, markers[0].find(' ')),
            "M" + FormatDecimals(l.PaperX(points[0].NationalY), 2) + ","
                + FormatDecimals(l.PaperY(points[0].NationalX) - 1.3L, 2));
        if (count > 3) {
            EXPECT_NE(
                std::find(names.begin(), names.end(), "<&\"x\xEF\xBF\xBD\xC4\x85>"), names.end());
        }
        EXPECT_EQ(blunders.size(), count > 7 ? 1u : 0u);
    }
}

// The whole document, byte for byte: the sample area with 1019 moved by 50 cm and 1013 by
// 10 cm (two blunders, red, their arrows cut and labelled) and the check points, at its round
// scale and at 1:15 000 (the area box clipped, names left out). After an intended change of
// the picture, VORIDA_UPDATE_GOLDEN=1 writes the files instead; review them before committing.
TEST(AreaPicture, WholeDocumentsEqualTheirGoldenCopies)
{
    TranspktFile area = SampleArea();
    for (TPkt& p : area.Points) {
        if (p.Name == "1019")
            p.NationalY = p.NationalY + 0.5L;
        if (p.Name == "1013")
            p.NationalX = p.NationalX + 0.1L;
    }
    const CheckPointFile checks
        = ReadCheckPoints(std::string(VORIDA_EXAMPLES_DIR) + "/check-points.txt");
    const char* update = std::getenv("VORIDA_UPDATE_GOLDEN");
    for (const auto& [scale, file] : { std::pair<Extended, const char*> { 0.0L, "area.svg" },
             std::pair<Extended, const char*> { 15000.0L, "area-15000.svg" } }) {
        SCOPED_TRACE(file);
        AreaPicture picture = PrepareAreaPicture(area.Points, area.AreaName, 7, checks.Points);
        if (scale > 0.0L)
            picture.Scale = scale;
        const std::string svg = AreaSvg(picture);
        const std::string golden = std::string(VORIDA_GOLDEN_DIR) + "/" + file;
        if (update != nullptr && std::string(update) == "1")
            WriteFile(golden, svg);
        EXPECT_TRUE(svg == ReadFile(golden)) << golden << " differs";
    }
}
