#include "platform/FileBatch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <thread>

namespace velmora {

namespace fs = std::filesystem;

namespace {

// Syncs run side by side: the disk sorts out many outstanding requests better than one at a
// time, and the threads only wait.
constexpr std::size_t kSyncThreads = 8;

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

}  // namespace

FileBatch::~FileBatch() {
    for (const File& f : files_) {
        if (f.stage == Stage::Written || f.stage == Stage::Synced) fs_.Remove(f.temporary);
    }
}

void FileBatch::Fail(File& file, Status status) {
    if (file.stage == Stage::Written || file.stage == Stage::Synced) fs_.Remove(file.temporary);
    file.stage = Stage::Failed;
    if (file.status) file.status = std::move(status);
}

std::size_t FileBatch::Add(const fs::path& path, const void* data, std::size_t size) {
    File& file = files_.emplace_back();
    file.target = path;
    int fd = -1;
    int error = 0;
    // A name that exists already is drawn again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.temporary = TemporaryName(path);
        error = fs_.CreateNew(file.temporary, fd);
        if (error != EEXIST) break;
    }
    if (error != 0) {
        Fail(file, SystemError("cannot create a temporary file for", path, error));
        return files_.size() - 1;
    }
    file.stage = Stage::Written;
    error = fs_.WriteAll(fd, data, size);
    const int closeError = fs_.Close(fd);
    if (error == 0) error = closeError;
    if (error != 0) Fail(file, SystemError("cannot write", path, error));
    return files_.size() - 1;
}

void FileBatch::Sync() {
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

void FileBatch::Commit() {
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
    for (const fs::path& dir : directories) {
        const int error = fs_.SyncDirectory(dir.empty() ? fs::path(".") : dir);
        for (File& f : files_) {
            if (f.stage != Stage::Renamed || f.target.parent_path() != dir) continue;
            if (error != 0) {
                Fail(f, SystemError("cannot sync the directory", dir, error));
            } else {
                f.stage = Stage::Done;
            }
        }
    }
}

Status FileBatch::FirstFailure() const {
    for (const File& f : files_) {
        if (!f.status) return f.status;
    }
    return Status::Ok();
}

}  // namespace velmora
