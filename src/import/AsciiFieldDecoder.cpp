#include "import/AsciiFieldDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "database/FixedText.h"
#include "import/AsciiText.h"
#include "platform/Saturate.h"

namespace velmora::ascii {

namespace {

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

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && EqualNoCase(text.substr(0, word.size()), word);
}

// The tokens of a data line, read one after another. Each read moves past the token and its
// separator.
class Tokens {
  public:
    Tokens(std::string_view line, char separator) : line_(line), separator_(separator) {}

    // Passes over blanks; false when the line has ended.
    bool SkipBlanks() {
        while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
        return pos_ < line_.size();
    }

    // A text token: in double quotes, or up to the separator. Empty when its end is missing.
    std::string_view Text() {
        std::string_view text;
        if (line_[pos_] == '"') {
            const std::size_t close = line_.find('"', pos_ + 1);
            if (close == std::string_view::npos) {
                pos_ = line_.size();
                return {};
            }
            text = line_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = std::min(close + 2, line_.size());
        } else {
            const std::size_t end = line_.find(separator_, pos_);
            if (end == std::string_view::npos) {
                pos_ = line_.size();
                return {};
            }
            text = line_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        return TrimRight(text);
    }

    double Number() {
        std::size_t used = 0;
        double value = ParseLeadingNumber(line_.substr(pos_), &used);
        const std::size_t p = pos_ + used;
        // The separator usually follows the number at once.
        std::size_t end =
            p < line_.size() && line_[p] == separator_ ? p : line_.find(separator_, p);
        if (end == std::string_view::npos) end = line_.size();
        // "12 3/8": a fraction after blanks, before the separator, adds (a*100/b) hundredths.
        if (p < end && IsBlank(line_[p])) {
            std::size_t q = p;
            while (q < end && IsBlank(line_[q])) ++q;
            long long a = 0, b = 0;
            std::size_t digits = 0;
            for (; q < end && line_[q] >= '0' && line_[q] <= '9'; ++q, ++digits) {
                a = std::min(a * 10 + (line_[q] - '0'), 1000000000LL);
            }
            if (digits > 0 && q < end && (line_[q] == '/' || line_[q] == '\\')) {
                ++q;
                std::size_t bDigits = 0;
                for (; q < end && line_[q] >= '0' && line_[q] <= '9'; ++q, ++bDigits) {
                    b = std::min(b * 10 + (line_[q] - '0'), 1000000000LL);
                }
                if (bDigits > 0 && b != 0) {
                    const long long hundredths = a * 100 / b;  // whole hundredths, cut off
                    value += static_cast<double>(hundredths) * 0.01;
                }
            }
        }
        pos_ = end < line_.size() ? end + 1 : line_.size();
        return value;
    }

  private:
    std::string_view line_;
    char separator_;
    std::size_t pos_ = 0;
};

// How one field kind goes into the decoded line: reads its token and stores what it means.
// `ticker` is the carried ticker an APPENDTICKER field extends.
using Decode = void (*)(Tokens&, DecodedLine&, std::string_view ticker);

struct FieldRule {
    Field field;
    Decode decode;
};

template <double LineValues::*Value>
void Number(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.values.*Value = tokens.Number();
}

// Open, high and low: the line notes that it gave them, so that a completed one is reported.
template <double LineValues::*Value, unsigned Given>
void Price(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.values.*Value = tokens.Number();
    line.values.given |= Given;
}

// Issue counts and the reduction are whole numbers: the fraction is dropped.
template <double LineValues::*Value>
void WholeNumber(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.values.*Value = std::trunc(tokens.Number());
}

template <double CarriedValues::*Value, unsigned Set>
void CarriedNumber(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.carried.*Value = tokens.Number();
    line.carriedSet |= Set;
}

template <int CarriedValues::*Value, unsigned Set>
void Category(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.carried.*Value = SaturateToInt32(tokens.Number());
    line.carriedSet |= Set;
}

template <DateOrder Order>
void Date(Tokens& tokens, DecodedLine& line, std::string_view) {
    const std::string_view text = tokens.Text();
    line.carried.date = ConvertDateText(text, Order);
    line.carriedSet |= kSetDate;
    line.values.timeOfDay = text.find(':') != std::string_view::npos;
}

template <int Scale>
void ScaledVolume(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.values.volume = tokens.Number() * Scale;
}

void Skip(Tokens& tokens, DecodedLine&, std::string_view) {
    tokens.Text();
}

void Ticker(Tokens& tokens, DecodedLine& line, std::string_view) {
    const std::string_view text = tokens.Text();
    line.carried.ticker.assign(text.substr(0, Utf8Cut(text, kMaxTicker)));
    line.carriedSet |= kSetTicker;
}

// The token extends the carried ticker for this line only.
void AppendTicker(Tokens& tokens, DecodedLine& line, std::string_view ticker) {
    std::string& own = line.carried.ticker;
    const std::string base = (line.carriedSet & kSetTicker) != 0 ? own : std::string(ticker);
    own = Cut(base + std::string(tokens.Text()), kMaxTicker);
    line.carriedSet |= kSetTicker;
    line.values.appended = true;
}

void FullName(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.carried.fullName = Cut(tokens.Text(), kMaxFullName);
    line.carriedSet |= kSetFullName;
}

void Info(Tokens& tokens, DecodedLine& line, std::string_view) {
    line.values.mark = MarkCode(tokens.Text());
}

// One entry per field kind, in the order of Field.
constexpr std::array<FieldRule, 29> kFieldRules = {{
    {Field::Skip, &Skip},
    {Field::DateYmd, &Date<DateOrder::YearFirst>},
    {Field::DateMdy, &Date<DateOrder::MonthFirst>},
    {Field::DateDmy, &Date<DateOrder::DayFirst>},
    {Field::Ticker, &Ticker},
    {Field::AppendTicker, &AppendTicker},
    {Field::FullName, &FullName},
    {Field::Info, &Info},
    {Field::High, &Price<&LineValues::high, kGivenHigh>},
    {Field::Low, &Price<&LineValues::low, kGivenLow>},
    {Field::Close, &Number<&LineValues::close>},
    {Field::Open, &Price<&LineValues::open, kGivenOpen>},
    {Field::Volume, &Number<&LineValues::volume>},
    {Field::Vol1000, &ScaledVolume<1000>},
    {Field::VolMil, &ScaledVolume<1000000>},
    {Field::VolFactor, &CarriedNumber<&CarriedValues::volumeFactor, kSetVolumeFactor>},
    {Field::PriceFactor, &CarriedNumber<&CarriedValues::priceFactor, kSetPriceFactor>},
    {Field::Turnover, &Number<&LineValues::turnover>},
    {Field::Reduction, &WholeNumber<&LineValues::reduction>},
    {Field::Group, &Category<&CarriedValues::group, kSetGroup>},
    {Field::Market, &Category<&CarriedValues::market, kSetMarket>},
    {Field::Industry, &Category<&CarriedValues::industry, kSetIndustry>},
    {Field::AdvIssues, &WholeNumber<&LineValues::advIssues>},
    {Field::DecIssues, &WholeNumber<&LineValues::decIssues>},
    {Field::UncIssues, &WholeNumber<&LineValues::uncIssues>},
    {Field::AdvVolume, &Number<&LineValues::advVolume>},
    {Field::DecVolume, &Number<&LineValues::decVolume>},
    {Field::UncVolume, &Number<&LineValues::uncVolume>},
    {Field::OpenInt, &Number<&LineValues::openInt>},
}};

constexpr bool RulesInFieldOrder() {
    for (std::size_t i = 0; i < kFieldRules.size(); ++i) {
        if (kFieldRules[i].field != static_cast<Field>(i)) return false;
    }
    return kFieldRules.back().field == Field::OpenInt;
}
static_assert(RulesInFieldOrder(), "kFieldRules holds one entry per Field, in its order");

void CompletePrices(LineValues& line, const CarriedValues& carried) {
    if (line.open <= 0) {
        line.repaired |= line.given & kGivenOpen;
        line.open = line.close;
    }
    if (line.high <= 0) {
        line.repaired |= line.given & kGivenHigh;
        line.high = std::max(line.open, line.close);
    }
    if (line.low <= 0) {
        line.repaired |= line.given & kGivenLow;
        line.low = std::min(line.open, line.close);
    }
    const double factor = carried.priceFactor;
    if (factor != 1) {
        line.open *= factor;
        line.close *= factor;
        line.high *= factor;
        line.low *= factor;
    }
    if (line.volume > 0) {
        line.volume *= carried.volumeFactor;
    } else if (line.turnover > 0 && line.close > 0) {
        line.volume = line.turnover * carried.volumeFactor / (2 * line.close);
    }
}

}  // namespace

std::optional<Field> MatchFieldKeyword(std::string_view token) {
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

DecodedLine DecodeFields(std::string_view text, std::span<const Field> fields, char separator,
                         std::string_view ticker) {
    DecodedLine line;
    Tokens tokens(text, separator);
    for (const Field field : fields) {
        if (!tokens.SkipBlanks()) break;
        kFieldRules[static_cast<std::size_t>(field)].decode(tokens, line, ticker);
    }
    return line;
}

LineValues CompleteLine(DecodedLine& line, CarriedValues& carried) {
    const unsigned set = line.carriedSet;
    if (set != 0) {
        CarriedValues& own = line.carried;
        if (set & kSetTicker) carried.ticker.swap(own.ticker);
        if (set & kSetFullName) carried.fullName.swap(own.fullName);
        if (set & kSetDate) carried.date = own.date;
        if (set & kSetVolumeFactor) carried.volumeFactor = own.volumeFactor;
        if (set & kSetPriceFactor) carried.priceFactor = own.priceFactor;
        if (set & kSetMarket) carried.market = own.market;
        if (set & kSetGroup) carried.group = own.group;
        if (set & kSetIndustry) carried.industry = own.industry;
    }
    CompletePrices(line.values, carried);
    return line.values;
}

std::string Cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, Utf8Cut(text, limit)));
}

}  // namespace velmora::ascii
