#include "database/CategoryNames.h"

#include <climits>
#include <functional>
#include <string_view>

#include "platform/FileUtil.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

// Calls `take(index, line)` for the first `limit` lines of the file, without their line ends.
// A file that exists but cannot be read is added to `unread`.
void ForEachLine(const fs::path& file, int limit, std::vector<Status>& unread,
                 const std::function<void(int, std::string_view)>& take) {
    const Result<Bytes> data = ReadFile(file, FileKind::CategoryNames);
    if (!data) {
        if (data.GetStatus().Code() != StatusCode::NotFound) unread.push_back(data.GetStatus());
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(data->data()), data->size());
    std::size_t pos = 0;
    for (int i = 0; i < limit && pos < text.size(); ++i) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        take(i, line);
        pos = end + 1;
    }
}

// "<decimal number><one character><name>": the number as a C library %d conversion reads it
// (leading blanks, an optional sign, digits; saturated to the int range). A line without a
// number gives sector 0 and is the name as a whole.
void ParseIndustryLine(std::string_view line, std::int32_t& sector, std::string_view& name) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\v' ||
                               line[i] == '\f' || line[i] == '\r')) {
        ++i;
    }
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
    const std::size_t digitsFrom = i;
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        if (value <= INT_MAX) value = value * 10 + (line[i] - '0');
        ++i;
    }
    if (i == digitsFrom) {
        sector = 0;
        name = line;
        return;
    }
    if (negative) value = -value;
    sector = static_cast<std::int32_t>(value > INT_MAX   ? INT_MAX
                                       : value < INT_MIN ? INT_MIN
                                                         : value);
    if (i < line.size()) ++i;  // the separator
    name = line.substr(i);
}

}  // namespace

std::vector<Status> LoadCategoryNames(const fs::path& dir, CategoryTables& tables) {
    std::vector<Status> unread;
    ForEachLine(MatchNoCase(dir, "tarvik.groups"), kGroupCount, unread,
                [&](int i, std::string_view line) { tables.Groups[i].Name.Set(line); });
    ForEachLine(MatchNoCase(dir, "tarvik.markets"), kMarketCount, unread,
                [&](int i, std::string_view line) { tables.Markets[i].Name.Set(line); });
    ForEachLine(MatchNoCase(dir, "tarvik.sectors"), kSectorCount, unread,
                [&](int i, std::string_view line) { tables.Sectors[i].Name.Set(line); });
    ForEachLine(MatchNoCase(dir, "tarvik.industries"), kIndustryCount, unread,
                [&](int i, std::string_view line) {
                    std::string_view name;
                    ParseIndustryLine(line, tables.Industries[i].SectorID, name);
                    tables.Industries[i].Name.Set(name);
                });
    return unread;
}

}  // namespace velmora
