#include "import/AsciiImporter.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "database/Composites.h"
#include "database/FixedText.h"
#include "import/AsciiText.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxLine = 254;      // characters of a line, without its line end
constexpr std::size_t kMaxFields = 30;     // entries of a $FORMAT field list
constexpr std::size_t kMaxTicker = 24;     // characters of the ticker the import keeps
constexpr std::size_t kMaxFullName = 127;  // characters of the full name the import keeps
constexpr std::size_t kStoredTicker = 15;  // characters of a stock's ticker
constexpr int kRefreshLines = 64;          // data lines between status refreshes

enum class Field {
    Skip,
    DateYmd,
    DateMdy,
    DateDmy,
    Ticker,
    AppendTicker,
    FullName,
    Info,
    High,
    Low,
    Close,
    Open,
    Volume,
    Vol1000,
    VolMil,
    VolFactor,
    PriceFactor,
    Turnover,
    Reduction,
    Group,
    Market,
    Industry,
    AdvIssues,
    DecIssues,
    UncIssues,
    AdvVolume,
    DecVolume,
    UncVolume,
    OpenInt,
};

struct Keyword {
    std::string_view word;
    Field field;
};

constexpr std::array<Keyword, 34> kKeywords = {{
    {"SKIP", Field::Skip},
    {"DATE_YMD", Field::DateYmd},
    {"DATE_INT", Field::DateYmd},
    {"DATE_MDY", Field::DateMdy},
    {"DATE_USA", Field::DateMdy},
    {"DATE_DMY", Field::DateDmy},
    {"DATE_CDN", Field::DateDmy},
    {"NAME", Field::Ticker},
    {"TICKER", Field::Ticker},
    {"APPENDTICKER", Field::AppendTicker},
    {"APPENDNAME", Field::AppendTicker},
    {"FULLNAME", Field::FullName},
    {"INFO", Field::Info},
    {"HIGH", Field::High},
    {"LOW", Field::Low},
    {"CLOSE", Field::Close},
    {"OPEN", Field::Open},
    {"VOLUME", Field::Volume},
    {"VOL1000", Field::Vol1000},
    {"VOLMIL", Field::VolMil},
    {"VOLFACTOR", Field::VolFactor},
    {"PRICEFACTOR", Field::PriceFactor},
    {"TURNOVER", Field::Turnover},
    {"REDUCTION", Field::Reduction},
    {"GROUP", Field::Group},
    {"MARKET", Field::Market},
    {"INDUSTRY", Field::Industry},
    {"ADVISSUES", Field::AdvIssues},
    {"DECISSUES", Field::DecIssues},
    {"UNCISSUES", Field::UncIssues},
    {"ADVVOLUME", Field::AdvVolume},
    {"DECVOLUME", Field::DecVolume},
    {"UNCVOLUME", Field::UncVolume},
    {"OPENINT", Field::OpenInt},
}};

enum class Command {
    Format,
    Separator,
    SkipLines,
    BreakOnError,
    RecalcAD,
    RecalcVol,
    Hybrid,
    Debug,
    AutoAdd,
    Overwrite,
    Cont,
    Market,
    Group,
    Industry,
    VolFactor,
    PriceFactor,
    Ticker,
    AppendTicker,
    FullName,
    DateYmd,
    DateMdy,
    DateDmy,
};

struct CommandWord {
    std::string_view word;
    Command command;
};

