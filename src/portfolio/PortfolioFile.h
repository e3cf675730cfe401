#pragma once
// The portfolio file "tarvik.portfolio" in the workspace directory: the magic "TARVPORT", a
// 280-byte header (cash, stored stock value, the commission table, the dividend tax and the
// number of positions) and a 154-byte record per position, every number big-endian. Reserved
// areas are written as zeros and ignored when read.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/FileUtil.h"
#include "portfolio/Portfolio.h"

namespace velmora {

inline constexpr char kPortfolioFileName[] = "tarvik.portfolio";
inline constexpr std::size_t kPortfolioHeaderSize = 280;
inline constexpr std::size_t kPositionRecordSize = 154;

// The file image of the portfolio.
Bytes EncodePortfolio(const Portfolio& portfolio);

// Reads a file image into the portfolio. The position list is emptied first. False, with cash,
// stock value, table and tax as they were, when the image does not begin with the magic or
// its header is incomplete. Otherwise the header fields are taken and the positions appended
// in file order; a count beyond the records present (or a negative one) reads the complete
// records that are there.
bool DecodePortfolio(const std::uint8_t* data, std::size_t size, Portfolio& portfolio);

// The portfolio file of a workspace directory.
std::filesystem::path PortfolioPath(const std::filesystem::path& workspaceDir);
// DecodePortfolio of the file; false (the positions emptied) when it cannot be read.
bool LoadPortfolio(const std::filesystem::path& file, Portfolio& portfolio);
// Replaces the file atomically; false when it cannot be written.
bool SavePortfolio(const std::filesystem::path& file, const Portfolio& portfolio);

}  // namespace velmora
