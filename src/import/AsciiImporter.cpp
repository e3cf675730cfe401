#include "import/AsciiImporter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "database/Composites.h"
#include "database/FixedText.h"
#include "database/TickerFile.h"
#include "import/AsciiFieldDecoder.h"
#include "import/AsciiLineChecks.h"
#include "import/AsciiLineReader.h"
#include "import/AsciiText.h"
#include "platform/FileUtil.h"
#include "platform/Saturate.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

using ascii::CarriedValues;
using ascii::Cut;
using ascii::DecodeLine;
using ascii::Field;
using ascii::IsBlank;
using ascii::kMaxFullName;
using ascii::kMaxTicker;
using ascii::LineBatch;
using ascii::LineReader;
using ascii::LineValues;

using ascii::kMaxLine;
constexpr std::size_t kMaxFields = 30;     // entries of a $FORMAT field list
constexpr std::size_t kStoredTicker = 15;  // characters of a stock's ticker
constexpr int kRefreshLines = 64;          // data lines between status refreshes
// Threads decoding lines ahead of the interpreter: beyond three they outrun it.
constexpr int kMaxHelpers = 3;

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

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && EqualNoCase(text.substr(0, word.size()), word);
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

bool FitsFloat(double v) {
    return std::isfinite(v) && std::fabs(v) <= FLT_MAX;
}

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// A line as read, for the log.
struct RawLine {
    std::string_view text;
    std::uint32_t number = 0;
};

// One import of a file pair: the import state and the interpreter of its lines.
class ImportRun {
  public:
    ImportRun(Database& db, UserInterface& ui, const fs::path& logPath, const fs::path& dataPath,
              AsciiImportStats& stats, int threads)
        : db_(db),
          ui_(ui),
          logPath_(logPath),
          dataPath_(dataPath),
          statusText_("Importing " + dataPath.string()),
          stats_(stats) {
        // The ticker starts as the data file's name without directory and extension.
        carried_.ticker = Cut(dataPath.stem().string(), kMaxTicker);
        fields_ = {Field::DateMdy, Field::Open,  Field::High,
                   Field::Low,     Field::Close, Field::Volume};
        threads_ = std::max(threads, 1);
    }

    // Reads one file of the pair. Returns kAsciiImportDone, or kAsciiImportUnknownKeyword.
    // The next batch of lines is read before the current one is interpreted in file order, and
    // helper threads decode it meanwhile: the outcome is that of one line after another.
    int ReadFile(std::FILE* file, bool dataPass, std::uint64_t fileLength) {
        LineReader reader(file);
        dataPass_ = dataPass;
        fileLength_ = fileLength;
        sinceRefresh_ = 0;
        auto current = std::make_unique<LineBatch>();
        auto next = std::make_unique<LineBatch>();
        // The first batch is decoded as it is interpreted: a short file starts no thread.
        current->Prepare(fields_, separator_, formatVersion_);
        FillBatch(reader, *current);
        while (!current->entries.empty()) {
            const bool more = current->entries.size() == LineBatch::kLines;
            if (more) {
                // Decoded with the format of now: a command in this batch that changes it has
                // the lines after it decoded again.
                next->Prepare(fields_, separator_, formatVersion_);
                FillBatch(reader, *next);
                next->StartDecoding(std::min(threads_ - 1, kMaxHelpers));
            }
            const Outcome outcome = InterpretBatch(*current);
            if (outcome == Outcome::UnknownKeyword) return kAsciiImportUnknownKeyword;
            if (outcome == Outcome::Stop || !more) break;
            std::swap(current, next);
        }
        return kAsciiImportDone;
    }

    bool RecalcRequested() const { return (recalcAD_ || recalcVolume_) && storedAnything_; }
    int RecalcFlags() const {
        return (recalcVolume_ ? kCompositeVolume : 0) | (recalcAD_ ? kCompositeAdvDec : 0);
    }
    void Log(const char* text) {
        if (std::FILE* log = LogFile()) std::fputs(text, log);
    }

  private:
    enum class Outcome { Go, Stop, UnknownKeyword };

    Outcome InterpretBatch(LineBatch& batch) {
        constexpr std::size_t kReachedEvery = 64;
        for (std::size_t i = 0; i < batch.entries.size(); ++i) {
            if (i % kReachedEvery == 0) batch.Reached(i);
            if (const Outcome outcome = InterpretLine(batch, i); outcome != Outcome::Go) {
                return outcome;
            }
        }
        return Outcome::Go;
    }

