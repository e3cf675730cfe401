#include "platform/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/FileBatch.h"
#include "platform/NoCase.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

// A file descriptor closed on scope exit.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool ReadFully(int fd, std::uint8_t* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

InputFile::InputFile(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::size_t> InputFile::ReadAt(std::uint64_t offset, std::size_t count,
                                             std::uint8_t* out) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd_, out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

std::optional<Bytes> ReadWholeFile(const fs::path& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    // A directory reports a size that is no size at all (up to 2^63 - 1 bytes).
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return std::nullopt;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    Bytes data;
    const off_t size = ::lseek(fd.get(), 0, SEEK_END);
    if (size > static_cast<off_t>(kWholeFileLimit)) {
        errno = EFBIG;
        return std::nullopt;
    }
    if (size > 0) {
        data.resize(static_cast<std::size_t>(size));
        if (::lseek(fd.get(), 0, SEEK_SET) != 0) return std::nullopt;
        std::size_t got = 0;
        if (!ReadFully(fd.get(), data.data(), data.size(), got)) return std::nullopt;
        data.resize(got);
    }
    // Files that report no size (pipes, /proc) or grew meanwhile: read on to the end.
    std::uint8_t chunk[65536];
    for (;;) {
        std::size_t got = 0;
        if (!ReadFully(fd.get(), chunk, sizeof chunk, got)) return std::nullopt;
        if (got == 0) break;
        if (data.size() + got > kWholeFileLimit) {
            errno = EFBIG;
            return std::nullopt;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    return data;
}

std::optional<std::string> ReadFileText(const fs::path& path) {
    if (IsDirectory(path)) return std::nullopt;
    auto data = ReadWholeFile(path);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
}

std::optional<Bytes> ReadFileRange(const fs::path& path, std::uint64_t offset,
                                   std::uint64_t count) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    const off_t size = ::lseek(fd.get(), 0, SEEK_END);
    if (size < 0) return std::nullopt;
    const std::uint64_t usize = static_cast<std::uint64_t>(size);
    if (offset >= usize) return Bytes{};
    count = std::min(count, usize - offset);
    Bytes data(static_cast<std::size_t>(count));
    if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0) return std::nullopt;
    std::size_t got = 0;
    if (!ReadFully(fd.get(), data.data(), data.size(), got)) return std::nullopt;
    data.resize(got);
    return data;
}

Status WriteFileAtomically(const fs::path& path, const void* data, std::size_t size) {
    FileBatch batch;
    batch.Add(path, data, size);
    batch.Sync();
    batch.Commit();
    return batch.FirstFailure();
}

std::vector<DirEntry> ListDirectory(const fs::path& dir) {
    std::vector<DirEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) return entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeEc;
        entries.push_back({it->path().filename().string(), it->is_directory(typeEc)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return entries;
}

fs::path MatchNoCase(const fs::path& dir, std::string_view name) {
    fs::path exact = dir / std::string(name);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    for (const DirEntry& e : ListDirectory(dir)) {
        if (EqualNoCase(e.name, name)) return dir / e.name;
    }
    return exact;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace velmora