constexpr std::array<CommandWord, 24> kCommands = {{
    {"$FORMAT", Command::Format},
    {"$SEPARATOR", Command::Separator},
    {"$SKIPLINES", Command::SkipLines},
    {"$BREAKONERR", Command::BreakOnError},
    {"$RECALCAD", Command::RecalcAD},
    {"$RECALCVOL", Command::RecalcVol},
    {"$HYBRID", Command::Hybrid},
    {"$DEBUG", Command::Debug},
    {"$AUTOADD", Command::AutoAdd},
    {"$OVERWRITE", Command::Overwrite},
    {"$CONT", Command::Cont},
    {"$MARKET", Command::Market},
    {"$GROUP", Command::Group},
    {"$INDUSTRY", Command::Industry},
    {"$VOLFACTOR", Command::VolFactor},
    {"$PRICEFACTOR", Command::PriceFactor},
    {"$NAME", Command::Ticker},
    {"$TICKER", Command::Ticker},
    {"$APPENDTICKER", Command::AppendTicker},
    {"$APPENDNAME", Command::AppendTicker},
    {"$FULLNAME", Command::FullName},
    {"$DATE_YMD", Command::DateYmd},
    {"$DATE_MDY", Command::DateMdy},
    {"$DATE_DMY", Command::DateDmy},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && EqualNoCase(text.substr(0, word.size()), word);
}

// The longest keyword the token begins with, compared without regard to case.
std::optional<Field> MatchKeyword(std::string_view token) {
    std::optional<Field> best;
    std::size_t bestLength = 0;
    for (const Keyword& k : kKeywords) {
        if (k.word.size() > bestLength && StartsWithNoCase(token, k.word)) {
            best = k.field;
            bestLength = k.word.size();
        }
    }
    return best;
}

std::optional<Command> MatchCommand(std::string_view line, std::size_t& length) {
    std::optional<Command> best;
    length = 0;
    for (const CommandWord& c : kCommands) {
        if (c.word.size() > length && StartsWithNoCase(line, c.word)) {
            best = c.command;
            length = c.word.size();
        }
    }
    return best;
}

// At most `limit` bytes of the text, never ending inside a UTF-8 sequence.
std::string Cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, Utf8Cut(text, limit)));
}

// A value as a 32-bit integer, truncated toward zero and held at the ends of the range.
std::int32_t ToInt32(double v, bool* clamped = nullptr) {
    if (clamped != nullptr) *clamped = false;
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0 || v <= -2147483648.0) {
        if (clamped != nullptr) *clamped = v > 2147483647.0 || v < -2147483648.0;
        return v > 0 ? INT32_MAX : INT32_MIN;
    }
    return static_cast<std::int32_t>(v);
}

bool FitsFloat(double v) {
    return std::isfinite(v) && std::fabs(v) <= FLT_MAX;
}

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Reads a file line by line through a large buffer. A line keeps at most kMaxLine + 1
// characters (so an overlong line is recognised) while the rest of it is consumed.
class LineReader {
  public:
    explicit LineReader(std::FILE* file) : file_(file), buffer_(1 << 16) {}

    struct Line {
        std::string text;     // without the line end, at most kMaxLine + 1 characters
        bool hasEnd = false;  // a '\n' ended the line
        bool tooLong = false;
        bool hasNul = false;
    };

    bool Next(Line& line) {
        line.text.clear();
        line.hasEnd = line.tooLong = line.hasNul = false;
        bool any = false;
        std::size_t length = 0;
        for (;;) {
            if (pos_ == size_ && !Refill()) break;
            const char* p = buffer_.data() + pos_;
            const std::size_t n = size_ - pos_;
            const void* nl = std::memchr(p, '\n', n);
            const std::size_t take =
                nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - p) : n;
            any = true;
            if (!line.hasNul && std::memchr(p, 0, take) != nullptr) line.hasNul = true;
            const std::size_t room = kMaxLine + 2 - std::min(line.text.size(), kMaxLine + 2);
            line.text.append(p, std::min(take, room));
            length += take;
            pos_ += take;
            consumed_ += take;
            if (nl != nullptr) {
                ++pos_;
                ++consumed_;
                line.hasEnd = true;
                break;
            }
        }
        if (!any) return false;
        // A carriage return before the line end belongs to the line end.
        const bool cr = length > 0 && line.text.size() == length && line.text.back() == '\r';
        if (cr) {
            line.text.pop_back();
            --length;
        }
        if (length > kMaxLine) line.tooLong = true;
        if (line.text.size() > kMaxLine + 1) line.text.resize(kMaxLine + 1);
        return true;
    }

    std::uint64_t Consumed() const { return consumed_; }

  private:
    bool Refill() {
        if (std::feof(file_) || std::ferror(file_)) return false;
        size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        return size_ > 0;
    }

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, size_ = 0;
    std::uint64_t consumed_ = 0;
};

