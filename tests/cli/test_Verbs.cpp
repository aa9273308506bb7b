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
