#include <gtest/gtest.h>

#include <string>

#include "FormulaTestSupport.h"
#include "formula/Optimize.h"

namespace velmora {
namespace {

using test::EngineFixture;

TEST(Optimize, GivesTheDefaultUnlessItsNameIsAssigned) {
    EngineFixture f;
    const std::string text =
        "a = optimize(\"n\", 7, 1, 9, 2); b = optimize(\"m\", -1.5, -3, 0, 1);";
    ASSERT_TRUE(f.Run(text).empty());
    EXPECT_EQ(f.run.GetNumber("a"), 7.0f);
    EXPECT_EQ(f.run.GetNumber("b"), -1.5f);
    // An assignment counts from the next run on, and only for its own name.
    f.engine.SetParameters({{"n", 3.0f}});
    FormulaRun again = f.engine.BeginRun(f.stock);
    again.Execute(text);
    EXPECT_EQ(again.GetNumber("a"), 3.0f);
    EXPECT_EQ(again.GetNumber("b"), -1.5f);
}

TEST(Optimize, ParametersAreFoundInOrderOfTheirFirstCall) {
    const auto found = FindOptimizeParameters(
        "// optimize(\"x\", 1, 1, 1, 1)\nslow = optimize(\"slow\", 26, 20, 30, 5);\n"
        "buy = cross(macd(optimize(\"fast\", 12, -4, 16.5, 0.5), slow), 0);\n"
        "sell = cross(0, macd(12, optimize(\"slow\", 26, 20, 30, 5)));");
    ASSERT_TRUE(found) << found.GetStatus().ToString();
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ((*found)[0].Name, "slow");
    EXPECT_EQ((*found)[0].Line, 2);
    const OptimizeParameter& fast = (*found)[1];
    EXPECT_EQ(fast.Name, "fast");
    EXPECT_EQ(fast.Default, 12.0f);
    EXPECT_EQ(fast.Min, -4.0f);
    EXPECT_EQ(fast.Max, 16.5f);
    EXPECT_EQ(fast.Step, 0.5f);
    EXPECT_EQ(fast.Line, 3);
    EXPECT_TRUE(FindOptimizeParameters("buy = c > o; sell = c < o;")->empty());
}

TEST(Optimize, UnusableCallsAreRefusedWithTheirLine) {
    const auto message = [](const char* formula) {
        const auto found = FindOptimizeParameters(formula);
        return found ? std::string("found") : found.GetStatus().ToString();
    };
    EXPECT_EQ(message("x = 1;\nn = optimize(\"n\", 5, 1, 9, p);"),
              "optimize takes a name in quotes and four numbers written out: "
              "optimize(\"name\", default, min, max, step) (line 2)");
    EXPECT_EQ(message("n = optimize(\"n\", 5, 1, 9, 0);"),
              "optimize(\"n\"): the step must be above 0 and min at most max (line 1)");
    EXPECT_EQ(message("n = optimize(\"n\", 5, 9, 1, 1);"),
              "optimize(\"n\"): the step must be above 0 and min at most max (line 1)");
    EXPECT_EQ(message("n = optimize(\"n\", 5, 1, 9, 1);\nm = optimize(\"n\", 5, 1, 8, 1);"),
              "optimize(\"n\") is called with two different ranges (line 2)");
    // min equal to max is one value.
    EXPECT_EQ(message("n = optimize(\"n\", 5, 5, 5, 1);"), "found");
}

}  // namespace
}  // namespace velmora
