#pragma once
// Writers of Metastock directories for tests: MASTER, EMASTER and F<n>.DAT files with 5 or 7
// fields per record, numbers encoded as the format stores them (little-endian; MBF singles in
// MASTER and the data files, IEEE singles in EMASTER).

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/TestSupport.h"

namespace velmora::test {

// IEEE single to MBF single, for normal numbers and zero.
inline std::uint32_t IeeeToMbf(float f) {
    if (f == 0.0f) return 0;
    const std::uint32_t b = std::bit_cast<std::uint32_t>(f);
    const std::uint32_t sign = b >> 31;
    const std::uint32_t exponent = (b >> 23) & 0xFFu;
    return (exponent + 2) << 24 | sign << 23 | (b & 0x7FFFFFu);
}

inline void PutLE16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLE32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutMbf(std::vector<std::uint8_t>& out, std::size_t at, float v) {
    PutLE32(out, at, IeeeToMbf(v));
}
inline void PutText(std::vector<std::uint8_t>& out, std::size_t at, const std::string& text,
                    std::size_t field, char pad) {
    for (std::size_t i = 0; i < field; ++i) {
        out[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : pad);
    }
}

struct MsSecurity {
    int fileNumber = 1;
    int fields = 7;
    std::string ticker;
    std::string fullName;
    float firstDate = 0;
    float lastDate = 0;
    char timeFrame = 0;  // 'I' for intraday records; 0 leaves the byte as other tools do
};

// One data record; with 5 fields open and open interest are not written, the time only in
// intraday files.
struct MsRecord {
    float date = 0, open = 0, high = 0, low = 0, close = 0, volume = 0, openInt = 0, time = 0;
};

// MASTER: 53-byte header with the record count, 53-byte records, names blank-padded.
inline std::vector<std::uint8_t> MasterBytes(const std::vector<MsSecurity>& list,
                                             std::optional<std::uint16_t> count = {}) {
    std::vector<std::uint8_t> b(53 * (list.size() + 1), 0);
    PutLE16(b, 0, count.value_or(static_cast<std::uint16_t>(list.size())));
    PutLE16(b, 2, static_cast<std::uint16_t>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::size_t r = 53 * (i + 1);
        const MsSecurity& s = list[i];
        b[r] = static_cast<std::uint8_t>(s.fileNumber);
        b[r + 3] = static_cast<std::uint8_t>(4 * s.fields);
        b[r + 4] = static_cast<std::uint8_t>(s.fields);
        PutText(b, r + 7, s.fullName, 16, ' ');
        PutMbf(b, r + 25, s.firstDate);
        PutMbf(b, r + 29, s.lastDate);
        b[r + 33] = static_cast<std::uint8_t>(s.timeFrame);
        PutText(b, r + 36, s.ticker, 14, ' ');
    }
    return b;
}

// EMASTER: 192-byte header with the record count, 192-byte records, names zero-terminated.
inline std::vector<std::uint8_t> EMasterBytes(const std::vector<MsSecurity>& list,
                                              std::optional<std::uint16_t> count = {}) {
    std::vector<std::uint8_t> b(192 * (list.size() + 1), 0);
    PutLE16(b, 0, count.value_or(static_cast<std::uint16_t>(list.size())));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::size_t r = 192 * (i + 1);
        const MsSecurity& s = list[i];
        b[r] = '6';
        b[r + 1] = '6';
        b[r + 2] = static_cast<std::uint8_t>(s.fileNumber);
        b[r + 6] = static_cast<std::uint8_t>(s.fields);
        PutText(b, r + 11, s.ticker.substr(0, 20), 21, '\0');
        PutText(b, r + 32, s.fullName.substr(0, 31), 32, '\0');
        PutLE32(b, r + 64, std::bit_cast<std::uint32_t>(s.firstDate));
        PutLE32(b, r + 72, std::bit_cast<std::uint32_t>(s.lastDate));
        b[r + 60] = static_cast<std::uint8_t>(s.timeFrame);
    }
    return b;
}

// A data file: a header record (its bytes 2..3 the number of records including the header),
// then one record of `fields` MBF numbers per quotation.
inline std::vector<std::uint8_t> DataFileBytes(int fields, const std::vector<MsRecord>& recs,
                                               bool intraday = false) {
    const std::size_t size = 4 * static_cast<std::size_t>(fields);
    std::vector<std::uint8_t> b(size * (recs.size() + 1), 0);
    PutLE16(b, 2, static_cast<std::uint16_t>(recs.size() + 1));
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const std::size_t r = size * (i + 1);
        const MsRecord& q = recs[i];
        const std::vector<float> v =
            intraday ? std::vector<float>{q.date, q.time,  q.open,   q.high,
                                          q.low,  q.close, q.volume, q.openInt}
            : fields == 5
                ? std::vector<float>{q.date, q.high, q.low, q.close, q.volume}
                : std::vector<float>{q.date, q.open, q.high, q.low, q.close, q.volume, q.openInt};
        for (std::size_t k = 0; k < v.size() && k < static_cast<std::size_t>(fields); ++k) {
            PutMbf(b, r + 4 * k, v[k]);
        }
    }
    return b;
}

inline void WriteMaster(const std::filesystem::path& dir, const std::vector<MsSecurity>& list,
                        const std::string& name = "MASTER") {
    WriteBytes(dir / name, MasterBytes(list));
}
inline void WriteEMaster(const std::filesystem::path& dir, const std::vector<MsSecurity>& list,
                         const std::string& name = "EMASTER") {
    WriteBytes(dir / name, EMasterBytes(list));
}
inline void WriteDataFile(const std::filesystem::path& dir, int fileNumber, int fields,
                          const std::vector<MsRecord>& recs, bool intraday = false) {
    WriteBytes(dir / ("F" + std::to_string(fileNumber) + ".DAT"),
               DataFileBytes(fields, recs, intraday));
}

}  // namespace velmora::test
