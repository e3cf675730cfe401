#pragma once
// "tarvik.workspace": the category tables and every market's advance/decline data.
//
//   "TARVWRKS"
//   groups:     int32 count, count x (name[40], rs base[16])
//   sectors:    int32 count, count x name[40]
//   industries: int32 count, count x (name[40], rs base[16], sector int32)
//   markets:    int32 count, count x (name[40], rs/beta/composites base[16] each,
//               profile[128], news[128], int32 k, k advance/decline records of 30 bytes)

#include <filesystem>

#include "database/Categories.h"
#include "platform/FileUtil.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr char kWorkspaceFileName[] = "tarvik.workspace";

// Reads the file into the tables, appending the advance/decline records to their markets.
// Failures: NotFound or IoError (the file cannot be read), BadMagic (nothing read), Corrupt
// (reading stopped early at a cut or at a count above its table size: what was read before
// it is kept).
Status ReadWorkspaceFile(const std::filesystem::path& file, CategoryTables& tables);
Status ParseWorkspaceFile(const Bytes& data, CategoryTables& tables);
// The file image with the full table sizes.
Bytes BuildWorkspaceFile(const CategoryTables& tables);

}  // namespace velmora
