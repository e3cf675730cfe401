#include "import/TeletextImporter.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "database/FixedText.h"
#include "database/PackedDate.h"
#include "platform/FileUtil.h"
#include "platform/Saturate.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLineLimit = 254;  // characters of a line that are looked at
constexpr std::string_view kHeader = "AKCJE-rynek podstawowy  ";
constexpr std::string_view kEnd = "OFERTA";
constexpr std::array<std::string_view, 6> kMarks = {"nk", "ns", "rk", "rs", "ok", "os"};
constexpr std::array<std::string_view, 5> kIndexTickers = {"WIG", "WIG20", "MIDWIG", "NIF", "WIRR"};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads a file line by line into a blank-filled buffer of fixed width: columns past the end of
// a line read as blanks, and characters past kLineLimit are dropped.
class PageReader {
  public:
    explicit PageReader(const fs::path& path) {
        if (Status readable = CheckReadableFile(path, FileKind::Import); !readable) {
            failure_ = std::move(readable);
            return;
        }
        file_.reset(std::fopen(path.c_str(), "rb"));
        if (!file_) failure_ = ErrnoStatus("cannot open", path);
    }
    bool IsOpen() const { return file_ != nullptr; }
    // Why the page could not be opened.
    const Status& Failure() const { return failure_; }

    // The next line, always kLineLimit + 1 characters wide; false at the end of the file.
    bool Next(std::string& line) {
        line.assign(kLineLimit + 1, ' ');
        std::size_t n = 0;
        bool any = false;
        for (;;) {
            if (pos_ >= len_) {
                len_ = std::fread(chunk_.data(), 1, chunk_.size(), file_.get());
                pos_ = 0;
                if (len_ == 0) break;
            }
            any = true;
            const char c = chunk_[pos_++];
            if (c == '\n') break;
            if (n < kLineLimit) line[n++] = c == '\0' ? ' ' : c;
        }
        if (n > 0 && line[n - 1] == '\r') line[n - 1] = ' ';
        return any;
    }

  private:
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<char> chunk_ = std::vector<char>(65536);
    std::size_t len_ = 0, pos_ = 0;
    Status failure_;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number at the start of the text after leading blanks, as the C library's atof
// reads it but independent of the locale; 0 when there is none.
double ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0;
    double value = 0;
    const auto r = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                   std::chars_format::fixed);
    if (r.ec != std::errc() || !std::isfinite(value)) return 0;
    return negative ? -value : value;
}

// The integer at the start of the text after leading blanks, as atol reads it; 0 when none.
long long ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (int digits = 0; i < text.size() && IsDigit(text[i]) && digits < 18; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// Whether a number runs across the edge between column `edge` - 1 and column `edge` of the
// line: a digit on one side and a digit or decimal mark on the other.
bool RunsAcross(const std::string& line, std::size_t edge) {
    const auto part = [](char c) { return IsDigit(c) || c == ',' || c == '.'; };
    return (IsDigit(line[edge - 1]) && part(line[edge])) ||
           (part(line[edge - 1]) && IsDigit(line[edge]));
}

bool IsIndexTicker(std::string_view ticker) {
    for (std::string_view t : kIndexTickers) {
        if (EqualNoCase(ticker, t)) return true;
    }
    return false;
}

// The session date of a header line as "yy-mm-dd": day at columns 32-33 (a blank at 32 is a
// '0'), month at 35-36, year at 38-39. Empty when it is not a calendar date.
std::string HeaderDate(const std::string& line) {
    const char d0 = line[32] == ' ' ? '0' : line[32];
    std::string text{line[38], line[39], '-', line[35], line[36], '-', d0, line[33]};
    for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
        if (!IsDigit(text[i])) return {};
    }
    const int yy = (text[0] - '0') * 10 + (text[1] - '0');
    const int month = (text[3] - '0') * 10 + (text[4] - '0');
    const int day = (text[6] - '0') * 10 + (text[7] - '0');
    const int year = yy <= 50 ? 2000 + yy : 1900 + yy;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return {};
    return text;
}

}  // namespace

