#pragma once
// The portfolio file "tarvik.portfolio" in the workspace directory: the magic "TARVPORT", a
// 280-byte header (cash, stored stock value, the commission table, the dividend tax and the
// number of positions) and a 154-byte record per position, every number big-endian. Reserved
// areas are written as zeros and ignored when read.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/FileUtil.h"
#include "platform/Status.h"
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
// Reads the file into the portfolio. NotFound for a missing file (an empty portfolio); any
// other failure means the file is there but could not be read whole (unreadable, not a
// portfolio file, cut short: its records do not fill the count it states) and names it; what
// could be read stays in the portfolio for showing.
Status ReadPortfolioFile(const std::filesystem::path& file, Portfolio& portfolio);
// Whether ReadPortfolioFile's status says the file is damaged.
inline bool PortfolioDamaged(const Status& read) {
    return !read && read.Code() != StatusCode::NotFound;
}
// Replaces the file atomically; false when it cannot be written. For a file known to be whole
// or new: the program's writers use the guarded form below.
bool SavePortfolio(const std::filesystem::path& file, const Portfolio& portfolio);
// Replaces the file read with status `read`. A damaged file is replaced only with
// `replaceDamaged` (the user agreed), and then the old one is first kept as FILE.bak;
// otherwise the failure says it was not replaced. The writes go through `fs` (tests put one
// there that fails on purpose); a failure names the file and the reason.
Status SavePortfolio(const std::filesystem::path& file, const Portfolio& portfolio,
                     const Status& read, bool replaceDamaged, FileSystem& fs = SystemFileSystem());

}  // namespace velmora
