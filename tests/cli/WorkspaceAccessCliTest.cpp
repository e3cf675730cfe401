#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using test_support::CliRun;

struct WorkspaceAccess : ::testing::Test {
    test::TempDir profile, root;
    fs::path ws = root / "ws";
    void SetUp() override { ASSERT_EQ(Do("sample-workspace", {ws.string()}).status, 0); }
    CliRun Do(const std::string& name, std::vector<std::string> args,
              const fs::path& workspace = {}) {
        return test_support::RunCliCommandAt(profile.path(), workspace.empty() ? ws : workspace,
                                             name, std::move(args));
    }
};

TEST_F(WorkspaceAccess, AFailedSaveNamesTheFileAndTheReason) {
    fs::remove(ws / "tarvik.workspace");
    fs::create_directory(ws / "tarvik.workspace");  // nothing can be renamed over it
    const CliRun r = Do("stock", {"new", "NEWCO"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_EQ(r.err,
              "velmora-cli: the workspace could not be saved completely: cannot rename the new "
              "file to " +
                  (ws / "tarvik.workspace").string() + ": " + std::strerror(EISDIR) + "\n");
}

}  // namespace
}  // namespace velmora::cli
