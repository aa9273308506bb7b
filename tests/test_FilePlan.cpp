// The files of a command: outputs that are inputs by identity, and the writer that replaces a
// file only when the new one is complete.
#include "FilePlan.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vorida;
using vorida::test::TempDir;

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void put(const std::string& path, const std::string& bytes)
{
    std::ofstream(FileSystemPath(path), std::ios::binary) << bytes;
}

size_t filesIn(const TempDir& dir)
{
    const auto it = std::filesystem::directory_iterator(FileSystemPath(dir.Path()));
    return static_cast<size_t>(std::distance(begin(it), end(it)));
}

} // namespace

TEST(FilePlan, AnOutputClashesWithAnInputOrAnotherOutputByIdentity)
{
    TempDir dir;
    put(dir / "a", "a");
    put(dir / "b", "b");
    std::filesystem::create_directory(FileSystemPath(dir / "sub"));
    std::error_code linked;
    std::filesystem::create_hard_link(
        FileSystemPath(dir / "a"), FileSystemPath(dir / "hard"), linked);
    struct Case
    {
        std::vector<std::string> In, Out;
        bool Clash;
    };
    const std::string respelled = PathIn(PathIn(dir / "sub", ".."), "a");
    const std::vector<Case> cases = {
        { { dir / "a" }, { dir / "b" }, false },
        { { dir / "a" }, { respelled }, true }, // another spelling
        { { dir / "a" }, { dir / "new", PathIn(PathIn(dir / "sub", ".."), "new") }, true },
        { { dir / "new" }, { respelled, PathIn(PathIn(dir / "sub", ".."), "new") }, true },
        { { "-" }, { "-" }, false }, // standard input, standard output
        { { dir / "a" }, { "-", "-" }, true }, // both on standard output
        { { dir / "a" }, { dir / "b", "" }, false }, // no report
    };
    for (const Case& c : cases) {
        FilePlan plan;
        for (const auto& in : c.In)
            plan.Reads(in);
        for (const auto& out : c.Out)
            plan.Writes(out);
        EXPECT_EQ(plan.FirstClash().has_value(), c.Clash) << c.Out[0];
    }
    if (!linked) { // a hard link is the same file
        FilePlan plan;
        plan.Reads(dir / "a");
        plan.Writes(dir / "hard");
        ASSERT_TRUE(plan.FirstClash());
        EXPECT_EQ(FilePlan::ClashText(*plan.FirstClash()),
            "Plik wynikowy " + PathForMessage(dir / "hard") + " to plik wejściowy "
                + PathForMessage(dir / "a")
                + ": zapis zniszczyłby dane. Nic nie zostało zapisane.");
    }
}

TEST(FilePlan, AFileWrittenWholeOrNotAtAllReplacesTheOldOneOnlyWhenComplete)
{
    TempDir dir;
    const std::string target = dir / "wynik.1";
    put(target, "old\r\n");
    {
        OutputFile out;
        out.Create(target, WriteMode::WholeOrNothing);
        out.Write("new\r\n");
        out.Flush();
        EXPECT_EQ(contents(target), "old\r\n"); // not complete yet
        EXPECT_EQ(filesIn(dir), 2u); // the temporary file beside it
        out.Close();
    }
    EXPECT_EQ(contents(target), "new\r\n");
    EXPECT_EQ(filesIn(dir), 1u);

    // A failure, and a writer dropped before closing: the file as it was, nothing left beside it.
    SetWriteFault([&](const std::string& path) { return path == target; });
    try {
        WriteWholeFile(target, "lost\r\n", WriteMode::WholeOrNothing);
        ADD_FAILURE() << "a full disk went unreported";
    } catch (const LineFileError& e) {
        EXPECT_EQ(std::string(e.what()),
            "Nie można zapisać pliku " + PathForMessage(target) + ": brak miejsca na dysku");
    }
    SetWriteFault(nullptr);
    {
        OutputFile out;
        out.Create(target, WriteMode::WholeOrNothing);
        out.Write("dropped\r\n");
        out.Flush();
    }
    EXPECT_EQ(contents(target), "new\r\n");
    EXPECT_EQ(filesIn(dir), 1u);

    // A folder in the way is named as such.
    try {
        WriteWholeFile(dir.Path(), "x", WriteMode::WholeOrNothing);
        ADD_FAILURE() << "a folder written over";
    } catch (const LineFileError& e) {
        EXPECT_NE(std::string(e.what()).find(": jest katalogiem"), std::string::npos) << e.what();
    }
}
