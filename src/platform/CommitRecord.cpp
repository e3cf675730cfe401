#include "platform/CommitRecord.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>

#include "platform/FileUtil.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "velmora commit 1\n";
constexpr std::string_view kEnd = "end ";
constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryDigits = 8;
// A record names a few files per stock: far below this.
constexpr std::size_t kRecordLimit = std::size_t{256} << 20;

// FNV-1a: enough to tell a record cut short or overwritten by chance from a whole one.
std::uint64_t Checksum(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\t':
                out += "%09";
                break;
            case '\n':
                out += "%0A";
                break;
            case '\r':
                out += "%0D";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = HexDigit(text[i + 1]);
        const int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string RelativeTo(const fs::path& path, const fs::path& base) {
    const fs::path relative = path.lexically_relative(base);
    if (!relative.empty() && *relative.begin() != ".." && relative.is_relative()) {
        return Escape(relative.string());
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return Escape((ec ? path : absolute).lexically_normal().string());
}

std::optional<fs::path> PathOf(std::string_view text, const fs::path& base) {
    std::optional<std::string> name = Unescape(text);
    if (!name || name->empty()) return std::nullopt;
    const fs::path p(*name);
    return p.is_absolute() ? p : base / p;
}

// Each directory once, in the order first named.
void AddDirectory(std::vector<fs::path>& dirs, const fs::path& file) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

std::string FormatCommitRecord(const CommitRecord& record, const fs::path& base) {
    std::string text(kHeader);
    for (const auto& [from, to] : record.renames) {
        text += "R " + RelativeTo(from, base) + "\t" + RelativeTo(to, base) + "\n";
    }
    for (const fs::path& p : record.removals) text += "D " + RelativeTo(p, base) + "\n";
    char end[64];
    std::snprintf(end, sizeof end, "%zu %016llx\n", record.renames.size() + record.removals.size(),
                  static_cast<unsigned long long>(Checksum(text)));
    text += kEnd;
    text += end;
    return text;
}

std::optional<CommitRecord> ParseCommitRecord(std::string_view text, const fs::path& base) {
    if (text.substr(0, kHeader.size()) != kHeader || text.empty() || text.back() != '\n') {
        return std::nullopt;
    }
    const std::size_t endAt = text.rfind('\n', text.size() - 2);
    if (endAt == std::string_view::npos) return std::nullopt;
    const std::string_view body = text.substr(0, endAt + 1);
    const std::string_view last = text.substr(endAt + 1);
    unsigned long long count = 0;
    unsigned long long sum = 0;
    char tail = 0;
    const std::string lastLine(last);
    if (std::sscanf(lastLine.c_str(), "end %llu %16llx%c", &count, &sum, &tail) != 3 ||
        tail != '\n' || sum != Checksum(body)) {
        return std::nullopt;
    }
    CommitRecord record;
    std::size_t at = kHeader.size();
    while (at < body.size()) {
        const std::size_t eol = body.find('\n', at);
        const std::string_view line = body.substr(at, eol - at);
        at = eol + 1;
        if (line.substr(0, 2) == "R ") {
            const std::size_t tab = line.find('\t');
            if (tab == std::string_view::npos) return std::nullopt;
            auto from = PathOf(line.substr(2, tab - 2), base);
            auto to = PathOf(line.substr(tab + 1), base);
            if (!from || !to) return std::nullopt;
            record.renames.emplace_back(std::move(*from), std::move(*to));
        } else if (line.substr(0, 2) == "D ") {
            auto p = PathOf(line.substr(2), base);
            if (!p) return std::nullopt;
            record.removals.push_back(std::move(*p));
        } else {
            return std::nullopt;
        }
    }
    if (count != record.renames.size() + record.removals.size()) return std::nullopt;
    return record;
}

Recovery RecoverCommit(const fs::path& record, FileSystem& fs, Status& status) {
    status = Status::Ok();
    if (!Exists(record)) return Recovery::None;
    fs::path recordDir = record.parent_path();
    if (recordDir.empty()) recordDir = ".";
    std::optional<Bytes> bytes = ReadWholeFile(record);
    if (!bytes && errno != EFBIG) {
        status = ErrnoStatus("cannot read the commit record", record);
        return Recovery::None;
    }
    std::optional<CommitRecord> parsed;
    if (bytes && bytes->size() <= kRecordLimit) {
        parsed = ParseCommitRecord(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            recordDir);
    }
    if (!parsed) {
        if (const int error = fs.Remove(record); error != 0 && error != ENOENT) {
            status = Status::FileError("cannot remove the damaged commit record", record, error);
        } else if (const int syncError = fs.SyncDirectory(recordDir); syncError != 0) {
            status = Status::FileError("cannot sync the directory", recordDir, syncError);
        }
        return Recovery::Discarded;
    }
    std::vector<fs::path> dirs;
    for (const auto& [from, to] : parsed->renames) {
        if (!Exists(from)) continue;  // renamed before the crash
        if (const int error = fs.Rename(from, to); error != 0) {
            status.Update(Status::FileError("cannot rename the new file to", to, error));
            continue;
        }
        AddDirectory(dirs, to);
    }
    for (const fs::path& p : parsed->removals) {
        if (const int error = fs.Remove(p); error != 0 && error != ENOENT) {
            status.Update(Status::FileError("cannot remove", p, error));
            continue;
        }
        AddDirectory(dirs, p);
    }
    for (const fs::path& dir : dirs) {
        if (const int error = fs.SyncDirectory(dir); error != 0) {
            status.Update(Status::FileError("cannot sync the directory", dir, error));
        }
    }
    // The record goes only when everything it names is done and durable.
    if (!status) return Recovery::RolledForward;
    if (const int error = fs.Remove(record); error != 0) {
        status = Status::FileError("cannot remove the commit record", record, error);
    } else if (const int syncError = fs.SyncDirectory(recordDir); syncError != 0) {
        status = Status::FileError("cannot sync the directory", recordDir, syncError);
    }
    return Recovery::RolledForward;
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.size() < 2 + kTemporaryMark.size() + kTemporaryDigits || name[0] != '.') {
        return false;
    }
    const std::size_t digitsAt = name.size() - kTemporaryDigits;
    if (name.substr(digitsAt - kTemporaryMark.size(), kTemporaryMark.size()) != kTemporaryMark) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(digitsAt), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

int RemoveTemporaryFiles(const fs::path& dir, FileSystem& fs) {
    int removed = 0;
    for (const DirEntry& e : ListDirectory(dir)) {
        if (e.isDirectory || !IsTemporaryFileName(e.name)) continue;
        if (fs.Remove(dir / e.name) == 0) ++removed;
    }
    return removed;
}

}  // namespace velmora
