#include "database/WorkspaceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

namespace velmora {

namespace fs = std::filesystem;

namespace {

// The process id written in the lock file; 0 when there is none (yet).
long HolderOf(int fd) {
    // The holder writes its id just after taking the lock: give it a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        char text[32] = {};
        const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
        if (n > 0) {
            const long pid = std::strtol(text, nullptr, 10);
            if (pid > 0) return pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

}  // namespace

WorkspaceLock::WorkspaceLock(WorkspaceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), dir_(std::move(other.dir_)) {}

WorkspaceLock& WorkspaceLock::operator=(WorkspaceLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        dir_ = std::move(other.dir_);
    }
    return *this;
}

Status WorkspaceLock::Acquire(const fs::path& dir) {
    Release();
    const fs::path file = dir / kLockFileName;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return ErrnoStatus("cannot create the lock file", file);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error != EWOULDBLOCK) {
            ::close(fd);
            return Status::FileError("cannot lock", file, error);
        }
        const long holder = HolderOf(fd);
        ::close(fd);
        return Status::Error("The workspace is in use by another Velmora program (PID " +
                                 (holder > 0 ? std::to_string(holder) : std::string("?")) + ")",
                             StatusCode::InUse);
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    // The id is for the message of a refused program; the lock holds without it.
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    fd_ = fd;
    dir_ = dir;
    return Status::Ok();
}

void WorkspaceLock::Release() {
    if (fd_ < 0) return;
    // Closing the last descriptor releases the lock. The file stays: removing it would let a
    // program that opened it just before lock a file no one else can find.
    ::close(std::exchange(fd_, -1));
    dir_.clear();
}

}  // namespace velmora
