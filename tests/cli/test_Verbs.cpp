// The verbs as a library give the bytes of the tool.
#include "TestSupport.h"
#include "Verbs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

using namespace vorida;
using namespace vorida::test;

namespace {
// The sample area packed into dir by the library's pack; its path.
std::string packSampleArea(const TempDir& dir)
{
    const std::string area = dir / "area.bin";
    std::ostringstream packed, errors;
    EXPECT_EQ(
        cli::RunVerb("pack", { std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt", "-o", area },
            packed, errors),
        0)
        << errors.str();
    return area;
}
} // namespace

TEST(Verbs, FitInMemoryIsTheToolsOutput)
{
    TempDir dir;
    const std::string area = packSampleArea(dir);

    const std::string printed = dir / "printed.txt";
    ASSERT_EQ(RunCli("fit --loo --area \"" + area + "\"", printed), 0) << ReadFile(printed);
    // With a Polish locale in this process the numbers still have a point.
    ScopedPolishLocale polish;
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunVerb("fit", { "--loo", "--area", area }, out, err), 0);
    EXPECT_EQ(err.str(), "");
    std::string expected = ReadFile(printed);
    // A Windows console's standard output ends its lines in CR LF; the verb writes LF.
    expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
    EXPECT_EQ(out.str(), expected);
}

// Memory running out is no error of ours: the tool says it is an internal error, exits 1 and
// writes nothing (it ended with an uncaught exception before). A character device never ends,
// so packing it fills the address space that ulimit leaves.
TEST(Verbs, InternalErrorIsReportedAsSuch)
{
#if !defined(__linux__) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "needs ulimit -v, and the sanitizers reserve more address space than it allows";
#else
    TempDir dir;
    EXPECT_EQ(RunCli("pack /dev/zero -o \"" + (dir / "area.bin") + "\"", dir / "out",
                  "ulimit -v 150000 && "),
        1 << 8);
    EXPECT_EQ(ReadFile(dir / "out"), "Błąd wewnętrzny programu: std::bad_alloc\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "area.bin"));
#endif
}

// A result on standard output ("-", convert's default) reaches the caller's stream: byte for
// byte the result file the tool writes, the closing message on the error stream.
TEST(Verbs, ConvertInMemoryIsTheToolsResultFile)
{
    TempDir dir;
    const std::string area = packSampleArea(dir);
    const std::string input = std::string(VORIDA_EXAMPLES_DIR) + "/xy_LOK";
    ASSERT_EQ(RunCli("convert \"" + input + "\" --area \"" + area + "\" --digits 4 -o \""
                      + (dir / "written.1") + "\"",
                  dir / "printed.txt"),
        0);
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunVerb("convert", { input, "--area", area, "--digits", "4" }, out, err), 0);
    EXPECT_EQ(out.str(), ReadFile(dir / "written.1"));
    EXPECT_NE(err.str().find("OBLICZENIA ZAKOŃCZONE"), std::string::npos) << err.str();
}

// The area verbs keep what they load to themselves: verbs on two different areas, run at the
// same time in one process, print what each prints alone (they shared the program-wide area
// before, so one verb's points turned up in the other's figures).
TEST(Verbs, AreaVerbsOnTwoAreasAtOnceGiveWhatEachGivesAlone)
{
    TempDir dir;
    const std::string whole = packSampleArea(dir);
    // The second area: the sample less its last five points.
    std::string text = ReadFile(std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt");
    for (int i = 0; i < 5; ++i)
        text.erase(text.rfind('\n', text.size() - 2) + 1);
    WriteFile(dir / "smaller.txt", text);
    const std::string smaller = dir / "smaller.bin";
    std::ostringstream packed, packErrors;
    ASSERT_EQ(cli::RunVerb("pack", { dir / "smaller.txt", "-o", smaller }, packed, packErrors), 0)
        << packErrors.str();

    const std::string checks = std::string(VORIDA_EXAMPLES_DIR) + "/check-points.txt";
    const std::vector<std::vector<std::string>> verbs[2] = {
        { { "fit", "--loo", "--area", whole }, { "verify", checks, "--area", whole } },
        { { "fit", "--area", smaller }, { "verify", checks, "--to-local", "--area", smaller } },
    };
    auto printed = [](const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = cli::RunVerb(
            args[0], std::vector<std::string>(args.begin() + 1, args.end()), out, err);
        return std::to_string(status) + '\n' + out.str() + err.str();
    };
    std::vector<std::string> alone[2];
    for (int a = 0; a < 2; ++a)
        for (const auto& args : verbs[a])
            alone[a].push_back(printed(args));
    ASSERT_NE(alone[0][0], alone[1][0]);

    std::vector<std::string> together[2];
    {
        std::vector<std::jthread> threads;
        for (int a = 0; a < 2; ++a)
            threads.emplace_back([&, a] {
                for (int round = 0; round < 10; ++round)
                    for (const auto& args : verbs[a])
                        together[a].push_back(printed(args));
            });
    }
    for (int a = 0; a < 2; ++a)
        for (size_t k = 0; k < together[a].size(); ++k)
            EXPECT_EQ(together[a][k], alone[a][k % verbs[a].size()]) << a << ' ' << k;
}

// A comma within a name is written "\," in --exclude and a backslash "\\" (the area window
// writes its ticked names so); such points can be left out like any other.
TEST(Verbs, ExcludeTakesCommasAndBackslashesInNames)
{
    TempDir dir;
    std::string text = ReadFile(std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt");
    for (const auto& [from, to] :
        { std::pair { "\n1013\t", "\n10,13\t" }, { "\n1019\t", "\n10\\19\t" } })
        text.replace(text.find(from), std::string(from).size(), to);
    WriteFile(dir / "named.txt", text);
    const std::string area = dir / "named.bin";
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunVerb("pack", { dir / "named.txt", "-o", area }, out, err), 0) << err.str();

    std::ostringstream fitted, errors;
    EXPECT_EQ(
        cli::RunVerb("fit", { "--area", area, "--exclude", "10\\,13,10\\\\19" }, fitted, errors), 0)
        << errors.str();
    EXPECT_NE(fitted.str().find("Wyłączone: 10,13, 10\\19\n"), std::string::npos) << fitted.str();
    EXPECT_NE(fitted.str().find("Punktów dostosowania: 33\n"), std::string::npos);
}
