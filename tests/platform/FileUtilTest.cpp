#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/FaultyFileSystem.h"
#include "common/TestSupport.h"
#include "platform/CommitRecord.h"
#include "platform/FileBatch.h"
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
    ASSERT_TRUE(WriteFileAtomically(file, "new").IsOk());
    EXPECT_EQ(ReadTextFile(file, FileKind::Resource).ValueOr(""), "new");

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

// The phases run over all files in turn: every file's data is synced before the first rename,
// and each directory is synced once, after its renames. A file whose rename fails keeps its old
// version while the others are replaced.
TEST(FileBatch, SyncsEveryFileBeforeRenamingAndEachDirectoryOnceAfter) {
    test::TempDir dir;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    for (const char* name : {"a/x", "a/y", "b/z"}) test::WriteText(dir / name, "old");
    test::FaultyFileSystem faulty;
    // Three creates, writes and closes, three syncs, then the renames of x and y.
    faulty.FailCall(14, EACCES);
    {
        FileBatch batch(faulty);
        for (const char* name : {"a/x", "a/y", "b/z"}) batch.Add(dir / name, "new", 3);
        batch.Sync();
        batch.Commit();
        EXPECT_TRUE(batch.Replaced(0));
        EXPECT_FALSE(batch.Replaced(1));
        EXPECT_TRUE(batch.Replaced(2));
        EXPECT_EQ(
            batch.FirstFailure().ToString(),
            "cannot rename the new file to " + (dir / "a/y").string() + ": " + Reason(EACCES));
    }
    std::vector<std::string> kinds;
    for (const std::string& entry : faulty.Log()) {
        const std::string kind = entry.substr(0, entry.find(' '));
        if (kind == "syncdir") {
            kinds.push_back(entry);
        } else if (kinds.empty() || kinds.back().rfind(kind, 0) != 0) {
            kinds.push_back(kind);
        }
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"create", "write", "close", "create", "write",
                                               "close", "create", "write", "close", "sync",
                                               "rename", "syncdir a", "syncdir b"}));
    EXPECT_EQ(ReadTextFile(dir / "a/x", FileKind::Resource).ValueOr(""), "new");
    EXPECT_EQ(ReadTextFile(dir / "a/y", FileKind::Resource).ValueOr(""), "old");
    EXPECT_EQ(ReadTextFile(dir / "b/z", FileKind::Resource).ValueOr(""), "new");
    std::vector<std::string> names;
    for (const DirEntry& e : ListDirectory(dir / "a")) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y"}));
}

// Names with the record's own separators survive, a path outside the base stays absolute, and
// a record cut short anywhere or with one byte changed is not taken for a whole one.
TEST(CommitRecord, ReadsBackWhatItWroteAndRefusesEveryCutOrChangedRecord) {
    const fs::path base = "/w/space";
    CommitRecord record;
    record.renames = {{base / "a/.A%1.tmp0badcafe", base / "a/A%1"},
                      {base / "b/.B\tx\n.tmp01234567", base / "b/B\tx\n"},
                      {"/elsewhere/.T.tmp89abcdef", "/elsewhere/T"}};
    record.removals = {base / "c/C.ZZZ"};
    const std::string text = FormatCommitRecord(record, base);
    EXPECT_NE(text.find("R a/.A%251.tmp0badcafe\ta/A%251\n"), std::string::npos) << text;
    EXPECT_NE(text.find("R /elsewhere/.T.tmp89abcdef\t/elsewhere/T\n"), std::string::npos);
    const auto back = ParseCommitRecord(text, base);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->renames, record.renames);
    EXPECT_EQ(back->removals, record.removals);
    for (std::size_t n = 0; n < text.size(); ++n) {
        EXPECT_FALSE(ParseCommitRecord(text.substr(0, n), base).has_value()) << n;
        std::string changed = text;
        changed[n] = static_cast<char>(changed[n] ^ 0x04);
        EXPECT_FALSE(ParseCommitRecord(changed, base).has_value()) << n;
    }
}

// A crash after the record, with one rename done: the recovery does the rest and removes the
// record, and a second run finds nothing to do. A damaged record is removed without touching
// a file, and only names of the batch's own temporary files are swept.
TEST(CommitRecord, RecoveryFinishesACommittedBatchAndDropsADamagedOne) {
    test::TempDir dir;
    const fs::path record = dir / "tarvik.commit";
    for (const char* name : {"x", "y", "gone.ZZZ", ".x.tmp", "x.tmp0badcafe"}) {
        test::WriteText(dir / name, "old");
    }
    test::WriteText(dir / ".y.tmp0badcafe", "new");
    test::WriteText(record, FormatCommitRecord({{{dir / ".x.tmp01234567", dir / "x"},
                                                 {dir / ".y.tmp0badcafe", dir / "y"}},
                                                {dir / "gone.ZZZ"}},
                                               dir.path()));
    test::WriteText(dir / "x", "new");  // renamed before the crash
    Status status;
    EXPECT_EQ(RecoverCommit(record, SystemFileSystem(), status), Recovery::RolledForward);
    EXPECT_TRUE(status.IsOk()) << status.ToString();
    EXPECT_EQ(RecoverCommit(record, SystemFileSystem(), status), Recovery::None);
    std::vector<std::string> names;
    for (const DirEntry& e : ListDirectory(dir.path()))
        names.push_back(e.name + "=" + *ReadFileText(dir / e.name));
    EXPECT_EQ(names,
              (std::vector<std::string>{".x.tmp=old", "x=new", "x.tmp0badcafe=old", "y=new"}));

    test::WriteText(dir / ".y.tmp0badcafe", "newer");
    const std::string whole =
        FormatCommitRecord({{{dir / ".y.tmp0badcafe", dir / "y"}}, {}}, dir.path());
    test::WriteText(record, whole.substr(0, whole.size() - 1));
    EXPECT_EQ(RecoverCommit(record, SystemFileSystem(), status), Recovery::Discarded);
    EXPECT_EQ(RemoveTemporaryFiles(dir.path(), SystemFileSystem()), 1);
    names.clear();
    for (const DirEntry& e : ListDirectory(dir.path()))
        names.push_back(e.name + "=" + *ReadFileText(dir / e.name));
    EXPECT_EQ(names,
              (std::vector<std::string>{".x.tmp=old", "x=new", "x.tmp0badcafe=old", "y=new"}));
}

}  // namespace
}  // namespace velmora
