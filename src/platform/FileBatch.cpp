#include "platform/FileBatch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <thread>

#include "platform/CommitRecord.h"
#include "platform/ParallelFor.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

// Syncs run side by side: the disk sorts out many outstanding requests better than one at a
// time, and the threads only wait.
constexpr std::size_t kSyncThreads = 8;
// Files given to AddWritten are created and written on a thread per core (two at least, four
// at most): the file system's work for each new file (finding it an inode, its first blocks)
// is mostly processor time.
constexpr int kMinWriterThreads = 2;
constexpr int kMaxWriterThreads = 4;
constexpr std::size_t kQueuedFiles = 16;

Status SystemError(std::string what, const fs::path& path, int error) {
    return Status::FileError(std::move(what), path, error,
                             error == ENOENT ? StatusCode::NotFound : StatusCode::IoError);
}

// A hidden name beside `path`: directory listings that skip names beginning with '.' (the
// workspace loader does) never take a leftover temporary file for a data file.
fs::path TemporaryName(const fs::path& path) {
    static thread_local std::mt19937 rng{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rng()));
    return path.parent_path() / ("." + path.filename().string() + suffix);
}

// Where a chain of symbolic links starting at `path` ends (the path itself when it is no
// link): a save replaces that file and leaves the links as they are. A link to a file not
// there yet leads to where the file is made.
fs::path FinalTarget(const fs::path& path) {
    constexpr int kMaxLinks = 40;
    fs::path p = path;
    std::error_code ec;
    for (int hops = 0; hops < kMaxLinks && fs::is_symlink(p, ec); ++hops) {
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) break;
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p;
}

fs::path DirectoryOf(const fs::path& file) {
    const fs::path dir = file.parent_path();
    return dir.empty() ? fs::path(".") : dir;
}

}  // namespace

FileBatch::~FileBatch() {
    {
        // Files not written yet are never created.
        const std::lock_guard lock(mutex_);
        jobs_.clear();
    }
    FinishWrites();
    // Committed but not finished (Commit never ran): the next open finishes it from the
    // record, which needs the temporary files.
    if (!record_.empty()) return;
    for (const File& f : files_) {
        if (f.stage == Stage::Written || f.stage == Stage::Synced) fs_.Remove(f.temporary);
    }
}

void FileBatch::Fail(File& file, Status status) {
    if (file.stage == Stage::Written || file.stage == Stage::Synced) fs_.Remove(file.temporary);
    file.stage = Stage::Failed;
    if (file.status) file.status = std::move(status);
}

void FileBatch::Write(File& file, const void* data, std::size_t size) {
    int fd = -1;
    int error = 0;
    // A name that exists already is drawn again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.temporary = TemporaryName(file.target);
        error = fs_.CreateNew(file.temporary, fd);
        if (error != EEXIST) break;
    }
    if (error != 0) {
        Fail(file, SystemError("cannot create a temporary file for", file.path, error));
        return;
    }
    file.stage = Stage::Written;
    error = fs_.WriteAll(fd, data, size);
    const int closeError = fs_.Close(fd);
    if (error == 0) error = closeError;
    if (error != 0) Fail(file, SystemError("cannot write", file.path, error));
}

std::size_t FileBatch::Add(const fs::path& path, const void* data, std::size_t size) {
    File& file = files_.emplace_back();
    file.path = path;
    file.target = FinalTarget(path);
    Write(file, data, size);
    return files_.size() - 1;
}

std::size_t FileBatch::AddWritten(const fs::path& path, std::vector<std::uint8_t> data) {
    File& file = files_.emplace_back();
    file.path = path;
    file.target = FinalTarget(path);
    std::unique_lock lock(mutex_);
    if (writers_.empty()) {
        try {
            const int writers = std::clamp(HardwareThreads(), kMinWriterThreads, kMaxWriterThreads);
            for (int t = 0; t < writers; ++t) {
                writers_.emplace_back([this] { Writer(); });
            }
        } catch (const std::system_error&) {
        }
    }
    if (writers_.empty()) {
        // No thread could be started: written here.
        lock.unlock();
        Write(file, data.data(), data.size());
        return files_.size() - 1;
    }
    // A few files wait at most, so that their bytes never add up to a whole workspace.
    changed_.wait(lock, [this] { return jobs_.size() < kQueuedFiles; });
    jobs_.push_back(Job{&file, std::move(data)});
    changed_.notify_all();
    return files_.size() - 1;
}

