#pragma once
// File helpers shared by every reader and writer: whole-file reads, atomic replacement,
// directory listings in a stable order and case-insensitive name matching.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace velmora {

using Bytes = std::vector<std::uint8_t>;

// What a file the program reads holds. Each kind has a size cap far above what a real file of
// the kind reaches, so that a device, a runaway file or a wrong path cannot make a reader take
// in gigabytes (README lists them).
enum class FileKind {
    Stock,              // a stock file of a workspace
    Workspace,          // tarvik.workspace
    Portfolio,          // tarvik.portfolio
    Preferences,        // the binary preferences file
    Settings,           // settings.ini
    CategoryNames,      // the category name files of the profile
    Charts,             // tarvik.charts, the chart definitions
    Layout,             // a chart layout
    FormatDefinitions,  // the import format and type definitions
    Formula,            // a formula file
    Script,             // a script
    Import,             // a quotation file to import (ASCII, Metastock, teletext)
    Resource,           // a shipped file copied into the profile
    Other,              // anything else (1 GiB)
};

// The words naming the kind in messages ("formula file").
std::string_view FileKindName(FileKind kind);
// The most bytes a reader of the kind takes in.
std::uint64_t FileSizeCap(FileKind kind);

// A regular file opened for reading, closed with the object. Anything else (a directory, a
// FIFO, a device, a socket) is refused without blocking, and so is a file above its kind's size
// cap; GetStatus() says which file and why ("cannot read the formula file F: a FIFO, not a regular
// file").
class InputFile {
  public:
    InputFile(const std::filesystem::path& path, FileKind kind);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    // Success when the file is open; otherwise why it is not.
    const Status& GetStatus() const { return status_; }
    std::uint64_t Size() const { return size_; }
    // Reads up to `count` bytes from `offset` into `out`; the number read, or nothing on error.
    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out);

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    Status status_;
};

// The whole of a regular file of the kind; a failure names the file and the reason (not a
// regular file, above the kind's cap, the system's error).
Result<Bytes> ReadFile(const std::filesystem::path& path, FileKind kind);
Result<std::string> ReadTextFile(const std::filesystem::path& path, FileKind kind);
// Up to `count` bytes from the start of a regular file of the kind (fewer when it is shorter).
Result<Bytes> ReadFileHead(const std::filesystem::path& path, FileKind kind, std::uint64_t count);
// ReadFile of FileKind::Other as an optional: nothing on failure, with errno saying why (the
// system's error, EISDIR for a directory, EFBIG above 1 GiB, EINVAL for other special files).
std::optional<Bytes> ReadWholeFile(const std::filesystem::path& path);
std::optional<std::string> ReadFileText(const std::filesystem::path& path);
// Whether the path is a regular file of the kind that can be opened for reading, checked
// without blocking; for readers that open it as a stream afterwards.
Status CheckReadableFile(const std::filesystem::path& path, FileKind kind);

// Writes the bytes to a hidden temporary file in the same directory (new files get mode 0644,
// less the umask), waits until they are on the disk, renames the file over `path` and syncs the
// directory, so that `path` is its old or its new version whatever happens when. On failure
// nothing is changed and the status names `path`, the step that failed ("cannot create a
// temporary file for", "cannot write", "cannot rename the new file to", "cannot sync the
// directory") and the system's reason. Many files at once: FileBatch. The calls go through
// `fs` (tests put one there that fails on purpose).
Status WriteFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size,
                           FileSystem& fs = SystemFileSystem());
inline Status WriteFileAtomically(const std::filesystem::path& path, std::string_view text,
                                  FileSystem& fs = SystemFileSystem()) {
    return WriteFileAtomically(path, text.data(), text.size(), fs);
}

// Renames `path` to path + suffix, or, when that name is taken, to path + suffix + "-2", "-3"
// and so on: the file is kept under a new name and nothing is ever replaced. The new path, or
// why the rename failed.
Result<std::filesystem::path> SetFileAside(const std::filesystem::path& path,
                                           std::string_view suffix);

// Keeps what `path` holds now under path + suffix (or + suffix + "-2"… when taken, never
// replacing anything), before a save replaces `path`: a second name for the same file (a hard
// link), so `path` stays where it is until the save's rename; where no link can be made (a
// directory, a file system without links) the entry itself is renamed. The kept path, or why
// it could not be kept.
Result<std::filesystem::path> KeepOldFile(const std::filesystem::path& path,
                                          std::string_view suffix);

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
