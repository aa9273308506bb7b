// The verbs as a library give the bytes of the tool.
#include "TestSupport.h"
#include "Verbs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace vorida;
using namespace vorida::test;

namespace {
// The sample area packed into dir by the library's pack; its path.
std::string packSampleArea(const TempDir& dir)
{
    const std::string area = dir / "area.bin";
    std::ostringstream packed, errors;
    EXPECT_EQ(
        cli::runVerb("pack", { std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt", "-o", area },
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
    EXPECT_EQ(cli::runVerb("fit", { "--loo", "--area", area }, out, err), 0);
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
    EXPECT_EQ(cli::runVerb("convert", { input, "--area", area, "--digits", "4" }, out, err), 0);
    EXPECT_EQ(out.str(), ReadFile(dir / "written.1"));
    EXPECT_NE(err.str().find("OBLICZENIA ZAKOŃCZONE"), std::string::npos) << err.str();
}
