#pragma once
// File helpers shared by every reader and writer: whole-file reads, atomic replacement,
// directory listings in a stable order and case-insensitive name matching.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace velmora {

using Bytes = std::vector<std::uint8_t>;

// The most bytes a whole-file read takes in (1 GiB).
inline constexpr std::size_t kWholeFileLimit = std::size_t{1} << 30;
// The whole file, or nothing when it cannot be opened or read; a directory (errno EISDIR) and a
// file above kWholeFileLimit (errno EFBIG) are refused, so errno tells the reason.
std::optional<Bytes> ReadWholeFile(const std::filesystem::path& path);
// The whole file as text, or nothing when it is a directory or cannot be opened or read.
std::optional<std::string> ReadFileText(const std::filesystem::path& path);
// Up to `count` bytes from `offset`; fewer at the end of the file; nothing when it cannot be
// opened.
std::optional<Bytes> ReadFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                   std::uint64_t count);

// A file opened for reading, closed with the object.
class InputFile {
  public:
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const { return size_; }
    // Reads up to `count` bytes from `offset` into `out`; the number read, or nothing on error.
    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out);

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Writes the bytes to a hidden temporary file in the same directory (new files get mode 0644,
// less the umask), waits until they are on the disk, renames the file over `path` and syncs the
// directory, so that `path` is its old or its new version whatever happens when. On failure
// nothing is changed and the status names `path`, the step that failed ("cannot create a
// temporary file for", "cannot write", "cannot rename the new file to", "cannot sync the
// directory") and the system's reason. Many files at once: FileBatch.
Status WriteFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size);
inline Status WriteFileAtomically(const std::filesystem::path& path, std::string_view text) {
    return WriteFileAtomically(path, text.data(), text.size());
}

struct DirEntry {
    std::string name;
    bool isDirectory = false;
};
// The entries of a directory sorted by name (byte order), without "." and "..". Empty when the
// directory cannot be read.
std::vector<DirEntry> ListDirectory(const std::filesystem::path& dir);

// The existing entry of `dir` named `name` without regard to ASCII case (an exact match is
// preferred), or dir/name when there is none.
std::filesystem::path MatchNoCase(const std::filesystem::path& dir, std::string_view name);

bool IsDirectory(const std::filesystem::path& path);
bool IsRegularFile(const std::filesystem::path& path);

}  // namespace velmora
