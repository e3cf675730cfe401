#include "import/MetastockImporter.h"

#include <algorithm>
#include <cstdio>

#include "database/FixedText.h"
#include "database/TickerFile.h"
#include "import/MetastockFiles.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c < 0x80         ? 1
                                : (c >> 5) == 6  ? 2
                                : (c >> 4) == 14 ? 3
                                : (c >> 3) == 30 ? 4
                                                 : 0;
        if (len == 0 || i + len > text.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Index files written on Windows hold names in its Western code page; the database keeps
// UTF-8. Text that is already valid UTF-8 (plain ASCII included) is kept as it is.
std::string IndexText(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    static constexpr char16_t kCp1252[32] = {
        0x20AC, u'?',   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, u'?',   0x017D, u'?',   u'?',   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, u'?',   0x017E, 0x0178};
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c);
    }
    return out;
}

}  // namespace

std::string MetastockRowText(const MetastockRowResult& r) {
    using Outcome = MetastockRowResult::Outcome;
    const auto count = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    switch (r.outcome) {
        case Outcome::NoTicker:
            return "no ticker, skipped";
        case Outcome::MissingDataFile:
            return "data file not found, skipped";
        case Outcome::UnsupportedFields:
            return "layout not read (" + r.layout + "), skipped";
        case Outcome::TickerRefused:
            return "the ticker's file name is taken, skipped";
        case Outcome::Imported:
        case Outcome::Incomplete:
            break;
    }
    std::string text = count(r.stored, "quotation") + " imported";
    if (r.createdStock) text += " (new stock)";
    if (r.merged > 0) text += ", " + count(r.merged, "intraday record") + " merged into daily bars";
    if (r.replaced > 0) {
        text += ", " + count(r.replaced, "record") + " replaced an earlier record of the same date";
    }
    if (r.skipped > 0) text += ", " + count(r.skipped, "unsound record") + " skipped";
    if (r.outcome == Outcome::Incomplete) text += ", stopped early: the data could not be read";
    return text;
}

std::string MetastockNoIndexMessage(const std::string& folder) {
    return "No 'MASTER' or 'EMASTER' file found\nin directory '" + folder +
           "'.\nYou should select the directory\nwhere MASTER or EMASTER file is located\n"
           "along with data files Fxx.DAT";
}

MetastockImporter::MetastockImporter(Database& db, SettingsStore& settings, UserInterface& ui)
    : db_(db), settings_(settings), ui_(ui) {}

std::string MetastockImporter::StartDirectory() const {
    return settings_.GetString("Paths", "Metastock").value_or("");
}

void MetastockImporter::ChooseFile(const fs::path& chosenFile) {
    const fs::path folder = chosenFile.parent_path();
    settings_.SetString("Paths", "Metastock", folder.string());
    OpenFolder(folder);
}

bool MetastockImporter::OpenFolder(const fs::path& folder) {
    folder_ = folder;
    folderText_ = folder.string();
    // Import is enabled once a folder was chosen, whatever the folder holds.
    importEnabled_ = true;
    rows_.clear();
    const auto index = ReadMetastockIndex(folder);
    if (!index) {
        ui_.ShowMessage(MetastockNoIndexMessage(folder.string()));
        return false;
    }
    for (const MetastockSecurity& s : index->securities) {
        MetastockRow row;
        row.ticker = IndexText(s.ticker);
        row.fullName = IndexText(s.fullName);
        row.format = s.fields == 5 ? "HLC" : "OHLC";
        row.from = MetastockDateText(s.firstDate);
        row.to = MetastockDateText(s.lastDate);
        row.checked = true;
        row.value = s.fileNumber * 65536 + s.fields;
        row.intraday = s.intraday;
        rows_.push_back(std::move(row));
    }
    return true;
}

void MetastockImporter::SetChecked(std::size_t row, bool checked) {
    if (row < rows_.size()) rows_[row].checked = checked;
}

void MetastockImporter::Toggle() {
    for (MetastockRow& row : rows_) row.checked = !row.checked;
}

std::string MetastockImporter::Trimmed(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return std::string(text.substr(0, n));
}

MetastockImportSummary MetastockImporter::Import() {
    using Outcome = MetastockRowResult::Outcome;
    MetastockImportSummary summary;
    ProgressReporter& progress = ui_.Progress();
    const int total = static_cast<int>(rows_.size());
    std::vector<PackedDate> written;
    for (int i = 0; i < total; ++i) {
        const MetastockRow& row = rows_[static_cast<std::size_t>(i)];
        if (!row.checked) continue;
        // Look the stock up under the ticker it would be created with, so that a long ticker
        // cut to the stock's 15 bytes finds the stock an earlier import created.
        std::string ticker = Trimmed(row.ticker);
        ticker.resize(Utf8Cut(ticker, 15));
        const std::string fullName = Trimmed(row.fullName);
        Stock* stock = ticker.empty() ? nullptr : db_.FindStockOrAlias(ticker);

        MetastockRowResult result;
        result.row = i;
        result.ticker = stock ? stock->Ticker.Str() : ticker;
        if (!progress.Step(i, total, result.ticker, kProgressCaption)) {
            summary.cancelled = true;
            break;
        }
        if (ticker.empty()) {
            result.outcome = Outcome::NoTicker;
            summary.rows.push_back(std::move(result));
            continue;
        }
        if (stock == nullptr) {
            if (const Status free = CheckTickerFile(db_, ticker); !free) {
                ui_.ShowMessage(free.ToString());
                result.outcome = Outcome::TickerRefused;
                summary.rows.push_back(std::move(result));
                continue;
            }
        }

        result.layout = MetastockLayoutText(row.Fields(), row.intraday);
        MetastockDataReader reader(MetastockDataPath(folder_, row.FileNumber()), row.Fields(),
                                   row.intraday);
        if (!reader.status()) {
            // Nothing can be read: the security is skipped without leaving an empty stock.
            result.outcome = reader.status().Code() == StatusCode::NotSupported
                                 ? Outcome::UnsupportedFields
                                 : Outcome::MissingDataFile;
            summary.rows.push_back(std::move(result));
            continue;
        }
        if (stock == nullptr) {
            stock = db_.AddStock(ticker);
            stock->FullName.Set(fullName);
            SetContinuous(*stock, true);
            db_.MarkModified(*stock);
            result.createdStock = true;
        }

        Quotation rec;
        written.clear();
        while (reader.Next(rec)) {
            Quotation* q = db_.AddQuotation(*stock, rec.Date);
            if (q == nullptr) {
                result.outcome = Outcome::Incomplete;
                break;
            }
            *q = rec;
            written.push_back(rec.Date);
        }
        // A date written twice holds one quotation: the later record's.
        std::sort(written.begin(), written.end());
        const auto distinct = std::unique(written.begin(), written.end()) - written.begin();
        result.stored = static_cast<int>(distinct);
        result.replaced = static_cast<int>(written.size()) - result.stored;
        if (!reader.status()) result.outcome = Outcome::Incomplete;
        result.skipped = reader.skipped();
        result.merged = reader.merged();
        summary.rows.push_back(std::move(result));
    }
    progress.Close();
    return summary;
}

}  // namespace velmora