// One import of a file pair: the import state and the interpreter of its lines.
class ImportRun {
  public:
    ImportRun(Database& db, UserInterface& ui, const fs::path& logPath, const fs::path& dataPath,
              AsciiImportStats& stats)
        : db_(db), ui_(ui), logPath_(logPath), dataPath_(dataPath), stats_(stats) {
        // The ticker starts as the data file's name without directory and extension.
        ticker_ = Cut(dataPath.stem().string(), kMaxTicker);
        fields_ = {Field::DateMdy, Field::Open,  Field::High,
                   Field::Low,     Field::Close, Field::Volume};
    }

    // Reads one file of the pair. Returns kAsciiImportDone, or kAsciiImportUnknownKeyword.
    int ReadFile(std::FILE* file, bool dataPass, std::uint64_t fileLength) {
        LineReader reader(file);
        LineReader::Line line;
        int sinceRefresh = 0;
        while (reader.Next(line)) {
            if (dataPass && skipLines_ > 0) {
                --skipLines_;
                continue;
            }
            if (line.tooLong || line.hasNul) {
                ++stats_.dataLines;
                ++stats_.errorLines;
                if (debug_ > 0 && log_) {
                    LogLine("Error in line ", line);
                    std::fputs(line.tooLong ? "Line longer than 254 characters\n"
                                            : "Line contains a NUL character\n",
                               log_.get());
                }
                if (dataPass && breakOnError_) {
                    stats_.stopped = true;
                    break;
                }
                continue;
            }
            std::string_view text = line.text;
            std::size_t start = 0;
            while (start < text.size() && IsBlank(text[start])) ++start;
            text.remove_prefix(start);
            if (text.empty() || text[0] == ';' || text[0] == '*' || text[0] == '#') continue;
            std::size_t wordLength = 0;
            if (const auto command = MatchCommand(text, wordLength)) {
                if (!RunCommand(*command, text.substr(wordLength))) {
                    return kAsciiImportUnknownKeyword;
                }
                continue;
            }
            ++stats_.dataLines;
            const bool stored = DataLine(text, line);
            if (!stored && dataPass && breakOnError_) {
                stats_.stopped = true;
                break;
            }
            if (dataPass && ++sinceRefresh == kRefreshLines) {
                sinceRefresh = 0;
                ui_.SetStatusText("Importing " + dataPath_.string());
                if (fileLength > 0) {
                    ui_.SetProgressPercent(static_cast<int>(
                        std::min<std::uint64_t>(reader.Consumed() * 100 / fileLength, 100)));
                }
            }
        }
        return kAsciiImportDone;
    }

    bool RecalcRequested() const { return (recalcAD_ || recalcVolume_) && storedAnything_; }
    int RecalcFlags() const {
        return (recalcVolume_ ? kCompositeVolume : 0) | (recalcAD_ ? kCompositeAdvDec : 0);
    }
    void Log(const char* text) {
        if (debug_ > 0 && log_) std::fputs(text, log_.get());
    }

  private:
    // Runs a command with the rest of its line. False for a $FORMAT naming an unknown keyword.
    bool RunCommand(Command command, std::string_view rest) {
        if (command == Command::Separator) {
            // Only spaces part the word from its value, so a tab can be the separator.
            std::size_t i = 0;
            while (i < rest.size() && rest[i] == ' ') ++i;
            separator_ = i < rest.size() ? rest[i] : ' ';
            return true;
        }
        std::size_t i = 0;
        while (i < rest.size() && IsBlank(rest[i])) ++i;
        const std::string_view value = TrimRight(rest.substr(i));
        // A command without its value changes nothing.
        if (value.empty()) return true;
        const std::int32_t number = ParseCommandInteger(value);
        switch (command) {
            case Command::Format:
                return SetFormat(value);
            case Command::Separator:
                break;
            case Command::SkipLines:
                skipLines_ = std::max(number, 0);
                break;
            case Command::BreakOnError:
                breakOnError_ = number != 0;
                break;
            case Command::RecalcAD:
                recalcAD_ = number != 0;
                break;
            case Command::RecalcVol:
                recalcVolume_ = number != 0;
                break;
            case Command::Hybrid:
                hybrid_ = number != 0;
                break;
            case Command::Debug:
                debug_ = number;
                if (number != 0) OpenLog();
                break;
            case Command::AutoAdd:
                autoAdd_ = number != 0;
                break;
            case Command::Overwrite:
                overwrite_ = number != 0;
                break;
            case Command::Cont:
                continuous_ = number != 0 ? 1 : 0;
                break;
            case Command::Market:
                market_ = number;
                break;
            case Command::Group:
                group_ = number;
                break;
            case Command::Industry:
                industry_ = number;
                break;
            case Command::VolFactor:
                volumeFactor_ = ParseLeadingNumber(value);
                break;
            case Command::PriceFactor:
                priceFactor_ = ParseLeadingNumber(value);
                break;
            case Command::Ticker:
                ticker_ = Cut(value, kMaxTicker);
                break;
            case Command::AppendTicker:
                ticker_ = Cut(ticker_ + std::string(value), kMaxTicker);
                break;
            case Command::FullName:
                fullName_ = Cut(value, kMaxFullName);
                break;
            case Command::DateYmd:
                date_ = ConvertDateText(value, DateOrder::YearFirst);
                break;
            case Command::DateMdy:
                date_ = ConvertDateText(value, DateOrder::MonthFirst);
                break;
            case Command::DateDmy:
                date_ = ConvertDateText(value, DateOrder::DayFirst);
                break;
        }
        return true;
    }

