#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace velmora {

namespace {

int ErrnoOf(int result) {
    return result == 0 ? 0 : errno;
}

class PosixFileSystem final : public FileSystem {
  public:
    int CreateNew(const std::filesystem::path& path, int& fd) override {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        return fd >= 0 ? 0 : errno;
    }

    int WriteAll(int fd, const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd, p, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        // Starts the write-back now, so that the data of many files is on its way to the disk
        // while the next ones are written and the later sync finds less to wait for.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        return 0;
    }

    int Close(int fd) override { return ErrnoOf(::close(fd)); }

    int SyncFile(const std::filesystem::path& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return errno;
        const int error = ErrnoOf(::fdatasync(fd));
        ::close(fd);
        return error;
    }

    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return ErrnoOf(std::rename(from.c_str(), to.c_str()));
    }

    int SyncDirectory(const std::filesystem::path& dir) override {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return errno;
        int error = ErrnoOf(::fsync(fd));
        // Some file systems cannot sync a directory and say so with EINVAL; their entries are
        // as durable as they will get.
        if (error == EINVAL) error = 0;
        ::close(fd);
        return error;
    }

    int Remove(const std::filesystem::path& path) override {
        return ErrnoOf(::unlink(path.c_str()));
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem system;
    return system;
}

}  // namespace velmora
