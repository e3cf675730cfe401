#pragma once
// The category name files of the profile directory, plain text with one name per line:
// "tarvik.groups" (256 lines), "tarvik.markets" (256), "tarvik.sectors" (32) and
// "tarvik.industries" (256, each line "<sector index><one separator character><name>").
// They name the categories of a workspace that has no workspace file yet.

#include <filesystem>
#include <vector>

#include "database/Categories.h"
#include "platform/Status.h"

namespace velmora {

// Reads each of the four files that exists in `dir` (names matched without regard to case),
// in the order groups, markets, sectors, industries. Line i names entry i; a name keeps at most
// 39 bytes of its line (never half a UTF-8 sequence) and the rest of a longer line is skipped.
// Entries beyond the file's lines, and the tables of missing files, keep their names. The
// files that exist but could not be read (unreadable, not a regular file, above the size cap)
// leave their tables as they are and are returned, each failure naming its file.
std::vector<Status> LoadCategoryNames(const std::filesystem::path& dir, CategoryTables& tables);

}  // namespace velmora
