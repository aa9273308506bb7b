// The verbs as a library give the bytes of the tool.
#include "TestSupport.h"
#include "Verbs.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vorida;
using namespace vorida::test;

TEST(Verbs, FitInMemoryIsTheToolsOutput)
{
    TempDir dir;
    const std::string area = dir / "area.bin";
    std::ostringstream packed, packErrors;
    ASSERT_EQ(
        cli::runVerb("pack", { std::string(VORIDA_EXAMPLES_DIR) + "/TRANSPKT.txt", "-o", area },
            packed, packErrors),
        0)
        << packErrors.str();

    const std::string printed = dir / "printed.txt";
    ASSERT_EQ(RunCli("fit --loo --area \"" + area + "\"", printed), 0) << ReadFile(printed);
    // With a Polish locale in this process the numbers still have a point.
    ScopedPolishLocale polish;
    std::ostringstream out, err;
    EXPECT_EQ(cli::runVerb("fit", { "--loo", "--area", area }, out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), ReadFile(printed));
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