    Outcome InterpretLine(LineBatch& batch, std::size_t index) {
        const LineBatch::Entry& entry = batch.entries[index];
        const RawLine line{batch.Text(entry), entry.number};
        if (dataPass_ && skipLines_ > 0) {
            --skipLines_;
            return Outcome::Go;
        }
        if (entry.tooLong || entry.hasNul) {
            ++stats_.dataLines;
            ++stats_.errorLines;
            if (std::FILE* log = LogFile()) {
                LogLine(log, "Error in", line);
                std::fputs(entry.tooLong ? "Line longer than 254 characters\n"
                                         : "Line contains a NUL character\n",
                           log);
            }
            if (dataPass_ && breakOnError_) {
                stats_.stopped = true;
                return Outcome::Stop;
            }
            return Outcome::Go;
        }
        std::string_view text = line.text;
        std::size_t start = 0;
        while (start < text.size() && IsBlank(text[start])) ++start;
        text.remove_prefix(start);
        if (text.empty() || text[0] == ';' || text[0] == '*' || text[0] == '#') return Outcome::Go;
        // Every command word begins with '$'.
        if (text[0] == '$') {
            std::size_t wordLength = 0;
            if (const auto command = MatchCommand(text, wordLength)) {
                return RunCommand(*command, text.substr(wordLength)) ? Outcome::Go
                                                                     : Outcome::UnknownKeyword;
            }
        }
        ++stats_.dataLines;
        // A decode made ahead holds when no command changed the format since.
        ascii::DecodedLine* decoded =
            batch.formatVersion == formatVersion_ ? batch.Decoded(index) : nullptr;
        const bool stored = DataLine(text, line, decoded);
        if (!stored && dataPass_ && breakOnError_) {
            stats_.stopped = true;
            return Outcome::Stop;
        }
        if (dataPass_ && ++sinceRefresh_ == kRefreshLines) {
            sinceRefresh_ = 0;
            ui_.SetStatusText(statusText_);
            if (fileLength_ > 0) {
                ui_.SetProgressPercent(static_cast<int>(
                    std::min<std::uint64_t>(entry.consumed * 100 / fileLength_, 100)));
            }
        }
        return Outcome::Go;
    }

