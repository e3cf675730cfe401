#include "platform/FileUtil.h"

#include <fcntl.h>
#include <stdio.h>
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
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

struct KindInfo {
    std::string_view name;
    std::uint64_t cap;
};

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

KindInfo Info(FileKind kind) {
    switch (kind) {
        case FileKind::Stock:
            return {"stock file", 256 * kMiB};
        case FileKind::Workspace:
            return {"workspace file", 256 * kMiB};
        case FileKind::Portfolio:
            return {"portfolio file", 64 * kMiB};
        case FileKind::Preferences:
            return {"preferences file", 1 * kMiB};
        case FileKind::Settings:
            return {"settings file", 16 * kMiB};
        case FileKind::CategoryNames:
            return {"category file", 16 * kMiB};
        case FileKind::Charts:
            return {"chart definitions file", 64 * kMiB};
        case FileKind::Layout:
            return {"layout file", 64 * kMiB};
        case FileKind::FormatDefinitions:
            return {"format definitions file", 16 * kMiB};
        case FileKind::Formula:
            return {"formula file", 16 * kMiB};
        case FileKind::Script:
            return {"script", 16 * kMiB};
        case FileKind::Import:
            return {"import file", kMiB * 16 * 1024};
        case FileKind::Resource:
            return {"resource file", 64 * kMiB};
        case FileKind::Other:
            return {"file", 1024 * kMiB};
    }
    return {"file", 0};
}

// What a file that is not a regular file is, for the message that refuses it.
std::string_view NonRegularKind(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

// Opens `path` for reading when it is a regular file of at most the kind's cap: the descriptor
// and size go to `fd` and `size`. O_NONBLOCK keeps the open of a FIFO without a writer from
// waiting; the kind of file is checked on the open descriptor, so nothing is read before.
Status OpenRegular(const fs::path& path, FileKind kind, int& fd, std::uint64_t& size) {
    const KindInfo info = Info(kind);
    const std::string what = "cannot read the " + std::string(info.name);
    fd = -1;
    size = 0;
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) return ErrnoStatus(what, path);
    Fd guard(opened);
    struct stat st {};
    if (::fstat(opened, &st) != 0) return ErrnoStatus(what, path);
    if (S_ISDIR(st.st_mode)) return Status::FileError(what, path, EISDIR);
    if (!S_ISREG(st.st_mode)) {
        return Status::FileError(what, path,
                                 std::string(NonRegularKind(st.st_mode)) + ", not a regular file",
                                 StatusCode::IoError);
    }
    const auto bytes = static_cast<std::uint64_t>(st.st_size);
    if (bytes > info.cap) {
        return Status::FileError(what, path,
                                 "larger than " + std::to_string(info.cap / kMiB) +
                                     " MiB, the size cap of " + std::string(info.name) + "s",
                                 StatusCode::Corrupt);
    }
    // Reads of a regular file never block; the flag goes only for tidiness.
    ::fcntl(opened, F_SETFL, ::fcntl(opened, F_GETFL) & ~O_NONBLOCK);
    fd = guard.release();
    size = bytes;
    return Status::Ok();
}

}  // namespace

InputFile::InputFile(const fs::path& path, FileKind kind) {
    status_ = OpenRegular(path, kind, fd_, size_);
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

std::string_view FileKindName(FileKind kind) {
    return Info(kind).name;
}

std::uint64_t FileSizeCap(FileKind kind) {
    return Info(kind).cap;
}

Result<Bytes> ReadFileHead(const fs::path& path, FileKind kind, std::uint64_t count) {
    InputFile file(path, kind);
    if (!file.IsOpen()) return file.GetStatus();
    // Never more than the size found at the open, or the cap: a file that grows meanwhile
    // cannot take the reader past either.
    Bytes data(static_cast<std::size_t>(std::min(count, file.Size())));
    const auto got = file.ReadAt(0, data.size(), data.data());
    if (!got) return ErrnoStatus("cannot read the " + std::string(FileKindName(kind)), path);
    data.resize(*got);
    return data;
}

Result<Bytes> ReadFile(const fs::path& path, FileKind kind) {
    return ReadFileHead(path, kind, FileSizeCap(kind));
}

Result<std::string> ReadTextFile(const fs::path& path, FileKind kind) {
    Result<Bytes> data = ReadFile(path, kind);
    if (!data) return data.GetStatus();
    return std::string(data->begin(), data->end());
}

std::optional<Bytes> ReadWholeFile(const fs::path& path) {
    Result<Bytes> data = ReadFile(path, FileKind::Other);
    if (data) return std::move(*data);
    const Status& failure = data.GetStatus();
    if (failure.ErrorNumber() != 0) {
        errno = failure.ErrorNumber();
    } else {
        errno = failure.Code() == StatusCode::Corrupt ? EFBIG : EINVAL;
    }
    return std::nullopt;
}

std::optional<std::string> ReadFileText(const fs::path& path) {
    auto data = ReadWholeFile(path);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
}

Status CheckReadableFile(const fs::path& path, FileKind kind) {
    InputFile file(path, kind);
    return file.GetStatus();
}

Status WriteFileAtomically(const fs::path& path, const void* data, std::size_t size,
                           FileSystem& fileSystem) {
    FileBatch batch(fileSystem);
    batch.Add(path, data, size);
    batch.Sync();
    batch.Commit();
    return batch.FirstFailure();
}

Result<fs::path> SetFileAside(const fs::path& path, std::string_view suffix) {
    for (int n = 1; n < 1000; ++n) {
        fs::path to = path;
        to += std::string(suffix) + (n == 1 ? std::string() : "-" + std::to_string(n));
        // RENAME_NOREPLACE makes the test for a free name and the rename one step; a file
        // system without it gets the test first.
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return to;
        }
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return ErrnoStatus("cannot set aside", path);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(to, ec))) continue;
        if (::rename(path.c_str(), to.c_str()) == 0) return to;
        return ErrnoStatus("cannot set aside", path);
    }
    return Status::FileError("cannot set aside", path, EEXIST);
}

Result<fs::path> KeepOldFile(const fs::path& path, std::string_view suffix) {
    for (int n = 1; n < 1000; ++n) {
        fs::path to = path;
        to += std::string(suffix) + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (::link(path.c_str(), to.c_str()) == 0) return to;
        if (errno == EEXIST) continue;
        if (errno == ENOENT) return ErrnoStatus("cannot keep the old file", path);
        return SetFileAside(path, suffix);
    }
    return Status::FileError("cannot keep the old file", path, EEXIST);
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
