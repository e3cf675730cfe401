#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

// A temporary file holding `text`, positioned at its start.
std::FILE* Input(const std::string& text) {
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
}

TEST(ConsoleUserInterface, AskStringReadsOneLineAndKeepsTheInitialTextOnAnEmptyOne) {
    std::FILE* out = std::tmpfile();
    ConsoleUserInterface ui(out);
    EXPECT_EQ(ui.AskString("Arguments for command", "-v"), "-v");  // no input: taken as is

    std::FILE* in = Input("a b\r\n\nlast");
    ui.SetInput(in);
    EXPECT_EQ(ui.AskString("Arguments for command", "-v"), "a b");
    EXPECT_EQ(ui.AskString("Arguments for command", "-v"), "-v");
    EXPECT_EQ(ui.AskString("Arguments for command", "-v"), "last");
    EXPECT_EQ(ui.AskString("Arguments for command", "-v"), std::nullopt);  // end of input
    std::fclose(in);

    std::rewind(out);
    char line[64] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "Arguments for command [-v]: \n");
    std::fclose(out);
}

}  // namespace
}  // namespace velmora