void FileBatch::Writer() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        changed_.notify_all();
        lock.unlock();
        Write(*job.file, job.data.data(), job.data.size());
        job.data = {};
        lock.lock();
    }
}

void FileBatch::FinishWrites() {
    {
        const std::lock_guard lock(mutex_);
        if (writers_.empty()) return;
        closing_ = true;
    }
    changed_.notify_all();
    // The writers write what is queued, then end.
    writers_.clear();
    closing_ = false;
}

void FileBatch::Sync() {
    FinishWrites();
    std::vector<File*> pending;
    for (File& f : files_) {
        if (f.stage == Stage::Written) pending.push_back(&f);
    }
    std::vector<int> errors(pending.size(), 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < pending.size(); i = next++) {
            errors[i] = fs_.SyncFile(pending[i]->temporary);
        }
    };
    {
        std::vector<std::jthread> threads;
        const std::size_t helpers =
            std::min(kSyncThreads, pending.size()) - (pending.empty() ? 0 : 1);
        for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work);
        work();
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (errors[i] != 0) {
            Fail(*pending[i], SystemError("cannot write", pending[i]->target, errors[i]));
        } else {
            pending[i]->stage = Stage::Synced;
        }
    }
}

bool FileBatch::NoneFailed() {
    FinishWrites();
    return std::none_of(files_.begin(), files_.end(),
                        [](const File& f) { return f.stage == Stage::Failed; });
}

Status FileBatch::WriteCommitRecord(const fs::path& record) {
    FinishWrites();
    CommitRecord content;
    for (const File& f : files_) {
        if (f.stage == Stage::Synced) content.renames.emplace_back(f.temporary, f.target);
    }
    content.removals = removals_;
    const std::string text = FormatCommitRecord(content, DirectoryOf(record));
    int fd = -1;
    int error = fs_.CreateNew(record, fd);
    Status status;
    if (error != 0) {
        status = SystemError("cannot create the commit record", record, error);
    } else {
        error = fs_.WriteAll(fd, text.data(), text.size());
        const int closeError = fs_.Close(fd);
        if (error == 0) error = closeError;
        if (error == 0) error = fs_.SyncFile(record);
        if (error == 0) error = fs_.SyncDirectory(DirectoryOf(record));
        if (error != 0) {
            // Not on the disk for certain: the record must not commit the batch after a crash
            // either.
            fs_.Remove(record);
            status = SystemError("cannot write the commit record", record, error);
        }
    }
    if (!status) {
        // Nothing is committed: every file keeps its old version, and Commit does nothing.
        for (File& f : files_) {
            if (f.stage == Stage::Synced) Fail(f, status);
        }
        removals_.clear();
        return status;
    }
    record_ = record;
    return status;
}

void FileBatch::FinishRecord(bool durable) {
    if (record_.empty()) return;
    // A directory that could not be synced may lose its renames in a crash: the record stays,
    // and the next open does them again.
    if (durable && fs_.Remove(record_) == 0) fs_.SyncDirectory(DirectoryOf(record_));
    record_.clear();
}

void FileBatch::Commit() {
    FinishWrites();
    std::vector<fs::path> directories;
    for (File& f : files_) {
        if (f.stage != Stage::Synced) continue;
        if (const int error = fs_.Rename(f.temporary, f.target); error != 0) {
            Fail(f, SystemError("cannot rename the new file to", f.target, error));
            continue;
        }
        f.stage = Stage::Renamed;
        const fs::path dir = f.target.parent_path();
        if (std::find(directories.begin(), directories.end(), dir) == directories.end()) {
            directories.push_back(dir);
        }
    }
    for (const fs::path& p : removals_) {
        const int error = fs_.Remove(p);
        const fs::path dir = p.parent_path();
        if (error == 0 &&
            std::find(directories.begin(), directories.end(), dir) == directories.end()) {
            directories.push_back(dir);
        }
    }
    bool durable = true;
    for (const fs::path& dir : directories) {
        const int error = fs_.SyncDirectory(dir.empty() ? fs::path(".") : dir);
        durable = durable && error == 0;
        for (File& f : files_) {
            if (f.stage != Stage::Renamed || f.target.parent_path() != dir) continue;
            if (error != 0) {
                Fail(f, SystemError("cannot sync the directory", dir, error));
            } else {
                f.stage = Stage::Done;
            }
        }
    }
    FinishRecord(durable);
}

Status FileBatch::FirstFailure() {
    FinishWrites();
    for (const File& f : files_) {
        if (!f.status) return f.status;
    }
    return Status::Ok();
}

}  // namespace velmora
