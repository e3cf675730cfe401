#include "database/WorkspaceFile.h"

#include <cstring>

#include "database/ByteOrder.h"
#include "database/DateOrder.h"

namespace velmora {

namespace {

constexpr char kMagic[] = "TARVWRKS";
constexpr std::size_t kGroupRecord = 56, kSectorRecord = 40, kIndustryRecord = 60;
constexpr std::size_t kMarketRecord = 344, kADRecord = 30;

class Reader {
  public:
    explicit Reader(const Bytes& data) : data_(data) {}
    bool Has(std::size_t n) const { return data_.size() - at_ >= n; }
    const std::uint8_t* Take(std::size_t n) {
        const std::uint8_t* p = data_.data() + at_;
        at_ += n;
        return p;
    }

  private:
    const Bytes& data_;
    std::size_t at_ = 0;
};

template <std::size_t N>
void GetText(const std::uint8_t*& p, FixedText<N>& field) {
    std::memcpy(field.bytes.data(), p, N);
    p += N;
}
template <std::size_t N>
void PutText(std::uint8_t*& p, const FixedText<N>& field) {
    std::memcpy(p, field.bytes.data(), N);
    p += N;
}

Status Truncated() {
    return Status::Error("workspace file cut short", StatusCode::Corrupt);
}

// Reads a table's count: Ok to go on, or why to stop.
Status ReadCount(Reader& r, int tableSize, int& count) {
    if (!r.Has(4)) return Truncated();
    count = GetI32BE(r.Take(4));
    if (count < 0 || count > tableSize) {
        return Status::Error("workspace file table count out of range", StatusCode::Corrupt);
    }
    return Status::Ok();
}

void DecodeAD(const std::uint8_t* p, ADQuotation& a) {
    a.Date = GetU32BE(p);
    a.AdvVolume = GetF32BE(p + 4);
    a.DecVolume = GetF32BE(p + 8);
    a.UncVolume = GetF32BE(p + 12);
    a.AdvIssues = GetI32BE(p + 16);
    a.DecIssues = GetI32BE(p + 20);
    a.UncIssues = GetI32BE(p + 24);
    a.Reserved = {p[28], p[29]};
}

void EncodeAD(std::uint8_t* p, const ADQuotation& a) {
    PutU32BE(p, a.Date);
    PutF32BE(p + 4, a.AdvVolume);
    PutF32BE(p + 8, a.DecVolume);
    PutF32BE(p + 12, a.UncVolume);
    PutI32BE(p + 16, a.AdvIssues);
    PutI32BE(p + 20, a.DecIssues);
    PutI32BE(p + 24, a.UncIssues);
    p[28] = a.Reserved[0];
    p[29] = a.Reserved[1];
}

}  // namespace

Status ParseWorkspaceFile(const Bytes& data, CategoryTables& t) {
    if (data.size() < 8 || std::memcmp(data.data(), kMagic, 8) != 0) {
        return Status::Error("not a workspace file", StatusCode::BadMagic);
    }
    Reader r(data);
    r.Take(8);
    int count = 0;
    if (auto st = ReadCount(r, kGroupCount, count); !st) return st;
    for (int i = 0; i < count; ++i) {
        if (!r.Has(kGroupRecord)) return Truncated();
        const std::uint8_t* p = r.Take(kGroupRecord);
        GetText(p, t.Groups[i].Name);
        GetText(p, t.Groups[i].RSBase);
    }
    if (auto st = ReadCount(r, kSectorCount, count); !st) return st;
    for (int i = 0; i < count; ++i) {
        if (!r.Has(kSectorRecord)) return Truncated();
        const std::uint8_t* p = r.Take(kSectorRecord);
        GetText(p, t.Sectors[i].Name);
    }
    if (auto st = ReadCount(r, kIndustryCount, count); !st) return st;
    for (int i = 0; i < count; ++i) {
        if (!r.Has(kIndustryRecord)) return Truncated();
        const std::uint8_t* p = r.Take(kIndustryRecord);
        GetText(p, t.Industries[i].Name);
        GetText(p, t.Industries[i].RSBase);
        t.Industries[i].SectorID = GetI32BE(p);
    }
    if (auto st = ReadCount(r, kMarketCount, count); !st) return st;
    for (int i = 0; i < count; ++i) {
        if (!r.Has(kMarketRecord + 4)) return Truncated();
        Market& m = t.Markets[i];
        const std::uint8_t* p = r.Take(kMarketRecord);
        GetText(p, m.Name);
        GetText(p, m.RSBase);
        GetText(p, m.BetaBase);
        GetText(p, m.CompositesBase);
        GetText(p, m.ProfileTemplate);
        GetText(p, m.NewsTemplate);
        const std::int32_t k = GetI32BE(r.Take(4));
        if (k < 0) return Truncated();
        for (std::int32_t j = 0; j < k; ++j) {
            if (!r.Has(kADRecord)) {
                SortByDateKeepLast(m.ADQuotations);
                return Truncated();
            }
            DecodeAD(r.Take(kADRecord), m.ADQuotations.emplace_back());
        }
        SortByDateKeepLast(m.ADQuotations);
    }
    return Status::Ok();
}

Status ReadWorkspaceFile(const std::filesystem::path& file, CategoryTables& t) {
    Result<Bytes> data = ReadFile(file, FileKind::Workspace);
    if (!data) return data.GetStatus();
    Status parsed = ParseWorkspaceFile(*data, t);
    if (parsed) return parsed;
    return Status::FileError(parsed.Message(), file, 0, parsed.Code());
}

Bytes BuildWorkspaceFile(const CategoryTables& t) {
    std::size_t size = 8 + 4 + kGroupCount * kGroupRecord + 4 + kSectorCount * kSectorRecord + 4 +
                       kIndustryCount * kIndustryRecord + 4;
    for (const Market& m : t.Markets) size += kMarketRecord + 4 + m.ADQuotations.size() * kADRecord;
    Bytes out(size);
    std::uint8_t* p = out.data();
    std::memcpy(p, kMagic, 8);
    p += 8;
    auto putCount = [&p](int n) {
        PutI32BE(p, n);
        p += 4;
    };
    putCount(kGroupCount);
    for (const Group& g : t.Groups) {
        PutText(p, g.Name);
        PutText(p, g.RSBase);
    }
    putCount(kSectorCount);
    for (const Sector& s : t.Sectors) PutText(p, s.Name);
    putCount(kIndustryCount);
    for (const Industry& i : t.Industries) {
        PutText(p, i.Name);
        PutText(p, i.RSBase);
        putCount(i.SectorID);
    }
    putCount(kMarketCount);
    for (const Market& m : t.Markets) {
        PutText(p, m.Name);
        PutText(p, m.RSBase);
        PutText(p, m.BetaBase);
        PutText(p, m.CompositesBase);
        PutText(p, m.ProfileTemplate);
        PutText(p, m.NewsTemplate);
        putCount(static_cast<int>(m.ADQuotations.size()));
        for (const ADQuotation& a : m.ADQuotations) {
            EncodeAD(p, a);
            p += kADRecord;
        }
    }
    return out;
}

}  // namespace velmora