TeletextLine ParseTeletextLine(std::string_view text) {
    std::string line(kLineLimit + 1, ' ');
    const std::size_t n = std::min(text.size(), kLineLimit);
    for (std::size_t i = 0; i < n; ++i) line[i] = text[i] == '\0' ? ' ' : text[i];

    TeletextLine out;
    std::string ticker = line.substr(1, 9);
    while (!ticker.empty() && ticker.back() == ' ') ticker.pop_back();

    std::string price = line.substr(11, 8);
    if (static_cast<unsigned char>(price[0]) > '9') price[0] = ' ';
    if (price[5] == ',') price[5] = '.';
    out.price = ParseDecimal(price);

    const std::string_view mark(line.data() + 19, 2);
    for (std::size_t i = 0; i < kMarks.size(); ++i) {
        if (mark == kMarks[i]) out.mark = static_cast<int>(i) + 1;
    }
    if (line[19] == 'z') ticker.clear();
    if (out.mark >= 1 && out.mark <= 4) {
        // A percentage; anything outside 0..100 is unreadable and counts as no reduction.
        const long long r = ParseInteger(std::string_view(line.data() + 22, 4));
        out.reduction = r >= 0 && r <= 100 ? static_cast<int>(r) : 0;
    }

    std::string turnover;
    for (char c : std::string_view(line.data() + 31, 10)) {
        if (c == '.') continue;  // thousands separators
        turnover.push_back(c == ',' ? '.' : c);
    }
    out.turnover = ParseInteger(turnover);
    out.ticker = std::move(ticker);
    // The price in columns 11-18 and the turnover in 31-40: a number that does not stop at
    // their edges was cut by them.
    out.tooWide = RunsAcross(line, 11) || RunsAcross(line, 19) || RunsAcross(line, 31) ||
                  RunsAcross(line, 41);
    return out;
}

TeletextImportResult ImportTeletext(Database& db, const fs::path& path) {
    TeletextImportResult result;
    PageReader reader(path);
    if (!reader.IsOpen()) {
        result.failure = reader.Failure();
        return result;
    }
    result.opened = true;

    std::string line;
    while (reader.Next(line)) {
        if (line.compare(0, kHeader.size(), kHeader) == 0) {
            result.headerFound = true;
            break;
        }
    }
    if (!result.headerFound) return result;
    result.dateText = HeaderDate(line);
    result.dateValid = !result.dateText.empty();
    if (!result.dateValid) return result;

    long long volumeSum = 0;
    int indexCounter = 0;
    while (reader.Next(line)) {
        if (line.compare(0, kEnd.size(), kEnd) == 0) break;
        const TeletextLine q = ParseTeletextLine(line);
        // A price of 0 (or an unreadable one) is no quotation, and the volume would divide by it.
        if (q.tooWide) {
            ++result.skipped;
            ++result.tooWide;
            continue;
        }
        if (q.ticker.empty() || !(q.price > 0)) {
            ++result.skipped;
            continue;
        }
        const bool isIndex = IsIndexTicker(q.ticker);
        const double exactVolume =
            isIndex ? static_cast<double>(volumeSum)
                    : std::trunc(static_cast<double>(q.turnover) * 1000.0 / (2.0 * q.price));
        const std::int32_t volume = SaturateToCount(exactVolume);
        if (!db.SetQuotation(q.ticker, result.dateText, q.price, volume, 0,
                             static_cast<std::uint8_t>(q.mark),
                             static_cast<std::uint8_t>(q.reduction), q.price, q.price, q.price)) {
            ++result.skipped;
            continue;
        }
        ++result.stored;
        if (exactVolume > kInt32Max) ++result.clamped;
        if (!isIndex) {
            volumeSum += volume;
        } else if (EqualNoCase(q.ticker, "WIG") || EqualNoCase(q.ticker, "WIG20")) {
            // The first two of WIG and WIG20 share the sum of the stocks above them.
            if (++indexCounter == 2) {
                indexCounter = 3;
                volumeSum = 0;
            }
        } else if (EqualNoCase(q.ticker, "NIF") || EqualNoCase(q.ticker, "WIRR")) {
            volumeSum = 0;
        }
    }
    return result;
}

std::vector<TeletextImportResult> ImportTeletextFiles(Database& db, SettingsStore& settings,
                                                      const std::vector<fs::path>& files) {
    std::vector<TeletextImportResult> results;
    results.reserve(files.size());
    for (const fs::path& f : files) results.push_back(ImportTeletext(db, f));
    if (!files.empty())
        settings.SetString("Paths", "Teletext", files.front().parent_path().string());
    return results;
}

std::string TeletextStartDirectory(const SettingsStore& settings) {
    return settings.GetString("Paths", "Teletext").value_or("");
}

std::string TeletextResultText(const TeletextImportResult& r, std::string_view sessionDate) {
    if (!r.opened) {
        const int error = r.failure.ErrorNumber();
        return "cannot be opened: " +
               (error != 0 ? std::string(std::strerror(error)) : r.failure.ToString());
    }
    if (!r.headerFound) return "no header line, nothing imported";
    if (!r.dateValid) return "the header's date is not a date, nothing imported";
    const auto count = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    std::string text = "session " + std::string(sessionDate) + ", " + count(r.stored, "quotation") +
                       " stored, " + count(r.skipped, "line") + " skipped";
    if (r.tooWide > 0)
        text += " (" + count(r.tooWide, "line") + " with a field wider than its columns)";
    if (r.clamped > 0) {
        text += ", " + count(r.clamped, "volume") +
                " clamped: beyond the 32-bit range of the stock file";
    }
    return text;
}

}  // namespace velmora
