#pragma once
// The commit record of a FileBatch: a small text file that, once it is complete on the disk,
// makes a save of many files one transaction. It names every rename of a temporary file over
// its target and every file to remove:
//
//     velmora commit 1
//     R a/.ALDORA.tmp1c2d3e4f<TAB>a/ALDORA
//     D b/BELTAR.ZZZ
//     end 2 5f0e6a1b9c3d2e41
//
// Paths are relative to the record's directory when they lie under it, absolute otherwise,
// with '%', tab, line feed and carriage return written as %25, %09, %0A and %0D. The last
// line counts the entries and carries a checksum of everything before it, so a record cut
// short by a crash while it was written is known as such: that save never committed.
//
// A save writes and syncs every temporary file, then the record (synced, with its directory),
// then renames, removes, syncs the directories and removes the record. At the next open,
// RecoverCommit finishes a save that a crash interrupted after its record was complete, and
// RemoveTemporaryFiles takes away the temporary files of one that never got that far.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace velmora {

struct CommitRecord {
    // Temporary file -> target, in the order they are done.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renames;
    std::vector<std::filesystem::path> removals;
};

// The record's text, its paths relative to `base` where they lie under it.
std::string FormatCommitRecord(const CommitRecord& record, const std::filesystem::path& base);
// The record of a complete text (relative paths taken from `base`); nothing for a text that is
// cut short, damaged or of another kind.
std::optional<CommitRecord> ParseCommitRecord(std::string_view text,
                                              const std::filesystem::path& base);

enum class Recovery {
    None,           // there was no record
    RolledForward,  // a committed save was finished
    Discarded,      // a record cut short or damaged was removed: that save never committed
};
// Finishes the save whose commit record is the file `record`, if there is one: each rename
// whose temporary file is still there is done, each removal whose file is still there, the
// directories are synced and the record goes. Running it again after a crash part of the way
// through does the rest. A damaged record is removed (its temporary files are for
// RemoveTemporaryFiles). The status is the first step that failed; the record then stays for
// the next try.
Recovery RecoverCommit(const std::filesystem::path& record, FileSystem& fs, Status& status);

// Whether the name is one FileBatch gives its temporary files (".NAME.tmpXXXXXXXX", eight
// hexadecimal digits).
bool IsTemporaryFileName(std::string_view name);
// Removes the temporary files FileBatch left in the directory (not in its subdirectories); the
// number removed.
int RemoveTemporaryFiles(const std::filesystem::path& dir, FileSystem& fs);

}  // namespace velmora