    bool SetFormat(std::string_view value) {
        std::vector<Field> fields;
        std::size_t i = 0;
        while (i < value.size()) {
            while (i < value.size() && (IsBlank(value[i]) || value[i] == ',')) ++i;
            const std::size_t start = i;
            while (i < value.size() && !IsBlank(value[i]) && value[i] != ',') ++i;
            if (i == start) break;
            const auto field = MatchKeyword(value.substr(start, i - start));
            if (!field) return false;
            if (fields.size() < kMaxFields) fields.push_back(*field);
        }
        fields_ = std::move(fields);
        return true;
    }

    void OpenLog() {
        if (log_) return;
        log_.reset(std::fopen(logPath_.string().c_str(), "ab"));
        if (log_) {
            std::fprintf(log_.get(), "\nLogging started for '%s' file\n",
                         dataPath_.string().c_str());
        }
    }

    // Writes the prefix and the line as read, with its line end.
    void LogLine(const char* prefix, const LineReader::Line& line) {
        std::string text = line.text.substr(0, kMaxLine);
        std::replace(text.begin(), text.end(), '\0', ' ');
        std::fputs(prefix, log_.get());
        std::fwrite(text.data(), 1, text.size(), log_.get());
        std::fputc('\n', log_.get());
    }

    // Tokens of a data line. `pos` moves past the token and its separator.
    std::string_view TextToken(std::string_view line, std::size_t& pos) const {
        std::string_view text;
        if (line[pos] == '"') {
            const std::size_t close = line.find('"', pos + 1);
            if (close == std::string_view::npos) {
                pos = line.size();
                return {};
            }
            text = line.substr(pos + 1, close - pos - 1);
            pos = std::min(close + 2, line.size());
        } else {
            const std::size_t end = line.find(separator_, pos);
            if (end == std::string_view::npos) {
                pos = line.size();
                return {};
            }
            text = line.substr(pos, end - pos);
            pos = end + 1;
        }
        return TrimRight(text);
    }

    double NumberToken(std::string_view line, std::size_t& pos) const {
        std::size_t used = 0;
        double value = ParseLeadingNumber(line.substr(pos), &used);
        std::size_t p = pos + used;
        std::size_t end = line.find(separator_, p);
        if (end == std::string_view::npos) end = line.size();
        // "12 3/8": a fraction after blanks, before the separator, adds (a*100/b) hundredths.
        if (p < end && IsBlank(line[p])) {
            std::size_t q = p;
            while (q < end && IsBlank(line[q])) ++q;
            long long a = 0, b = 0;
            std::size_t digits = 0;
            for (; q < end && line[q] >= '0' && line[q] <= '9'; ++q, ++digits) {
                a = std::min(a * 10 + (line[q] - '0'), 1000000000LL);
            }
            if (digits > 0 && q < end && (line[q] == '/' || line[q] == '\\')) {
                ++q;
                std::size_t bDigits = 0;
                for (; q < end && line[q] >= '0' && line[q] <= '9'; ++q, ++bDigits) {
                    b = std::min(b * 10 + (line[q] - '0'), 1000000000LL);
                }
                if (bDigits > 0 && b != 0) value += static_cast<double>(a * 100 / b) * 0.01;
            }
        }
        pos = end < line.size() ? end + 1 : line.size();
        return value;
    }

