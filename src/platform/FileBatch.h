#pragma once
// Replaces a set of files so that each one, after a crash or power cut at any moment, is either
// its old or its new version, complete. The work goes in phases, each over all of the files:
//
//     FileBatch batch;
//     batch.Add(path, data, size);   // each: a new hidden temporary file beside its path
//     batch.Sync();                   // their data reaches the disk (several files at once)
//     batch.Commit();                 // each renamed over its path; each directory synced once
//
// so that a save of thousands of files waits for the disk a few times, not thousands. A file
// whose step fails drops out (its old file untouched, its temporary file removed) while the
// others go on; its status names the file and the system's reason.
//
// A batch that must be all or nothing writes a commit record between Sync and Commit (see
// CommitRecord.h): once the record is on the disk the batch is committed, and a crash before
// Commit ends is finished at the next open. Commit removes the record when it is done.
//
// A path that is a symbolic link keeps being one: the file it leads to is replaced, and the
// temporary file is made beside that file.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace velmora {

class FileBatch {
  public:
    explicit FileBatch(FileSystem& fs = SystemFileSystem()) : fs_(fs) {}
    // Removes the temporary files that were not renamed.
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes the bytes to a new temporary file beside `path` (beside the file it leads to, when
    // it is a symbolic link); the file's index in the batch.
    std::size_t Add(const std::filesystem::path& path, const void* data, std::size_t size);
    // Like Add, but the file is created and written on one of the batch's writer threads while
    // the caller goes on (the disk's work for many small files spreads over the cores); the
    // batch keeps the bytes until then. Indices follow the order of the calls either way, and
    // every later step waits for the writes first.
    std::size_t AddWritten(const std::filesystem::path& path, std::vector<std::uint8_t> data);
    // A file Commit removes after the renames (a deleted stock's set-aside file).
    void AddRemoval(const std::filesystem::path& path) { removals_.push_back(path); }
    // Waits until the data of every written file is on the disk.
    void Sync();
    // Whether every file added is still on its way (none failed).
    bool NoneFailed();
    // Writes the commit record `record` naming every synced file's rename and the removals,
    // and waits until it and its directory entry are on the disk. On failure nothing is
    // committed: the partial record is removed, and the batch should be dropped.
    Status WriteCommitRecord(const std::filesystem::path& record);
    // Renames every synced file over its path, in the order added, removes the removals, then
    // syncs each directory that received one; last, removes the commit record when one was
    // written.
    void Commit();

    // The accessors below tell of the writes once Sync began.
    std::size_t Count() const { return files_.size(); }
    const std::filesystem::path& Target(std::size_t i) const { return files_[i].target; }
    // The temporary file holding the new version until the rename.
    const std::filesystem::path& Temporary(std::size_t i) const { return files_[i].temporary; }
    // Whether the file replaced its path durably (after Commit).
    bool Replaced(std::size_t i) const { return files_[i].stage == Stage::Done; }
    // The failure of the step that failed for the file; success otherwise.
    const Status& FileStatus(std::size_t i) const { return files_[i].status; }
    // The first failure of any file, in the order added; success when there was none.
    Status FirstFailure();

  private:
    enum class Stage { Failed, Written, Synced, Renamed, Done };
    struct File {
        std::filesystem::path path;  // as given
        std::filesystem::path target;
        std::filesystem::path temporary;
        Stage stage = Stage::Failed;
        Status status;
    };
    void Fail(File& file, Status status);
    // Creates the temporary file of `file` and writes the bytes into it.
    void Write(File& file, const void* data, std::size_t size);
    // Waits until every file given to AddWritten is written, and ends the writer threads.
    void FinishWrites();
    void Writer();

    struct Job {
        File* file = nullptr;
        std::vector<std::uint8_t> data;
    };

    void FinishRecord(bool durable);

    FileSystem& fs_;
    std::deque<File> files_;  // a deque: the writers hold their files while more are added
    std::vector<std::filesystem::path> removals_;
    std::filesystem::path record_;

    std::mutex mutex_;  // guards the jobs and `closing_`
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool closing_ = false;
    std::vector<std::jthread> writers_;
};

}  // namespace velmora
