#include "database/StockFile.h"

#include <algorithm>
#include <cstring>

#include "database/ByteOrder.h"
#include "database/DateOrder.h"
#include "platform/PageMemory.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[] = "TARVDAT";
constexpr std::int32_t kIssueUnitsFlag = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t kPaletteColour = static_cast<std::int32_t>(0x80000000u);

template <std::size_t N>
void GetText(const std::uint8_t* p, FixedText<N>& field) {
    std::memcpy(field.bytes.data(), p, N);
}
template <std::size_t N>
void PutText(std::uint8_t* p, const FixedText<N>& field) {
    std::memcpy(p, field.bytes.data(), N);
}

// The 29 big-endian words of the header, in record order.
template <typename Fn>
void ForEachHeaderWord(Stock& s, Fn fn) {
    std::int32_t* words[] = {&s.CategoryWord, &s.Code, &s.Issue, &s.NominalValue, &s.BookValue};
    for (auto* w : words) fn(*w);
    for (auto& w : s.Reserved) fn(w);
    fn(s.IndustryID);
    fn(s.Flags);
    for (auto* arr : {&s.FinanceYear, &s.FinanceIncome, &s.FinanceEBT, &s.FinanceEAT}) {
        for (auto& w : *arr) fn(w);
    }
}

bool HasMagic(const Bytes& data) {
    return data.size() >= 7 && std::memcmp(data.data(), kMagic, 7) == 0;
}

bool DecodeStudies(const std::uint8_t* p, std::size_t size, char version, std::int32_t studyColour,
                   std::vector<Study>& out, std::string& problem) {
    if (size < 4) {
        problem = "incomplete study block";
        return false;
    }
    const std::int32_t m = GetI32BE(p);
    std::size_t at = 4;
    const bool v3 = version <= '3';
    const std::size_t recordSize = v3 ? kStudyRecordSizeV3 : kStudyRecordSize;
    if (m < 0 || static_cast<std::uint64_t>(m) * recordSize > size - at) {
        problem = "study count does not fit the file";
        return false;
    }
    out.reserve(static_cast<std::size_t>(m));
    for (std::int32_t i = 0; i < m; ++i) {
        if (size - at < recordSize) {
            problem = "study records do not fit the file";
            return false;
        }
        const std::uint8_t* r = p + at;
        Study s;
        s.PaneId = GetI32BE(r);
        s.Kind = r[4];
        s.Extend = r[5];
        s.Reserved1 = r[6];
        s.Style = r[7];
        s.Colour = GetI32BE(r + 8);
        s.StartDate = GetU32BE(r + 12);
        s.StartValue = GetF32BE(r + 16);
        s.EndDate = GetU32BE(r + 20);
        s.EndValue = GetF32BE(r + 24);
        at += recordSize;
        if (!v3) {
            s.Background = GetI32BE(r + 28);
            std::memcpy(s.Reserved2.data(), r + 32, 12);
            const std::int32_t len = GetI32BE(r + 44);
            if (len < 0 || static_cast<std::size_t>(len) > size - at) {
                problem = "study text does not fit the file";
                return false;
            }
            const char* text = reinterpret_cast<const char*>(p + at);
            const void* nul = std::memchr(text, 0, static_cast<std::size_t>(len));
            s.Text.assign(text, nul ? static_cast<const char*>(nul) - text : len);
            at += static_cast<std::size_t>(len);
        }
        if (s.Colour == 0) s.Colour = kPaletteColour + studyColour;
        if (s.Background == 0) s.Background = kPaletteColour;
        out.push_back(std::move(s));
    }
    return true;
}

// One stored quotation; files before version 4 hold no open interest.
template <bool kOpenInt>
void DecodeOneQuotation(const std::uint8_t* p, Quotation& q) {
    q.Date = GetU32BE(p);
    q.Close = GetF32BE(p + 4);
    q.Open = GetF32BE(p + 8);
    q.High = GetF32BE(p + 12);
    q.Low = GetF32BE(p + 16);
    q.Volume = GetI32BE(p + 20);
    q.OpenInt = kOpenInt ? GetI32BE(p + 24) : 0;
    q.Mark = p[28];
    q.Reduction = p[29];
}