    void ApplyCategories(Stock& stock) {
        if (group_ >= 0 && group_ < kGroupCount) SetGroupID(stock, group_);
        if (market_ >= 0 && market_ < kMarketCount) SetMarketID(stock, market_);
        if (continuous_ >= 0) SetContinuous(stock, continuous_ != 0);
        if (industry_ >= 0 && industry_ < kIndustryCount) stock.IndustryID = industry_;
        if (!fullName_.empty()) stock.FullName.Set(fullName_);
        db_.MarkModified(stock);
    }

    // Interprets a data line; true when it stored something.
    bool DataLine(std::string_view text, const LineReader::Line& raw) {
        double close = 0, open = 0, high = 0, low = 0, volume = 0, openInt = 0, turnover = 0;
        double reduction = 0, advVolume = 0, decVolume = 0, uncVolume = 0;
        double advIssues = 0, decIssues = 0, uncIssues = 0;
        std::uint8_t mark = 0;
        bool appended = false;

        std::size_t pos = 0;
        for (const Field field : fields_) {
            while (pos < text.size() && IsBlank(text[pos])) ++pos;
            if (pos >= text.size()) break;
            switch (field) {
                case Field::Skip:
                    TextToken(text, pos);
                    break;
                case Field::DateYmd:
                    date_ = ConvertDateText(TextToken(text, pos), DateOrder::YearFirst);
                    break;
                case Field::DateMdy:
                    date_ = ConvertDateText(TextToken(text, pos), DateOrder::MonthFirst);
                    break;
                case Field::DateDmy:
                    date_ = ConvertDateText(TextToken(text, pos), DateOrder::DayFirst);
                    break;
                case Field::Ticker:
                    ticker_ = Cut(TextToken(text, pos), kMaxTicker);
                    break;
                case Field::AppendTicker:
                    ticker_ = Cut(ticker_ + std::string(TextToken(text, pos)), kMaxTicker);
                    appended = true;
                    break;
                case Field::FullName:
                    fullName_ = Cut(TextToken(text, pos), kMaxFullName);
                    break;
                case Field::Info:
                    mark = MarkCode(TextToken(text, pos));
                    break;
                case Field::High:
                    high = NumberToken(text, pos);
                    break;
                case Field::Low:
                    low = NumberToken(text, pos);
                    break;
                case Field::Close:
                    close = NumberToken(text, pos);
                    break;
                case Field::Open:
                    open = NumberToken(text, pos);
                    break;
                case Field::Volume:
                    volume = NumberToken(text, pos);
                    break;
                case Field::Vol1000:
                    volume = NumberToken(text, pos) * 1000;
                    break;
                case Field::VolMil:
                    volume = NumberToken(text, pos) * 1000000;
                    break;
                case Field::VolFactor:
                    volumeFactor_ = NumberToken(text, pos);
                    break;
                case Field::PriceFactor:
                    priceFactor_ = NumberToken(text, pos);
                    break;
                case Field::Turnover:
                    turnover = NumberToken(text, pos);
                    break;
                case Field::Reduction:
                    reduction = std::trunc(NumberToken(text, pos));
                    break;
                case Field::Group:
                    group_ = ToInt32(NumberToken(text, pos));
                    break;
                case Field::Market:
                    market_ = ToInt32(NumberToken(text, pos));
                    break;
                case Field::Industry:
                    industry_ = ToInt32(NumberToken(text, pos));
                    break;
                case Field::AdvIssues:
                    advIssues = std::trunc(NumberToken(text, pos));
                    break;
                case Field::DecIssues:
                    decIssues = std::trunc(NumberToken(text, pos));
                    break;
                case Field::UncIssues:
                    uncIssues = std::trunc(NumberToken(text, pos));
                    break;
                case Field::AdvVolume:
                    advVolume = NumberToken(text, pos);
                    break;
                case Field::DecVolume:
                    decVolume = NumberToken(text, pos);
                    break;
                case Field::UncVolume:
                    uncVolume = NumberToken(text, pos);
                    break;
                case Field::OpenInt:
                    openInt = NumberToken(text, pos);
                    break;
            }
        }

        if (open <= 0) open = close;
        if (high <= 0) high = std::max(open, close);
        if (low <= 0) low = std::min(open, close);
        if (priceFactor_ != 1) {
            open *= priceFactor_;
            close *= priceFactor_;
            high *= priceFactor_;
            low *= priceFactor_;
        }
        if (volume > 0) {
            volume *= volumeFactor_;
        } else if (turnover > 0 && close > 0) {
            volume = turnover * volumeFactor_ / (2 * close);
        }

        bool stored = false, outOfRange = false, clamped = false, missingStock = false;
        const bool dateValid = date_.has_value();
        if (dateValid && market_ >= 0 && (advIssues > 0 || decIssues > 0 || uncIssues > 0)) {
            // An advance/decline line of a market.
            if (market_ < kMarketCount && FitsFloat(advVolume) && FitsFloat(decVolume) &&
                FitsFloat(uncVolume) && advIssues < 2147483648.0 && decIssues < 2147483648.0 &&
                uncIssues < 2147483648.0) {
                ADQuotation* r =
                    db_.AddADQuotation(db_.Categories().Markets[static_cast<std::size_t>(market_)],
                                       TextToDate(*date_));
                if (r != nullptr) {
                    r->AdvIssues = ToInt32(advIssues);
                    r->DecIssues = ToInt32(decIssues);
                    r->UncIssues = ToInt32(uncIssues);
                    r->AdvVolume = static_cast<float>(advVolume);
                    r->DecVolume = static_cast<float>(decVolume);
                    r->UncVolume = static_cast<float>(uncVolume);
                    stored = true;
                }
            } else {
                outOfRange = true;
            }
        } else if (close > 0 && dateValid && !ticker_.empty()) {
            if (!FitsFloat(open) || !FitsFloat(high) || !FitsFloat(low) || !FitsFloat(close)) {
                outOfRange = true;
            } else {
                stored = StoreQuotation(close, open, high, low, volume, openInt, mark, reduction,
                                        clamped, missingStock);
            }
        }

        if (stored) {
            ++stats_.storedLines;
            if (clamped) {
                ++stats_.clampedVolumes;
                if (debug_ > 0 && log_) {
                    LogLine("Volume clamped in line ", raw);
                    std::fputs(
                        "Volume or open interest out of range, held at the 32-bit "
                        "limit\n",
                        log_.get());
                }
            }
        } else {
            ++stats_.errorLines;
            if (debug_ > 0 && log_) {
                std::FILE* log = log_.get();
                LogLine("Error in line ", raw);
                if (!ticker_.empty() &&
                    (missingStock || db_.FindStockOrAlias(LookupName()) == nullptr)) {
                    std::fprintf(log, "'%s' - this stock/ticker does not exist in the database\n",
                                 ticker_.c_str());
                }
                if (close <= 0) std::fputs("Invalid (close) price\n", log);
                if (!dateValid) std::fputs("Invalid date format/value\n", log);
                if (ticker_.empty()) std::fputs("Ticker name is empty (unknown)\n", log);
                if (outOfRange) std::fputs("Number out of range\n", log);
            }
        }
        if (appended) ticker_.clear();
        return stored;
    }

