#include "import/MetastockFiles.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "database/ByteOrder.h"
#include "platform/Saturate.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMasterRecord = 53;
constexpr std::size_t kEMasterRecord = 192;

// Text of a fixed field up to its first zero byte.
std::string FieldText(const std::uint8_t* p, std::size_t size) {
    std::size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

bool IsPrice(float v) {
    return std::isfinite(v) && v > 0;
}

// Opens a file only when it is a regular file (a FIFO or device in a hostile directory must not
// block or stream forever).
std::optional<Bytes> ReadIndexFile(const fs::path& path, std::size_t recordSize,
                                   std::size_t maxCount) {
    Result<Bytes> head = ReadFileHead(path, FileKind::Import, recordSize * (maxCount + 1));
    if (!head) return std::nullopt;
    return std::move(*head);
}

}  // namespace

float MbfToIeee(std::uint32_t mbf) {
    if (mbf == 0) return 0.0f;
    const std::uint32_t e = mbf >> 24;
    if (e < 2) return 0.0f;
    const std::uint32_t s = (mbf >> 23) & 1u;
    const std::uint32_t ieee = (((e - 2) << 23) & 0x7FFFFFFFu) | (mbf & 0x7FFFFFu) | (s << 31);
    return std::bit_cast<float>(ieee);
}

PackedDate MetastockDate(double value) {
    if (!std::isfinite(value) || value < 0) return kNoDate;
    const long c = static_cast<long>(std::fmod(value, 1000000.0));
    const int y = static_cast<int>(c / 10000);
    const int month = static_cast<int>((c % 10000) / 100);
    const int day = static_cast<int>(c % 100);
    const int year = y <= 50 ? 2000 + y : 1900 + y;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return kNoDate;
    return MakeDate(year, month, day);
}

std::string MetastockDateText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, " %06.0lf", std::fmod(value, 1000000.0));
    return text;
}

std::optional<MetastockIndex> ReadMetastockIndex(const fs::path& dir) {
    MetastockIndex index;
    if (auto master = ReadIndexFile(MatchNoCase(dir, "MASTER"), kMasterRecord, 65535)) {
        const Bytes& b = *master;
        index.kind = MetastockIndexKind::Master;
        if (b.size() < kMasterRecord) return index;
        const std::size_t count =
            std::min<std::size_t>(GetU16LE(b.data()), b.size() / kMasterRecord - 1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* r = b.data() + (i + 1) * kMasterRecord;
            MetastockSecurity s;
            s.fileNumber = r[0];
            s.fields = r[4];
            s.intraday = r[33] == 'I';
            s.fullName = FieldText(r + 7, 16);
            s.firstDate = MbfToIeee(GetU32LE(r + 25));
            s.lastDate = MbfToIeee(GetU32LE(r + 29));
            s.ticker = FieldText(r + 36, 14);
            index.securities.push_back(std::move(s));
        }
        return index;
    }
    if (auto emaster = ReadIndexFile(MatchNoCase(dir, "EMASTER"), kEMasterRecord, 65535)) {
        const Bytes& b = *emaster;
        index.kind = MetastockIndexKind::EMaster;
        if (b.size() < kEMasterRecord) return index;
        std::size_t count = GetU16LE(b.data());
        if (count == 0) count = 255;  // the count 0 stands for a full index of 255
        count = std::min(count, b.size() / kEMasterRecord - 1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* r = b.data() + (i + 1) * kEMasterRecord;
            MetastockSecurity s;
            s.fileNumber = r[2];
            s.fields = r[6];
            s.intraday = r[60] == 'I';
            s.ticker = FieldText(r + 11, 32 - 11);
            s.fullName = FieldText(r + 32, 64 - 32);
            s.firstDate = GetF32LE(r + 64);
            s.lastDate = GetF32LE(r + 72);
            index.securities.push_back(std::move(s));
        }
        return index;
    }
    return std::nullopt;
}

fs::path MetastockDataPath(const fs::path& dir, int fileNumber) {
    return MatchNoCase(dir, "F" + std::to_string(fileNumber) + ".dat");
}

