#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"
#include "database/WorkspaceLock.h"

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
    fs::create_directory(ws / "n" / "NEWCO");  // nothing can be renamed over it
    const CliRun r = Do("stock", {"new", "NEWCO"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_EQ(r.err,
              "velmora-cli: the workspace could not be saved completely: cannot rename the new "
              "file to " +
                  (ws / "n" / "NEWCO").string() + ": " + std::strerror(EISDIR) + "\n");
}

// A second program that wants to write is refused with the holder's process id while readers go
// on; once the holder is killed, the kernel has released its lock and writing works again.
TEST_F(WorkspaceAccess, AnotherProgramsLockRefusesWritersUntilItDies) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        WorkspaceLock lock;
        const char state = lock.Acquire(ws).IsOk() ? 'y' : 'n';
        [[maybe_unused]] const ssize_t n = ::write(ready[1], &state, 1);
        ::pause();
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(state, 'y');

    const CliRun refused = Do("stock", {"new", "NEWCO"});
    EXPECT_EQ(refused.status, kFailure);
    EXPECT_EQ(refused.err, "velmora-cli: The workspace is in use by another Velmora program (PID " +
                               std::to_string(holder) + ")\n");
    const CliRun list = Do("list", {});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("WIG\t"), std::string::npos);
    EXPECT_EQ(list.out.find("NEWCO"), std::string::npos);

    ::kill(holder, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    EXPECT_EQ(Do("stock", {"new", "NEWCO"}).status, 0);
    EXPECT_NE(Do("list", {}).out.find("NEWCO"), std::string::npos);
}

// A mistyped path is not a new workspace: readers and writers alike fail and create nothing;
// "new" creates one, and only where there is none.
TEST_F(WorkspaceAccess, AMissingWorkspaceIsAnErrorUntilNewCreatesIt) {
    const fs::path typo = root / "wss";
    const CliRun info = Do("info", {}, typo);
    EXPECT_EQ(info.status, kFailure);
    EXPECT_EQ(info.err, "velmora-cli: no workspace at " + typo.string() + "\n");
    EXPECT_EQ(Do("stock", {"new", "NEWCO"}, typo).status, kFailure);
    EXPECT_FALSE(fs::exists(typo));
    // An existing folder that holds no workspace is not one either.
    fs::create_directory(typo);
    EXPECT_EQ(Do("list", {}, typo).err, "velmora-cli: no workspace at " + typo.string() + "\n");
    EXPECT_TRUE(fs::is_empty(typo));

    const CliRun created = Do("new", {typo.string()});
    EXPECT_EQ(created.status, 0);
    EXPECT_EQ(created.out, "workspace created in " + typo.string() + "\n");
    EXPECT_TRUE(fs::is_regular_file(typo / "tarvik.workspace"));
    EXPECT_NE(Do("info", {}, typo).out.find("stocks\t0\n"), std::string::npos);
    EXPECT_EQ(Do("new", {ws.string()}).err,
              "velmora-cli: new: there is a workspace at " + ws.string() + " already\n");
}

}  // namespace
}  // namespace velmora::cli
