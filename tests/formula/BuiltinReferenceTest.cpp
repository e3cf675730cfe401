#include <gtest/gtest.h>

#include <string>

#include "formula/Builtins.h"
#include "formula/FunctionHelp.h"
#include "formula/MathFunctions.h"

namespace velmora {
namespace {

std::string Signature(const char* name) {
    const FunctionHelp* help = FindFunctionHelp(name);
    return help ? FunctionSignature(*help) : "no function " + std::string(name);
}

// Each kind of argument in its written order: arrays, texts, required and optional numbers.
TEST(BuiltinReference, SignaturesShowArgumentsInWrittenOrderWithDefaults) {
    EXPECT_EQ(Signature("obv"), "obv()");
    EXPECT_EQ(Signature("ema"), "ema(array, periods)");
    EXPECT_EQ(Signature("cross"), "cross(a, b)");
    EXPECT_EQ(Signature("writeif"), "writeif(condition, true text, false text)");
    EXPECT_EQ(Signature("peak"), "peak(array, change, n = 1)");
    EXPECT_EQ(Signature("sar"), "sar(step = 0.02, maximum = 0.2)");
    EXPECT_EQ(Signature("relstrength"), "relstrength(ticker)");
    EXPECT_EQ(Signature("sqrt"), "sqrt(x)");
}

TEST(BuiltinReference, PageHasOneEntryPerFunction) {
    const std::string page = FunctionReferenceMarkdown();
    const auto once = [&page](const std::string& heading) {
        const std::size_t at = page.find(heading);
        ASSERT_NE(at, std::string::npos) << heading;
        EXPECT_EQ(page.find(heading, at + 1), std::string::npos) << heading;
    };
    for (const BuiltinEntry& entry : BuiltinTable()) once("\n## `" + Signature(entry.name) + "`\n");
    for (const MathFunction& math : MathFunctions()) once("\n## `" + Signature(math.name) + "`\n");
}

}  // namespace
}  // namespace velmora