    // The ticker as a stock holds it: its first 15 bytes.
    std::string_view LookupName() const {
        return std::string_view(ticker_).substr(0, Utf8Cut(ticker_, kStoredTicker));
    }

    bool StoreQuotation(double close, double open, double high, double low, double volume,
                        double openInt, std::uint8_t mark, double reduction, bool& clamped,
                        bool& missingStock) {
        const std::string_view name = LookupName();
        Stock* stock = db_.FindStockOrAlias(name);
        if (stock == nullptr && autoAdd_) {
            stock = db_.AddStock(name);
            ++stats_.addedStocks;
            ApplyCategories(*stock);
        }
        if (stock == nullptr) {
            missingStock = true;
            return false;
        }
        if (overwrite_) ApplyCategories(*stock);

        bool volumeClamped = false, openIntClamped = false;
        std::int64_t vol = ToInt32(volume, &volumeClamped);
        std::int64_t oi = ToInt32(openInt, &openIntClamped);
        std::uint8_t storedMark = mark;
        std::uint8_t storedReduction = static_cast<std::uint8_t>(std::clamp(reduction, 0.0, 255.0));
        if (hybrid_) {
            if (const Quotation* q = Database::FindQuotation(*stock, TextToDate(*date_))) {
                open = q->Open;
                high = std::max(static_cast<double>(q->High), high);
                low = std::min(static_cast<double>(q->Low), low);
                vol += q->Volume;
                oi += q->OpenInt;
                storedMark = q->Mark;
                storedReduction = q->Reduction;
            }
        }
        const auto hold = [&clamped](std::int64_t v) {
            if (v > INT32_MAX || v < INT32_MIN) clamped = true;
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
        };
        clamped = volumeClamped || openIntClamped;
        const std::int32_t storedVolume = hold(vol);
        const std::int32_t storedOpenInt = hold(oi);
        if (!db_.SetQuotation(name, *date_, close, storedVolume, storedOpenInt, storedMark,
                              storedReduction, open, high, low)) {
            return false;
        }
        if (recalcAD_ || recalcVolume_) storedAnything_ = true;
        return true;
    }

