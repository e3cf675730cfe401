#include "portfolio/PortfolioFile.h"

#include <cstring>
#include <string_view>

#include "database/ByteOrder.h"

namespace velmora {

namespace {

constexpr std::string_view kMagic = "TARVPORT";

// Header offsets.
constexpr std::size_t kCash = 102;
constexpr std::size_t kStockValue = 110;
constexpr std::size_t kThresholds = 132;
constexpr std::size_t kPercents = 172;
constexpr std::size_t kDividendTax = 212;
constexpr std::size_t kBases = 236;
constexpr std::size_t kCount = 276;

// Position record offsets.
constexpr std::size_t kTicker = 14;
constexpr std::size_t kTickerField = 80;
constexpr std::size_t kBuyDate = 94;
constexpr std::size_t kBuyDateField = 16;
constexpr std::size_t kWhole = 110;
constexpr std::size_t kBuyPrice = 114;
constexpr std::size_t kMillionths = 122;

// The text of a NUL-terminated field (the whole field when it has no NUL).
std::string_view FieldText(const std::uint8_t* p, std::size_t field) {
    const void* end = std::memchr(p, 0, field);
    const std::size_t n =
        end ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p) : field;
    return {reinterpret_cast<const char*>(p), n};
}

void PutField(std::uint8_t* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());  // the rest of the field stays zero
}

}  // namespace

Bytes EncodePortfolio(const Portfolio& portfolio) {
    const auto& table = portfolio.Commissions;
    Bytes out(kPortfolioHeaderSize + portfolio.Positions.size() * kPositionRecordSize, 0);
    std::uint8_t* h = out.data();
    std::memcpy(h, kMagic.data(), kMagic.size());
    PutF64BE(h + kCash, portfolio.Cash);
    PutF64BE(h + kStockValue, portfolio.StoredStockValue);
    for (std::size_t i = 0; i < table.Thresholds.size(); ++i) {
        PutF64BE(h + kThresholds + 8 * i, table.Thresholds[i]);
    }
    for (std::size_t i = 0; i < table.Percent.size(); ++i) {
        PutF64BE(h + kPercents + 8 * i, table.Percent[i]);
        PutF64BE(h + kBases + 8 * i, table.Base[i]);
    }
    PutF64BE(h + kDividendTax, portfolio.DividendTax);
    PutI32BE(h + kCount, static_cast<std::int32_t>(portfolio.Positions.size()));
    std::uint8_t* r = h + kPortfolioHeaderSize;
    for (const Position& p : portfolio.Positions) {
        PutField(r + kTicker, p.Ticker.View());
        PutField(r + kBuyDate, p.BuyDate.View());
        PutI32BE(r + kWhole, p.Whole);
        PutF64BE(r + kBuyPrice, p.BuyPrice);
        PutI32BE(r + kMillionths, p.Millionths);
        r += kPositionRecordSize;
    }
    return out;
}

bool DecodePortfolio(const std::uint8_t* data, std::size_t size, Portfolio& portfolio) {
    portfolio.Positions.clear();
    if (size < kPortfolioHeaderSize || std::memcmp(data, kMagic.data(), kMagic.size()) != 0) {
        return false;
    }
    auto& table = portfolio.Commissions;
    portfolio.Cash = GetF64BE(data + kCash);
    portfolio.StoredStockValue = GetF64BE(data + kStockValue);
    for (std::size_t i = 0; i < table.Thresholds.size(); ++i) {
        table.Thresholds[i] = GetF64BE(data + kThresholds + 8 * i);
    }
    for (std::size_t i = 0; i < table.Percent.size(); ++i) {
        table.Percent[i] = GetF64BE(data + kPercents + 8 * i);
        table.Base[i] = GetF64BE(data + kBases + 8 * i);
    }
    portfolio.DividendTax = GetF64BE(data + kDividendTax);
    const std::int32_t count = GetI32BE(data + kCount);
    const std::size_t present = (size - kPortfolioHeaderSize) / kPositionRecordSize;
    const std::size_t n = count <= 0 ? 0 : std::min(present, static_cast<std::size_t>(count));
    portfolio.Positions.reserve(n);
    const std::uint8_t* r = data + kPortfolioHeaderSize;
    for (std::size_t i = 0; i < n; ++i, r += kPositionRecordSize) {
        Position& p = portfolio.Positions.emplace_back();
        p.Ticker.Set(FieldText(r + kTicker, kTickerField));
        p.BuyDate.Set(FieldText(r + kBuyDate, kBuyDateField));
        p.Whole = GetI32BE(r + kWhole);
        p.BuyPrice = GetF64BE(r + kBuyPrice);
        p.Millionths = GetI32BE(r + kMillionths);
    }
    return true;
}

std::filesystem::path PortfolioPath(const std::filesystem::path& workspaceDir) {
    return workspaceDir / kPortfolioFileName;
}

bool LoadPortfolio(const std::filesystem::path& file, Portfolio& portfolio) {
    const Result<Bytes> bytes = ReadFile(file, FileKind::Portfolio);
    if (!bytes) {
        portfolio.Positions.clear();
        return false;
    }
    return DecodePortfolio(bytes->data(), bytes->size(), portfolio);
}

Status ReadPortfolioFile(const std::filesystem::path& file, Portfolio& portfolio) {
    const Result<Bytes> bytes = ReadFile(file, FileKind::Portfolio);
    if (!bytes) {
        portfolio.Positions.clear();
        return bytes.GetStatus();
    }
    if (!DecodePortfolio(bytes->data(), bytes->size(), portfolio)) {
        return Status::FileError("cannot read the portfolio file", file,
                                 "not a portfolio file, or its header is cut short",
                                 StatusCode::BadMagic);
    }
    const std::size_t records = bytes->size() - kPortfolioHeaderSize;
    const std::int32_t count = GetI32BE(bytes->data() + kCount);
    if (count < 0 || records != static_cast<std::size_t>(count) * kPositionRecordSize) {
        return Status::FileError("cannot read the portfolio file", file,
                                 "its positions do not fill the count it states",
                                 StatusCode::Corrupt);
    }
    return Status::Ok();
}

Status SavePortfolio(const std::filesystem::path& file, const Portfolio& portfolio,
                     const Status& read, bool replaceDamaged, FileSystem& fs) {
    if (PortfolioDamaged(read)) {
        if (!replaceDamaged) {
            return Status::FileError("not replacing the portfolio file", file,
                                     "it could not be read", StatusCode::Corrupt);
        }
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
            const Result<std::filesystem::path> kept = KeepOldFile(file, ".bak");
            if (!kept) return kept.GetStatus();
        }
    }
    const Bytes image = EncodePortfolio(portfolio);
    return WriteFileAtomically(file, image.data(), image.size(), fs);
}

bool SavePortfolio(const std::filesystem::path& file, const Portfolio& portfolio) {
    const Bytes image = EncodePortfolio(portfolio);
    return WriteFileAtomically(file, image.data(), image.size()).IsOk();
}

}  // namespace velmora
