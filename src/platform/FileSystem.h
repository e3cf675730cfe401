#pragma once
// The system calls that replace files durably, behind one interface: the program goes through
// SystemFileSystem(), and tests substitute an implementation that fails a chosen call with a
// chosen error, or stops the process at a chosen point.
//
// Every call returns 0 on success and the system's error number on failure.

#include <cstddef>
#include <filesystem>

namespace velmora {

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Creates a new file for writing (it must not exist yet; mode 0644 less the umask); the
    // descriptor goes to `fd`.
    virtual int CreateNew(const std::filesystem::path& path, int& fd) = 0;
    // Writes all of the bytes (a short write is continued).
    virtual int WriteAll(int fd, const void* data, std::size_t size) = 0;
    virtual int Close(int fd) = 0;
    // Waits until the file's data, and what is needed to read it back, is on the disk.
    virtual int SyncFile(const std::filesystem::path& path) = 0;
    // Replaces `to` by `from` in one step.
    virtual int Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Waits until the directory's entries (names created, renamed or removed) are on the disk.
    virtual int SyncDirectory(const std::filesystem::path& dir) = 0;
    virtual int Remove(const std::filesystem::path& path) = 0;
};

// The operating system's calls. Stateless, and safe to use from several threads.
FileSystem& SystemFileSystem();

}  // namespace velmora