// Appends the `n` stored quotations from `p` on to `out`: true when their dates ascend, each
// after the one before.
template <bool kOpenInt>
bool AppendQuotations(const std::uint8_t* p, std::size_t n, QuotationList& out) {
    bool ascending = true;
    for (std::size_t i = 0; i < n; ++i, p += kQuotationImageSize) {
        Quotation& q = out.emplace_back();
        DecodeOneQuotation<kOpenInt>(p, q);
        ascending = ascending && (i == 0 || (&q - 1)->Date < q.Date);
    }
    return ascending;
}

}  // namespace

void DecodeQuotation(const std::uint8_t* p, char version, Quotation& q) {
    if (version <= '3') {
        DecodeOneQuotation<false>(p, q);
    } else {
        DecodeOneQuotation<true>(p, q);
    }
}

void EncodeQuotation(std::uint8_t* p, const Quotation& q) {
    PutU32BE(p, q.Date);
    PutF32BE(p + 4, q.Close);
    PutF32BE(p + 8, q.Open);
    PutF32BE(p + 12, q.High);
    PutF32BE(p + 16, q.Low);
    PutI32BE(p + 20, q.Volume);
    PutI32BE(p + 24, q.OpenInt);
    p[28] = q.Mark;
    p[29] = q.Reduction;
}

void DecodeStockFields(const std::uint8_t* p, Stock& s) {
    GetText(p, s.FullName);
    GetText(p + 64, s.Address);
    GetText(p + 192, s.Country);
    GetText(p + 232, s.Currency);
    GetText(p + 240, s.Alias);
    GetText(p + 256, s.Ticker);
    GetText(p + 272, s.WebID);
    const std::uint8_t* w = p + 282;
    ForEachHeaderWord(s, [&w](std::int32_t& v) {
        v = GetI32BE(w);
        w += 4;
    });
    StockFileCodec::ConvertText(s.Address);
    StockFileCodec::ConvertText(s.FullName);
    s.Country.Terminate();
    s.Currency.Terminate();
    s.Alias.Terminate();
    s.Ticker.Terminate();
    s.WebID.Terminate();
    if ((s.Flags & kIssueUnitsFlag) != 0) {
        s.Issue /= 1000;
        s.Flags &= ~kIssueUnitsFlag;
    }
}

void EncodeStockFields(std::uint8_t* p, const Stock& stock) {
    PutText(p, stock.FullName);
    PutText(p + 64, stock.Address);
    PutText(p + 192, stock.Country);
    PutText(p + 232, stock.Currency);
    PutText(p + 240, stock.Alias);
    PutText(p + 256, stock.Ticker);
    PutText(p + 272, stock.WebID);
    std::uint8_t* w = p + 282;
    ForEachHeaderWord(const_cast<Stock&>(stock), [&w](std::int32_t& v) {
        PutI32BE(w, v);
        w += 4;
    });
}

void StockFileCodec::Fill(std::uint8_t* out, const Stock& stock, std::size_t k) {
    std::memset(out, 0, kStockHeaderSize);
    std::memcpy(out, "TARVDAT4", 8);
    EncodeStockFields(out + kStockFieldsOffset, stock);
    const std::size_t n = stock.Quotations.size();
    k = std::min(k, n);
    PutI32BE(out + kStockCountOffset, static_cast<std::int32_t>(k));
    std::uint8_t* q = out + kStockHeaderSize;
    for (std::size_t i = n - k; i < n; ++i, q += kQuotationImageSize) {
        EncodeQuotation(q, stock.Quotations[i]);
    }
}

std::size_t StudyBlockSize(const std::vector<Study>& studies) {
    std::size_t size = 4;
    for (const Study& s : studies) size += kStudyRecordSize + s.Text.size();
    return size;
}

void EncodeStudies(std::uint8_t* p, const std::vector<Study>& studies) {
    PutI32BE(p, static_cast<std::int32_t>(studies.size()));
    p += 4;
    for (const Study& s : studies) {
        PutI32BE(p, s.PaneId);
        p[4] = s.Kind;
        p[5] = s.Extend;
        p[6] = s.Reserved1;
        p[7] = s.Style;
        PutI32BE(p + 8, s.Colour);
        PutU32BE(p + 12, s.StartDate);
        PutF32BE(p + 16, s.StartValue);
        PutU32BE(p + 20, s.EndDate);
        PutF32BE(p + 24, s.EndValue);
        PutI32BE(p + 28, s.Background);
        std::memcpy(p + 32, s.Reserved2.data(), 12);
        PutI32BE(p + 44, static_cast<std::int32_t>(s.Text.size()));
        std::memcpy(p + kStudyRecordSize, s.Text.data(), s.Text.size());
        p += kStudyRecordSize + s.Text.size();
    }
}

