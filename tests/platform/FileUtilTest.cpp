#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "platform/FileUtil.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Reason(int errorNumber) {
    return std::strerror(errorNumber);
}

TEST(WriteFileAtomically, ReplacesTheFileOrSaysWhichStepFailedAndLeavesNothingBehind) {
    test::TempDir dir;
    const fs::path file = dir / "a.txt";
    ASSERT_TRUE(WriteFileAtomically(file, "old").IsOk());
    ASSERT_TRUE(WriteFileAtomically(file, "new", FileSync::Yes).IsOk());
    EXPECT_EQ(ReadFileText(file), "new");

    const fs::path missing = dir / "none" / "b.txt";
    const Status notCreated = WriteFileAtomically(missing, "x");
    EXPECT_EQ(notCreated.Code(), StatusCode::NotFound);
    EXPECT_EQ(notCreated.ToString(),
              "cannot create a temporary file for " + missing.string() + ": " + Reason(ENOENT));

    // A directory in the way of the rename: the written temporary file is removed again.
    const fs::path occupied = dir / "c";
    fs::create_directory(occupied);
    test::WriteText(occupied / "inside", "");
    const Status notRenamed = WriteFileAtomically(occupied, "x");
    EXPECT_EQ(notRenamed.ToString(),
              "cannot rename the new file to " + occupied.string() + ": " + Reason(EISDIR));
    std::vector<std::string> names;
    for (const DirEntry& e : ListDirectory(dir.path())) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "c"}));
}

}  // namespace
}  // namespace velmora
