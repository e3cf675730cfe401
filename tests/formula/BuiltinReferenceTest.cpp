#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "formula/BuiltinReference.h"
#include "formula/Builtins.h"

namespace velmora {
namespace {

const BuiltinEntry& Entry(std::string_view name) {
    for (const BuiltinEntry& entry : BuiltinTable()) {
        if (name == entry.name) return entry;
    }
    throw std::runtime_error("no built-in " + std::string(name));
}

// Each kind of argument in its written order: arrays, texts, required and optional numbers.
TEST(BuiltinReference, SignaturesShowArgumentsInWrittenOrderWithDefaults) {
    EXPECT_EQ(BuiltinSignature(Entry("obv")), "obv()");
    EXPECT_EQ(BuiltinSignature(Entry("ema")), "ema(array, n)");
    EXPECT_EQ(BuiltinSignature(Entry("cross")), "cross(array1, array2)");
    EXPECT_EQ(BuiltinSignature(Entry("writeif")), "writeif(array, text1, text2)");
    EXPECT_EQ(BuiltinSignature(Entry("peak")), "peak(array, n1, n2 = 1)");
    EXPECT_EQ(BuiltinSignature(Entry("sar")), "sar(n1 = 0.02, n2 = 0.2)");
    EXPECT_EQ(BuiltinSignature(Entry("relstrength")), "relstrength(text)");
}

TEST(BuiltinReference, PageHasOneItemPerBuiltin) {
    const std::string page = BuiltinReferenceMarkdown();
    for (const BuiltinEntry& entry : BuiltinTable()) {
        const std::string row = "\n- `" + BuiltinSignature(entry) + "`\n";
        const std::size_t at = page.find(row);
        ASSERT_NE(at, std::string::npos) << entry.name;
        EXPECT_EQ(page.find(row, at + 1), std::string::npos) << entry.name;
    }
    EXPECT_NE(page.find("\n72 built-in functions.\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora
