#include <gtest/gtest.h>

#include <string>

#include "platform/StringFormat.h"

namespace velmora {
namespace {

// The text is kept whole on both sides of the stack buffer's size (256 bytes with the NUL).
TEST(FormatString, KeepsTextsOfAnyLengthWhole) {
    for (const int length : {255, 256, 1000}) {
        const std::string filler(static_cast<std::size_t>(length - 4), 'x');
        const std::string text = FormatString("%s|%2d|", filler.c_str(), 7);
        EXPECT_EQ(text, filler + "| 7|") << length;
        EXPECT_EQ(text.size(), static_cast<std::size_t>(length));
    }
    EXPECT_EQ(FormatString("%s", ""), "");
}

}  // namespace
}  // namespace velmora