Bytes BuildStockImage(const Stock& stock, std::size_t k, const Bytes& kept) {
    k = std::min(k, stock.Quotations.size());
    const std::size_t skipped = kept.size() / kQuotationImageSize;
    const std::size_t quotesEnd = StockFileCodec::ImageSize(k + skipped);
    Bytes image(quotesEnd + StudyBlockSize(stock.Studies));
    StockFileCodec::Fill(image.data(), stock, k);
    if (skipped > 0) {
        PutI32BE(image.data() + kStockCountOffset, static_cast<std::int32_t>(k + skipped));
        std::memmove(image.data() + kStockHeaderSize + skipped * kQuotationImageSize,
                     image.data() + kStockHeaderSize, k * kQuotationImageSize);
        std::memcpy(image.data() + kStockHeaderSize, kept.data(), skipped * kQuotationImageSize);
    }
    EncodeStudies(image.data() + quotesEnd, stock.Studies);
    return image;
}

namespace {

// Failures of the readers, each naming the file.
Status NotAStockFile(const fs::path& path) {
    return Status::FileError("not a stock file", path, 0, StatusCode::BadMagic);
}

Status OldFormat(const fs::path& path) {
    return Status::FileError("stock file in the old pre-3.0 format", path, 0,
                             StatusCode::NotSupported);
}

Status Damaged(const fs::path& path) {
    return Status::FileError("damaged stock file", path, 0, StatusCode::Corrupt);
}

}  // namespace

Status ReadStockFile(const fs::path& path, const StockFileOptions& options, LoadedStock& out,
                     Bytes& scratch) {
    out = LoadedStock{};
    InputFile file(path, FileKind::Stock);
    if (!file.IsOpen()) return file.GetStatus();
    const std::uint64_t fileSize = file.Size();
    const bool headerFirst = options.partial && fileSize > kPartialLoadThreshold;
    // The scratch buffer is reused from file to file and never shrinks.
    const std::size_t first = static_cast<std::size_t>(headerFirst ? kStockHeaderSize : fileSize);
    if (scratch.size() < first) scratch.resize(first);
    const auto got = file.ReadAt(0, first, scratch.data());
    if (!got) return ErrnoStatus("cannot read", path);
    std::size_t length = *got;
    const std::uint8_t* data = scratch.data();
    if (length >= 8 && std::memcmp(data, "TARVDAT2", 8) == 0) return OldFormat(path);
    if (length < 7 || std::memcmp(data, kMagic, 7) != 0) return NotAStockFile(path);
    if (length < kStockHeaderSize) {
        out.problem = "incomplete header";
        return Damaged(path);
    }
    const char version = static_cast<char>(data[7]);
    auto stock = std::make_unique<Stock>();
    DecodeStockFields(data + kStockFieldsOffset, *stock);
    if (stock->Ticker.Empty()) {
        out.problem = "no ticker";
        return Damaged(path);
    }
    const std::int32_t storedCount = GetI32BE(data + kStockCountOffset);
    const std::uint64_t size = headerFirst ? fileSize : length;
    if (storedCount < 0 ||
        kStockHeaderSize + static_cast<std::uint64_t>(storedCount) * kQuotationImageSize > size) {
        out.problem = "quotation count does not fit the file";
        return Damaged(path);
    }
    std::size_t n = static_cast<std::size_t>(storedCount);
    std::size_t skip = 0;
    // At least one quotation stays in memory, so that the oldest one in memory marks where
    // the quotations left on disk end.
    const std::size_t loadUpto =
        static_cast<std::size_t>(std::max<std::int32_t>(options.loadUpto, 1));
    if (options.partial && n > loadUpto) skip = n - loadUpto;
    std::size_t at = kStockHeaderSize + skip * kQuotationImageSize;
    if (headerFirst) {
        // From the newest kept quotation on: its date tells whether the file is in order there.
        const std::size_t from = skip > 0 ? at - kQuotationImageSize : at;
        const std::size_t rest = static_cast<std::size_t>(fileSize - from);
        if (scratch.size() < rest) scratch.resize(rest);
        const auto restGot = file.ReadAt(from, rest, scratch.data());
        if (!restGot || *restGot != rest) return ErrnoStatus("cannot read", path);
        data = scratch.data();
        length = rest;
        at -= from;
    }
    if (skip > 0) {
        // Quotations left on disk must all lie before the loaded ones, and the oldest loaded one
        // must carry a date to mark where they end; a damaged file that breaks this is loaded
        // whole instead.
        const PackedDate lastKept = GetU32BE(data + at - kQuotationImageSize);
        const PackedDate firstLoaded = GetU32BE(data + at);
        bool ordered = firstLoaded != 0 && lastKept < firstLoaded;
        for (std::size_t i = 1; ordered && i < n - skip; ++i) {
            ordered = GetU32BE(data + at + (i - 1) * kQuotationImageSize) <
                      GetU32BE(data + at + i * kQuotationImageSize);
        }
        if (!ordered) {
            StockFileOptions whole = options;
            whole.partial = false;
            return ReadStockFile(path, whole, out, scratch);
        }
    }
    n -= skip;
    stock->Quotations.reserve(n);
    // Most of a load is the system giving the quotations fresh memory: one call for all pages
    // costs less than a fault per page.
    PrefaultForWriting(stock->Quotations.data(), n * sizeof(Quotation));
    const bool ascending = version <= '3' ? AppendQuotations<false>(data + at, n, stock->Quotations)
                                          : AppendQuotations<true>(data + at, n, stock->Quotations);
    at += n * kQuotationImageSize;
    if (skip > 0) {
        stock->SkippedCount = static_cast<std::int32_t>(skip);
        stock->FirstLoadedDate = stock->Quotations.front().Date;
    }
    if (at < length && !DecodeStudies(data + at, length - at, version, options.studyColour,
                                      stock->Studies, out.problem)) {
        return Damaged(path);
    }
    if (!ascending && SortByDateKeepLast(stock->Quotations)) {
        out.problem = "quotations out of date order were put in order";
    }
    stock->Modified = false;
    out.stock = std::move(stock);
    return Status::Ok();
}

