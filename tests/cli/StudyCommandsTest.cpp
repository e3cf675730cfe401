#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;
using test_support::RunCliCommand;

struct StudyCli : ::testing::Test {
    velmora::test::TempDir profile, workspace;
    void SetUp() override {
        ASSERT_EQ(Do("sample-workspace", {workspace.path().string()}).status, 0);
    }
    CliRun Do(const std::string& name, std::vector<std::string> args) {
        return RunCliCommand(profile, workspace.path(), name, std::move(args));
    }
};

TEST_F(StudyCli, AddListAndDeleteSurviveTheWorkspace) {
    CliRun r = Do("study", {"add", "ALDORA", "--pane", "1", "--tool", "fibret", "--from",
                            "24-06-03:100", "--to", "24-09-02:200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), 8u);
    ASSERT_EQ(Do("study", {"add", "ALDORA", "--pane", "2", "--tool", "trend", "--from",
                           "24-06-03:1", "--to", "24-07-01:-1"})
                  .status,
              0);
    r = Do("study", {"add", "ALDORA", "--pane", "1", "--tool", "text", "--from", "24-07-01:150",
                     "--text", "two\r\nlines"});
    ASSERT_EQ(r.status, 0) << r.err;

    // Every command runs on a freshly loaded workspace: the studies were saved with the stock.
    const auto list = Lines(Do("study", {"list", "ALDORA"}).out);
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "1\t0\t3\t0\t2\t7\t24-06-03\t24-09-02\t100\t200\t");
    EXPECT_EQ(list[1], "1\t1\t4\t2\t0\t7\t24-06-03\t24-09-02\t200\t200\t0.0%");
    EXPECT_EQ(list[8], "2\t0\t0\t0\t0\t7\t24-06-03\t24-07-01\t1\t-1\t");
    EXPECT_EQ(list[9].substr(0, 23), "1\t8\t255\t0\t0\t7\t24-07-01\t");
    EXPECT_NE(list[9].find("\\r\\nlines"), std::string::npos);

    EXPECT_EQ(Do("study", {"delete", "ALDORA", "--pane", "2", "--index", "1"}).status, 1);
    EXPECT_EQ(Do("study", {"delete", "ALDORA", "--pane", "1", "--index", "8"}).out,
              "deleted 1 study\n");
    EXPECT_EQ(Do("study", {"delete", "ALDORA", "--pane", "1", "--all"}).out, "deleted 8 studies\n");
    const auto rest = Lines(Do("study", {"list", "ALDORA"}).out);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].substr(0, 2), "2\t");
}

TEST_F(StudyCli, RejectsBadArguments) {
    const std::vector<std::vector<std::string>> usage{
        {"add", "ALDORA", "--pane", "1", "--tool", "circle", "--from", "24-06-03:1"},
        {"add", "ALDORA", "--pane", "77", "--tool", "hline", "--from", "24-06-03:1"},
        {"add", "ALDORA", "--pane", "1", "--tool", "trend", "--from", "24-06-03:1"},
        {"add", "ALDORA", "--pane", "1", "--tool", "hline", "--from", "24-13-03:1"},
        {"add", "ALDORA", "--pane", "1", "--tool", "hline", "--from", "24-06-03:x"},
        {"add", "ALDORA", "--pane", "1", "--tool", "text", "--from", "24-06-03:1"},
        {"delete", "ALDORA", "--pane", "1", "--index", "0", "--all"},
        {"delete", "ALDORA", "--pane", "1"},
        {"draw"},
    };
    for (const auto& args : usage) EXPECT_EQ(Do("study", args).status, 2) << args[0];
    EXPECT_EQ(Do("study", {"list", "NOSUCH"}).status, 1);
    EXPECT_TRUE(Do("study", {"list", "ALDORA"}).out.empty());
}

}  // namespace
}  // namespace velmora::cli