std::string MetastockLayoutText(int fields, bool intraday) {
    if (!intraday && fields == 5) return "date, high, low, close, volume";
    if (!intraday && fields == 7) return "date, open, high, low, close, volume, open interest";
    if (intraday && fields == 7) return "date, time, open, high, low, close, volume";
    if (intraday && fields == 8) {
        return "date, time, open, high, low, close, volume, open interest";
    }
    return std::string(intraday ? "intraday" : "daily") + " records of " + std::to_string(fields) +
           " fields";
}

bool IsReadableMetastockLayout(int fields, bool intraday) {
    return intraday ? fields == 7 || fields == 8 : fields == 5 || fields == 7;
}

MetastockDataReader::MetastockDataReader(const fs::path& path, int fields, bool intraday)
    : fields_(fields), intraday_(intraday) {
    if (!IsReadableMetastockLayout(fields, intraday)) {
        status_ = Status::FileError(MetastockLayoutText(fields, intraday) + ", a layout not read",
                                    path, 0, StatusCode::NotSupported);
        return;
    }
    file_ = std::make_unique<InputFile>(path, FileKind::Import);
    if (!file_->IsOpen()) {
        status_ = file_->GetStatus();
        return;
    }
    path_ = path;
    recordSize_ = 4 * static_cast<std::size_t>(fields);
    offset_ = recordSize_;  // the first record is the file's header
}

MetastockDataReader::~MetastockDataReader() = default;

bool MetastockDataReader::Fill() {
    // Whole records only: a final partial record is never delivered.
    const std::size_t chunk = recordSize_ * 2048;
    buffer_.resize(chunk);
    const auto got = file_->ReadAt(offset_, chunk, buffer_.data());
    if (!got) {
        status_ = ErrnoStatus("cannot read", path_);
        return false;
    }
    const std::size_t whole = *got - *got % recordSize_;
    buffer_.resize(whole);
    pos_ = 0;
    offset_ += whole;
    return whole > 0;
}

bool MetastockDataReader::Next(Quotation& out) {
    if (!intraday_) return NextRecord(out);
    if (!hasPending_ && !NextRecord(pending_)) return false;
    out = pending_;
    hasPending_ = false;
    Quotation rec;
    while (NextRecord(rec)) {
        if (rec.Date != out.Date) {
            pending_ = rec;
            hasPending_ = true;
            break;
        }
        out.High = std::max(out.High, rec.High);
        out.Low = std::min(out.Low, rec.Low);
        out.Close = rec.Close;
        out.Volume = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{out.Volume} + rec.Volume, INT32_MAX));
        out.OpenInt = rec.OpenInt;
        ++merged_;
    }
    return true;
}

bool MetastockDataReader::NextRecord(Quotation& out) {
    if (!status_) return false;
    for (;;) {
        if (pos_ >= buffer_.size() && !Fill()) return false;
        const std::uint8_t* rec = buffer_.data() + pos_;
        pos_ += recordSize_;
        if (Decode(rec, out)) return true;
        ++skipped_;
    }
}

bool MetastockDataReader::Decode(const std::uint8_t* rec, Quotation& out) const {
    float f[8];
    for (int i = 0; i < fields_; ++i) f[i] = MbfToIeee(GetU32LE(rec + std::ptrdiff_t{4} * i));
    const PackedDate date = MetastockDate(f[0]);
    if (date == kNoDate) return false;
    Quotation q;
    q.Date = date;
    if (fields_ == 5) {
        q.High = f[1];
        q.Low = f[2];
        q.Close = f[3];
        q.Open = f[3];
        q.Volume = SaturateToCount(f[4]);
        q.OpenInt = 0;
    } else {
        // Intraday records carry the time of day after the date; it is not kept.
        const float* p = intraday_ ? f + 2 : f + 1;
        q.Open = p[0];
        q.High = p[1];
        q.Low = p[2];
        q.Close = p[3];
        q.Volume = SaturateToCount(p[4]);
        q.OpenInt = fields_ == (intraday_ ? 8 : 7) ? SaturateToCount(p[5]) : 0;
    }
    if (!IsPrice(q.Close) || !IsPrice(q.High) || !IsPrice(q.Low)) return false;
    if (!IsPrice(q.Open)) q.Open = q.Close;
    out = q;
    return true;
}

}  // namespace velmora
