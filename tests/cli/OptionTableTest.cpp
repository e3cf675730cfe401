#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/OptionTable.h"

namespace velmora::cli {
namespace {

// Each entry takes its first appearance, in table order: what an earlier entry took as its value
// is gone for the later ones, and a second appearance stays behind with the other arguments.
TEST(OptionTable, TakesEachOptionInTableOrderAtItsFirstAppearance) {
    std::vector<std::string> args = {"T", "--print", "--out", "a", "--print", "b", "--flag", "x"};
    std::optional<std::string> print, out;
    bool flag = false;
    const TakenOptions taken =
        TakeOptions(args, {{"--print", &print}, {"--out", &out}, {"--flag", &flag}});
    EXPECT_FALSE(taken.AnyMissing());
    EXPECT_EQ(print, "--out");
    EXPECT_EQ(out, std::nullopt);
    EXPECT_TRUE(flag);
    EXPECT_EQ(args, (std::vector<std::string>{"T", "a", "--print", "b", "x"}));
}

// A repeated option takes every appearance; one standing last has no value and is reported.
TEST(OptionTable, RepeatedOptionsAndValuesMissingAtTheEnd) {
    std::vector<std::string> args = {"--ticker", "A",        "D", "--out",
                                     "o",        "--ticker", "B", "--ticker"};
    std::vector<std::string> tickers;
    std::optional<std::string> out;
    const TakenOptions taken = TakeOptions(args, {{"--ticker", &tickers}, {"--out", &out}});
    EXPECT_EQ(tickers, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(taken.Missing("--ticker"));
    EXPECT_FALSE(taken.Missing("--out"));
    EXPECT_EQ(out, "o");
    EXPECT_EQ(args, std::vector<std::string>{"D"});
}

}  // namespace
}  // namespace velmora::cli