    // Runs a command with the rest of its line. False for a $FORMAT naming an unknown keyword.
    bool RunCommand(Command command, std::string_view rest) {
        if (command == Command::Separator || command == Command::Format) ++formatVersion_;
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
                carried_.market = number;
                break;
            case Command::Group:
                carried_.group = number;
                break;
            case Command::Industry:
                carried_.industry = number;
                break;
            case Command::VolFactor:
                carried_.volumeFactor = ParseLeadingNumber(value);
                break;
            case Command::PriceFactor:
                carried_.priceFactor = ParseLeadingNumber(value);
                break;
            case Command::Ticker:
                carried_.ticker = Cut(value, kMaxTicker);
                break;
            case Command::AppendTicker:
                carried_.ticker = Cut(carried_.ticker + std::string(value), kMaxTicker);
                break;
            case Command::FullName:
                carried_.fullName = Cut(value, kMaxFullName);
                break;
            case Command::DateYmd:
                carried_.date = ConvertDateText(value, DateOrder::YearFirst);
                break;
            case Command::DateMdy:
                carried_.date = ConvertDateText(value, DateOrder::MonthFirst);
                break;
            case Command::DateDmy:
                carried_.date = ConvertDateText(value, DateOrder::DayFirst);
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
            const auto field = ascii::MatchFieldKeyword(value.substr(start, i - start));
            if (!field) return false;
            if (fields.size() < kMaxFields) fields.push_back(*field);
        }
        fields_ = std::move(fields);
        return true;
    }

    // The log is opened by $DEBUG, or else by the first line it has to report.
    void OpenLog() {
        if (log_ || logFailed_) return;
        log_.reset(std::fopen(logPath_.string().c_str(), "ab"));
        logFailed_ = !log_;
        if (log_) {
            std::fprintf(log_.get(), "\nLogging started for '%s' file\n",
                         dataPath_.string().c_str());
        }
    }

    std::FILE* LogFile() {
        OpenLog();
        return log_.get();
    }

    // Writes "<what> line <n>: " and the line as read, with its line end.
    void LogLine(std::FILE* log, const char* what, const RawLine& line) {
        std::string text(line.text.substr(0, kMaxLine));
        std::replace(text.begin(), text.end(), '\0', ' ');
        std::fprintf(log, dataPass_ ? "%s line %u: " : "%s line %u of the format file: ", what,
                     static_cast<unsigned>(line.number));
        std::fwrite(text.data(), 1, text.size(), log);
        std::fputc('\n', log);
    }

    // The categories and full name the commands and fields gave, for an added stock or, with
    // $OVERWRITE, any stock a line stores to.
    void ApplyCategories(Stock& stock) {
        const CarriedValues& c = carried_;
        if (c.group >= 0 && c.group < kGroupCount) SetGroupID(stock, c.group);
        if (c.market >= 0 && c.market < kMarketCount) SetMarketID(stock, c.market);
        if (continuous_ >= 0) SetContinuous(stock, continuous_ != 0);
        if (c.industry >= 0 && c.industry < kIndustryCount) stock.IndustryID = c.industry;
        if (!c.fullName.empty()) stock.FullName.Set(c.fullName);
        db_.MarkModified(stock);
    }

    // Whether $AUTOADD may make a stock of the ticker: not when its file name is another
    // stock's file or ends in ".ZZZ". The refusal is shown once per ticker; its lines then count
    // as lines of a missing stock.
    bool MayAdd(std::string_view ticker) {
        if (!tickerFiles_) tickerFiles_.emplace(db_);
        const Status free = tickerFiles_->Check(ticker);
        if (free) return true;
        if (refusedTickers_.insert(std::string(ticker)).second) ui_.ShowMessage(free.ToString());
        return false;
    }

    // What storing a data line came to.
    struct StoreOutcome {
        bool stored = false;
        bool outOfRange = false;    // a number does not fit its record field
        bool badFactor = false;     // $VOLFACTOR or $PRICEFACTOR lies outside the sane range
        bool clamped = false;       // the volume or open interest was held at the 32-bit range
        bool missingStock = false;  // no stock has the ticker, and none was added
        bool replaced = false;      // an earlier line had stored the quotation
        unsigned findings = 0;      // what is implausible about the stored bar
        Quotation previous;         // the stock's quotation before it (Date 0: none)
    };

    // Interprets a data line (decoded ahead, or else here); true when it stored something.
    bool DataLine(std::string_view text, const RawLine& raw, ascii::DecodedLine* decoded) {
        const LineValues line = decoded != nullptr
                                    ? ascii::CompleteLine(*decoded, carried_)
                                    : DecodeLine(text, fields_, separator_, carried_);
        const StoreOutcome outcome = StoreLine(line);
        RecordOutcome(outcome, line, raw);
        if (line.appended) carried_.ticker.clear();
        return outcome.stored;
    }

    // Stores the line as an advance/decline record of the carried market when it has issue
    // counts, else as a quotation of the carried ticker.
    StoreOutcome StoreLine(const LineValues& line) {
        StoreOutcome outcome;
        if (!ascii::SaneFactor(carried_.volumeFactor) || !ascii::SaneFactor(carried_.priceFactor)) {
            outcome.badFactor = true;
            return outcome;
        }
        if (carried_.date == kNoDate) return outcome;
        if (carried_.market >= 0 &&
            (line.advIssues > 0 || line.decIssues > 0 || line.uncIssues > 0)) {
            StoreAdvanceDecline(line, outcome);
        } else if (line.close > 0 && !carried_.ticker.empty()) {
            if (!FitsFloat(line.open) || !FitsFloat(line.high) || !FitsFloat(line.low) ||
                !FitsFloat(line.close)) {
                outcome.outOfRange = true;
            } else {
                outcome.stored = StoreQuotation(line, outcome);
            }
        }
        return outcome;
    }

    void StoreAdvanceDecline(const LineValues& line, StoreOutcome& outcome) {
        const int market = carried_.market;
        if (market >= kMarketCount || !FitsFloat(line.advVolume) || !FitsFloat(line.decVolume) ||
            !FitsFloat(line.uncVolume) || line.advIssues >= 2147483648.0 ||
            line.decIssues >= 2147483648.0 || line.uncIssues >= 2147483648.0) {
            outcome.outOfRange = true;
            return;
        }
        ADQuotation* r = db_.AddADQuotation(
            db_.Categories().Markets[static_cast<std::size_t>(market)], carried_.date);
        if (r == nullptr) return;
        r->AdvIssues = SaturateToInt32(line.advIssues);
        r->DecIssues = SaturateToInt32(line.decIssues);
        r->UncIssues = SaturateToInt32(line.uncIssues);
        r->AdvVolume = static_cast<float>(line.advVolume);
        r->DecVolume = static_cast<float>(line.decVolume);
        r->UncVolume = static_cast<float>(line.uncVolume);
        outcome.stored = true;
    }

    // Counts the line in the statistics and logs what the import did instead of storing it as
    // written: why it stored nothing, or a clamped volume, a replaced quotation, an implausible
    // bar or a completed price.
    void RecordOutcome(const StoreOutcome& outcome, const LineValues& line, const RawLine& raw) {
        if (!outcome.stored) {
            RecordError(outcome, line, raw);
            return;
        }
        ++stats_.storedLines;
        if (line.timeOfDay) ++stats_.intradayLines;
        std::FILE* log = nullptr;
        if (outcome.clamped) {
            ++stats_.clampedVolumes;
            if ((log = LogFile()) != nullptr) {
                LogLine(log, "Volume clamped in", raw);
                std::fputs(
                    "Volume or open interest beyond the 32-bit range, held at its limit "
                    "($VOLFACTOR 0.001 stores thousands)\n",
                    log);
            }
        }
        if (outcome.replaced) {
            ++stats_.replacedLines;
            if ((log = LogFile()) != nullptr) {
                LogLine(log, "Replaced in", raw);
                std::fputs("Replaces the quotation an earlier line stored for the same date\n",
                           log);
                if (line.timeOfDay) {
                    std::fputs(
                        "The date carries a time of day: $HYBRID 1 merges intraday bars "
                        "into daily bars\n",
                        log);
                }
            }
        }
        if (outcome.findings != 0 || line.repaired != 0) {
            ++stats_.warningLines;
            if ((log = LogFile()) != nullptr) {
                LogLine(log, "Warning in", raw);
                ascii::WriteFindings(
                    log, outcome.findings, line.repaired,
                    outcome.previous.Date != kNoDate ? &outcome.previous : nullptr);
            }
        }
    }

    void RecordError(const StoreOutcome& outcome, const LineValues& line, const RawLine& raw) {
        ++stats_.errorLines;
        std::FILE* log = LogFile();
        if (log == nullptr) return;
        const std::string& ticker = carried_.ticker;
        LogLine(log, "Error in", raw);
        if (!ticker.empty() &&
            (outcome.missingStock || db_.FindStockOrAlias(LookupName()) == nullptr)) {
            std::fprintf(log, "'%s' - this stock/ticker does not exist in the database\n",
                         ticker.c_str());
        }
        if (line.close <= 0) std::fputs("Invalid (close) price\n", log);
        if (carried_.date == kNoDate) std::fputs("Invalid date format/value\n", log);
        if (ticker.empty()) std::fputs("Ticker name is empty (unknown)\n", log);
        if (outcome.outOfRange) std::fputs("Number out of range\n", log);
        if (outcome.badFactor) {
            std::fprintf(log, "$VOLFACTOR %g or $PRICEFACTOR %g outside %g to %g\n",
                         carried_.volumeFactor, carried_.priceFactor, ascii::kMinFactor,
                         ascii::kMaxFactor);
        }
    }

    // The ticker as a stock holds it: its first 15 bytes.
    std::string_view LookupName() const {
        const std::string_view ticker = carried_.ticker;
        return ticker.substr(0, Utf8Cut(ticker, kStoredTicker));
    }

    // Stores the line as a quotation of the carried ticker's stock (added with $AUTOADD). With
    // $HYBRID, a quotation already stored for the date keeps its open, mark and reduction,
    // widens the range and adds to the volume and open interest.
    bool StoreQuotation(const LineValues& line, StoreOutcome& outcome) {
        const std::string_view name = LookupName();
        // Files hold runs of lines of one ticker: the stock of the line before is used again
        // while the ticker is the same.
        Stock* stock = name == lastName_ ? lastStock_ : db_.FindStockOrAlias(name);
        if (stock == nullptr && autoAdd_ && MayAdd(name)) {
            stock = db_.AddStock(name);
            tickerFiles_->Added(*stock);
            ++stats_.addedStocks;
            ApplyCategories(*stock);
        }
        if (stock != nullptr && name != lastName_) {
            lastName_.assign(name);
            lastStock_ = stock;
        }
        if (stock == nullptr) {
            outcome.missingStock = true;
            return false;
        }
        if (overwrite_) ApplyCategories(*stock);

        const PackedDate date = carried_.date;
        double open = line.open, high = line.high, low = line.low;
        bool volumeClamped = false, openIntClamped = false;
        std::int64_t vol = SaturateToInt32(line.volume, volumeClamped);
        std::int64_t oi = SaturateToInt32(line.openInt, openIntClamped);
        std::uint8_t storedMark = line.mark;
        std::uint8_t storedReduction =
            static_cast<std::uint8_t>(std::clamp(line.reduction, 0.0, 255.0));
        if (hybrid_) {
            if (const Quotation* q = Database::FindQuotation(*stock, date)) {
                open = q->Open;
                high = std::max(static_cast<double>(q->High), high);
                low = std::min(static_cast<double>(q->Low), low);
                vol += q->Volume;
                oi += q->OpenInt;
                storedMark = q->Mark;
                storedReduction = q->Reduction;
            }
        }
        bool& clamped = outcome.clamped;
        const auto hold = [&clamped](std::int64_t v) {
            if (v > INT32_MAX || v < INT32_MIN) clamped = true;
            return ClampToInt32(v);
        };
        clamped = volumeClamped || openIntClamped;
        const std::int32_t storedVolume = hold(vol);
        const std::int32_t storedOpenInt = hold(oi);
        Quotation* q = db_.AddQuotation(*stock, date);
        if (q == nullptr) return false;
        q->Close = static_cast<float>(line.close);
        q->Volume = storedVolume;
        q->OpenInt = storedOpenInt;
        q->Mark = storedMark;
        q->Reduction = storedReduction;
        q->Open = static_cast<float>(open);
        q->High = static_cast<float>(high);
        q->Low = static_cast<float>(low);
        const std::size_t index = static_cast<std::size_t>(q - stock->Quotations.data());
        const Quotation* previous = index > 0 ? &stock->Quotations[index - 1] : nullptr;
        if (previous != nullptr) outcome.previous = *previous;
        outcome.findings = ascii::CheckBar(*q, previous);
        if (!hybrid_) outcome.replaced = storedDates_.Record(stock, date);
        if (recalcAD_ || recalcVolume_) storedAnything_ = true;
        return true;
    }

    Database& db_;
    UserInterface& ui_;
    fs::path logPath_;
    fs::path dataPath_;
    std::string statusText_;  // shown while the data file is read
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
    std::set<std::string> refusedTickers_;
    // Made at the first stock the import may add; only the import adds stocks while it runs.
    std::optional<TickerFileIndex> tickerFiles_;
    bool overwrite_ = false;
    int continuous_ = -1;
    CarriedValues carried_;
    bool storedAnything_ = false;
    bool logFailed_ = false;
    bool dataPass_ = false;
    ascii::StoredDates storedDates_;
    std::string lastName_;  // the name the last stored quotation's stock was found by
    Stock* lastStock_ = nullptr;
    int threads_ = 1;
    std::uint64_t formatVersion_ = 0;  // counts the commands that changed the format
    std::uint64_t fileLength_ = 0;
    int sinceRefresh_ = 0;  // data lines since the last status refresh
};

