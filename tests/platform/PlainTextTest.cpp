#include <gtest/gtest.h>

#include <string>

#include "platform/PlainText.h"

namespace velmora {
namespace {

// Exactly tab, LF and CR are refused; their neighbours among the control characters (8, 11,
// 12, 14), space, DEL and UTF-8 letters are kept. The message names the first offending
// character and counts characters, not bytes.
TEST(PlainText, RefusesTabAndLineBreaksOnly) {
    struct Case {
        std::string text;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"", nullptr},
        {"KGHM", nullptr},
        {std::string("a\x08z\x0B\x0C\x0E b\x7F"), nullptr},
        {"Zürich Öl", nullptr},
        {"\tKGHM",
         "The ticker must not hold a tab or a line break (it holds a tab at character 1)"},
        {"KG\nHM\t",
         "The ticker must not hold a tab or a line break (it holds a line feed at character 3)"},
        {"KGHM\r",
         "The ticker must not hold a tab or a line break (it holds a carriage return at character "
         "5)"},
        {"Zü\tr", "The ticker must not hold a tab or a line break (it holds a tab at character 3)"},
    };
    for (const Case& c : cases) {
        const Status status = CheckPlainText("The ticker", c.text);
        EXPECT_EQ(FindTabOrLineBreak(c.text) == std::string::npos, c.message == nullptr) << c.text;
        if (c.message == nullptr) {
            EXPECT_TRUE(status.IsOk()) << c.text;
        } else {
            EXPECT_EQ(status.ToString(), c.message);
        }
    }
    // A study's text keeps its line breaks; only the tab is refused.
    EXPECT_TRUE(CheckNoTab("The text", "one\r\ntwo\n").IsOk());
    EXPECT_EQ(CheckNoTab("The text", "one\r\nt\two").ToString(),
              "The text must not hold a tab (it holds a tab at character 7)");
}

}  // namespace
}  // namespace velmora
