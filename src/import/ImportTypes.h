#pragma once
// "import.types": the file types of the ASCII import dialog. One type per line: a file-dialog
// filter part (a description, '|', a file pattern, '|') followed by the name of its format
// file; the line's last '|' ends the filter part.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace velmora {

struct ImportType {
    std::string filter;      // "Description|*.ext|"
    std::string formatFile;  // the format file's name, relative to the profile directory
};

struct ImportTypes {
    static constexpr std::size_t kMaxTypes = 100;
    static constexpr std::size_t kMaxFilterText = 6400;

    std::vector<ImportType> types;
    // The filter parts concatenated (at most 6400 characters) and closed with one more "|".
    std::string filterText;

    // The format file of a 1-based type number; "default.format" outside 1..count.
    std::string FormatFileOf(int typeNumber) const;
};

// Reads the types from text: trailing characters below 33 are cut from each line, lines
// without '|' are ignored, at most 100 types are kept.
ImportTypes ParseImportTypes(std::string_view text);
// Reads the file; a missing or unreadable file gives no types. A file that exists but could not
// be read (unreadable, not a regular file) is named with the reason in `unread` when given.
ImportTypes ReadImportTypes(const std::filesystem::path& path, Status* unread = nullptr);

}  // namespace velmora