// The file, or null with `why` (when given) saying why not.
FilePtr OpenForReading(const fs::path& path, FileKind kind, Status* why = nullptr) {
    Status readable = path.empty() ? Status::FileError("cannot open", path, ENOENT)
                                   : CheckReadableFile(path, kind);
    if (!readable) {
        if (why != nullptr) *why = std::move(readable);
        return FilePtr(nullptr, &std::fclose);
    }
    FilePtr file(std::fopen(path.string().c_str(), "rb"), &std::fclose);
    if (!file && why != nullptr) *why = ErrnoStatus("cannot open", path);
    return file;
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
    failure_ = Status::Ok();
    ImportRun run(db_, ui_, LogPath(), dataPath, stats_, threads_);
    const fs::path formatPath =
        profileDir_ /
        fs::path(formatFile.empty() ? std::string_view("default.format") : formatFile);

    int status = kAsciiImportDone;
    // A missing format file is passed over (the built-in field list applies); one that exists
    // but cannot be read stops the import, as its lines would be read with the wrong fields.
    Status formatUnread;
    if (FilePtr format = OpenForReading(formatPath, FileKind::FormatDefinitions, &formatUnread)) {
        status = run.ReadFile(format.get(), false, 0);
    } else if (formatUnread.Code() != StatusCode::NotFound) {
        failure_ = std::move(formatUnread);
        status = kAsciiImportCannotOpen;
    }
    if (status == kAsciiImportDone) {
        FilePtr data = OpenForReading(dataPath, FileKind::Import, &failure_);
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
            CompositesResult result;
            ComputeComposites(db_, defaultRSBase_, request, &result);
            if (!result.history) ui_.ShowMessage(result.history.ToString());
        }
    }
    return status;
}

}  // namespace velmora