Status ReadAllQuotations(const fs::path& path, QuotationList& out) {
    out.clear();
    Result<Bytes> data = ReadFile(path, FileKind::Stock);
    if (!data) return data.GetStatus();
    if (!HasMagic(*data)) return NotAStockFile(path);
    if (data->size() < kStockHeaderSize) return Damaged(path);
    const std::int32_t n = GetI32BE(data->data() + kStockCountOffset);
    if (n < 0 ||
        kStockHeaderSize + static_cast<std::uint64_t>(n) * kQuotationImageSize > data->size()) {
        return Damaged(path);
    }
    const char version = static_cast<char>((*data)[7]);
    out.resize(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        DecodeQuotation(data->data() + kStockHeaderSize + i * kQuotationImageSize, version,
                        out[static_cast<std::size_t>(i)]);
    }
    return Status::Ok();
}

Status ReadKeptQuotationImages(const fs::path& path, std::size_t count, Bytes& out) {
    out.clear();
    Result<Bytes> data =
        ReadFileHead(path, FileKind::Stock, kStockHeaderSize + count * kQuotationImageSize);
    if (!data) return data.GetStatus();
    if (!HasMagic(*data)) return NotAStockFile(path);
    if (data->size() < kStockHeaderSize + count * kQuotationImageSize) {
        return Damaged(path);
    }
    const std::int32_t n = GetI32BE(data->data() + kStockCountOffset);
    if (n < 0 || static_cast<std::size_t>(n) < count) return Damaged(path);
    out.assign(data->begin() + kStockHeaderSize, data->end());
    return Status::Ok();
}

std::string StockFileName(std::string_view ticker) {
    std::string name(ticker);
    for (char& c : name) {
        if (std::strchr("*?#|></\\", c) != nullptr && c != 0) c = '_';
    }
    // The loader skips names beginning with '.', so such a ticker's file would vanish.
    if (!name.empty() && name[0] == '.') name[0] = '_';
    return name;
}

char StockDirLetter(std::string_view fileName) {
    if (fileName.empty()) return '_';
    const unsigned char c = static_cast<unsigned char>(fileName[0]);
    if (c >= '0' && c <= '9') return static_cast<char>(c);
    if (c >= 'a' && c <= 'z') return static_cast<char>(c);
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
    return '_';
}

fs::path StockFilePath(const fs::path& dir, std::string_view ticker) {
    const std::string name = StockFileName(ticker);
    return MatchNoCase(dir, std::string(1, StockDirLetter(name))) / name;
}

}  // namespace velmora