    Database& db_;
    UserInterface& ui_;
    fs::path logPath_;
    fs::path dataPath_;
    AsciiImportStats& stats_;
    FilePtr log_{nullptr, &std::fclose};

    std::vector<Field> fields_;
    char separator_ = ' ';
    int skipLines_ = 0;
    bool breakOnError_ = false;
    bool recalcAD_ = false;
    bool recalcVolume_ = false;
    bool hybrid_ = false;
    int debug_ = 0;
    bool autoAdd_ = false;
    bool overwrite_ = false;
    int continuous_ = -1;
    int market_ = -1;
    int group_ = -1;
    int industry_ = -1;
    double volumeFactor_ = 1.0;
    double priceFactor_ = 1.0;
    std::string ticker_;
    std::string fullName_;
    std::optional<std::string> date_;  // "yy-mm-dd" when valid
    bool storedAnything_ = false;
};

FilePtr OpenForReading(const fs::path& path) {
    std::error_code ec;
    if (path.empty() || fs::is_directory(path, ec)) return FilePtr(nullptr, &std::fclose);
    return FilePtr(std::fopen(path.string().c_str(), "rb"), &std::fclose);
}

}  // namespace

AsciiImporter::AsciiImporter(Database& db, UserInterface& ui, fs::path profileDir,
                             std::string defaultRSBase)
    : db_(db),
      ui_(ui),
      profileDir_(std::move(profileDir)),
      defaultRSBase_(std::move(defaultRSBase)) {}

int AsciiImporter::ImportAsciiFile(const fs::path& dataPath, std::string_view formatFile) {
    stats_ = AsciiImportStats{};
    ImportRun run(db_, ui_, LogPath(), dataPath, stats_);
    const fs::path formatPath =
        profileDir_ /
        fs::path(formatFile.empty() ? std::string_view("default.format") : formatFile);

    int status = kAsciiImportDone;
    // A format file that cannot be opened is passed over.
    if (FilePtr format = OpenForReading(formatPath)) {
        status = run.ReadFile(format.get(), false, 0);
    }
    if (status == kAsciiImportDone) {
        FilePtr data = OpenForReading(dataPath);
        if (!data) {
            status = kAsciiImportCannotOpen;
        } else {
            std::error_code ec;
            const std::uintmax_t length = fs::file_size(dataPath, ec);
            const int before = stats_.dataLines;
            status = run.ReadFile(data.get(), true, ec ? 0 : static_cast<std::uint64_t>(length));
            if (status == kAsciiImportDone && stats_.dataLines == before) {
                run.Log("The data file holds no data lines\n");
            }
        }
    }
    const bool recalc = status == kAsciiImportDone && run.RecalcRequested();
    const int flags = run.RecalcFlags();
    ui_.SetStatusText("Ready");
    ui_.SetProgressPercent(100);
    if (recalc) {
        CompositesRequest request;
        request.flags = flags;
        request.count = -1;
        for (int m = 0; m < kMarketCount; ++m) {
            request.market = m;
            ComputeComposites(db_, defaultRSBase_, request);
        }
    }
    return status;
}

}  // namespace velmora
