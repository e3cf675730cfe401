#include "database/Workspace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <system_error>
#include <vector>

#include "database/QuotationMemory.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"
#include "platform/CommitRecord.h"
#include "platform/DeferredSignals.h"
#include "platform/FileBatch.h"
#include "platform/ParallelFor.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr char kDeletedSuffix[] = ".ZZZ";
constexpr char kMigrationSuffix[] = ".&&&";
// A stock file that could not be read is renamed NAME.damaged-YYYY-MM-DD by a writable load.
constexpr std::string_view kDamagedMark = ".damaged-";

// ".damaged-" and today's date.
std::string DamagedSuffix() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return std::string(kDamagedMark) + date;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// "Could not write 'PATH'", with the system's reason when it gave one.
std::string CouldNotWrite(const fs::path& path, const Status& status) {
    std::string text = "Could not write '" + path.string() + "'";
    if (status.ErrorNumber() != 0) text += std::string(": ") + std::strerror(status.ErrorNumber());
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string Printf(const char* format, const std::string& arg) {
    std::string out(format);
    const auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

// Files set aside by a run that ended without saving (a crash, a killed process): the deletion
// was never confirmed by a save, so the file takes its name back, unless a file of that name
// has been written since. Loading them under their ".ZZZ" name instead would bring the stock
// back only until the next save deleted its file for good.
void RestoreUnconfirmedDeletions(const fs::path& dir, std::vector<DirEntry>& entries) {
    std::error_code ec;
    bool renamed = false;
    for (const DirEntry& e : entries) {
        if (e.isDirectory || !EndsWith(e.name, kDeletedSuffix)) continue;
        const std::string base = e.name.substr(0, e.name.size() - 4);
        if (fs::exists(dir / base, ec)) continue;
        fs::rename(dir / e.name, dir / base, ec);
        renamed = renamed || !ec;
    }
    if (renamed) entries = ListDirectory(dir);
}

// One stock file as a worker read it.
struct StockFileRead {
    fs::path file;
    Status status;
    LoadedStock result;
};

// The stock files among the entries (not the hidden ones, the directories and the deleted
// files), read on as many threads as there are scratch buffers; in the entries' order.
std::vector<StockFileRead> ReadStockFiles(const fs::path& dir, const std::vector<DirEntry>& entries,
                                          const StockFileOptions& options,
                                          std::vector<Bytes>& scratch) {
    std::vector<StockFileRead> reads;
    for (const DirEntry& e : entries) {
        if (e.name.empty() || e.name[0] == '.' || e.isDirectory) continue;
        if (EndsWith(e.name, kDeletedSuffix)) continue;
        if (e.name.find(kDamagedMark) != std::string::npos) continue;
        reads.push_back({dir / e.name, Status::Ok(), {}});
    }
    // Each worker lays the quotations it loads side by side in ranges of its own.
    std::vector<BulkQuotationMemory> bulk(scratch.size());
    ParallelFor(reads.size(), static_cast<int>(scratch.size()), [&](std::size_t i, int worker) {
        const auto w = static_cast<std::size_t>(worker);
        BulkQuotationMemory::Use use(bulk[w]);
        StockFileRead& read = reads[i];
        read.status = ReadStockFile(read.file, options, read.result, scratch[w]);
    });
    return reads;
}

}  // namespace

bool LooksLikeWorkspace(const fs::path& dir) {
    if (!IsDirectory(dir)) return false;
    std::error_code ec;
    if (fs::exists(dir / kWorkspaceFileName, ec)) return true;
    for (const DirEntry& e : ListDirectory(dir)) {
        if (e.isDirectory && e.name.size() == 1 &&
            std::string_view(kDirectoryLetters)
                    .find(static_cast<char>(std::tolower(static_cast<unsigned char>(e.name[0])))) !=
                std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool HoldsWorkspaceData(const fs::path& dir) {
    if (!LooksLikeWorkspace(dir)) return false;
    std::error_code ec;
    if (fs::exists(dir / kWorkspaceFileName, ec)) return true;
    for (int letter = 0; letter < kDirectoryLetterCount; ++letter) {
        const fs::path sub = MatchNoCase(dir, std::string(1, kDirectoryLetters[letter]));
        for (const DirEntry& e : ListDirectory(sub)) {
            if (!e.isDirectory && !e.name.empty() && e.name[0] != '.') return true;
        }
    }
    return false;
}

bool Workspace::EnsureLayout(const fs::path& dir) {
    std::error_code ec;
    if (IsDirectory(dir / "_")) return true;
    if (!IsDirectory(dir)) {
        fs::create_directories(dir, ec);
        if (ec || !IsDirectory(dir)) {
            ui_.ShowMessage(
                Printf("Could not create the workspace directory\n'%s'.", dir.string()));
            return false;
        }
    }
    if (!fs::exists(dir / kWorkspaceFileName, ec)) {
        for (const DirEntry& e : ListDirectory(dir)) {
            if (e.isDirectory || StartsWithNoCase(e.name, "tarvik.")) continue;
            if (auto head = ReadFileHead(dir / e.name, FileKind::Stock, 8)) {
                if (head->size() < 7 || std::memcmp(head->data(), "TARVDAT", 7) != 0) {
                    ui_.ShowMessage(
                        "This directory does not contain valid Velmora database.\n"
                        "Could not load any data.\nPlease choose different location.");
                    return false;
                }
            }
            break;
        }
    }
    for (int i = 0; i < kDirectoryLetterCount; ++i) {
        const std::string letter(1, kDirectoryLetters[i]);
        const fs::path sub = MatchNoCase(dir, letter);
        if (IsDirectory(sub)) continue;
        if (fs::exists(sub, ec)) {
            // The stock file of a one-character ticker is in the way.
            fs::path moved = sub;
            moved += kMigrationSuffix;
            fs::rename(sub, moved, ec);
        }
        fs::create_directory(dir / letter, ec);
    }
    for (const DirEntry& e : ListDirectory(dir)) {
        if (e.isDirectory || StartsWithNoCase(e.name, "tarvik.")) continue;
        std::string target = e.name;
        if (const auto cut = target.find(kMigrationSuffix); cut != std::string::npos) {
            target.resize(cut);
        }
        const fs::path to = MatchNoCase(dir, std::string(1, StockDirLetter(target))) / target;
        fs::rename(dir / e.name, to, ec);
    }
    if (!IsDirectory(dir / "_")) {
        ui_.ShowMessage(Printf("Could not create the workspace directory\n'%s'.", dir.string()));
        return false;
    }
    return true;
}

Status Workspace::RecoverInterruptedSave(const fs::path& dir, bool sweep) {
    const fs::path record = dir / kCommitRecordName;
    Status status;
    const Recovery recovery = RecoverCommit(record, *fs_, status);
    if (!status) {
        ui_.SetStatusText("Could not finish the interrupted save of '" + dir.string() +
                          "': " + status.ToString());
        return status;
    }
    if (recovery == Recovery::RolledForward) {
        ui_.SetStatusText("Finished the interrupted save of '" + dir.string() + "'");
    }
    if (!sweep && recovery == Recovery::None) return status;
    int removed = RemoveTemporaryFiles(dir, *fs_);
    for (const DirEntry& e : ListDirectory(dir)) {
        if (e.isDirectory && e.name.size() == 1)
            removed += RemoveTemporaryFiles(dir / e.name, *fs_);
    }
    if (removed > 0) {
        ui_.SetStatusText("Removed " + std::to_string(removed) +
                          " temporary files of an interrupted save from '" + dir.string() + "'");
    }
    return status;
}

bool Workspace::LoadWorkspace() {
    const fs::path dir = db_.WorkspaceDir();
    // A read-only load neither creates nor migrates anything.
    const bool readOnly = db_.ReadOnly();
    if (!readOnly && IsDirectory(dir)) {
        // What this fails to set right stays for the next open; the files load as they are.
        RecoverInterruptedSave(dir, true).IgnoreError();
    } else if (readOnly && fs::exists(fs::symlink_status(dir / kCommitRecordName))) {
        ui_.SetStatusText("A save of '" + dir.string() +
                          "' was interrupted; it is finished when the workspace is next opened "
                          "for writing");
    }
    if (readOnly ? !IsDirectory(dir) : !EnsureLayout(dir)) return false;
    db_.SetLoadedFromDir(dir);
    db_.ClearUnreadFiles();
    CategoryTables& tables = db_.Categories();
    for (Market& m : tables.Markets) m.ADQuotations.clear();
    const Status wsStatus = ReadWorkspaceFile(dir / kWorkspaceFileName, tables);
    if (!wsStatus && wsStatus.Code() != StatusCode::NotFound) {
        // Kept as it is on disk until the user agrees to replace it: saving the defaults and
        // the part that was read would lose the rest.
        db_.AddUnreadFile(wsStatus);
        db_.SetWorkspaceFileDamaged(true);
    }
    const bool unreadable =
        wsStatus.Code() == StatusCode::NotFound || wsStatus.Code() == StatusCode::IoError;
    if (unreadable && categoryNamesLoader_) {
        categoryNamesLoader_(tables);
    } else if (wsStatus.Code() == StatusCode::Corrupt) {
        ui_.SetStatusText(Printf("Workspace file '%s' is damaged; the rest of it was skipped",
                                 (dir / kWorkspaceFileName).string()));
    }

    StockFileOptions options;
    options.partial = prefs_.PartialLoading();
    options.loadUpto = prefs_.LoadUpto();
    options.studyColour = prefs_.Colour(ColourSetting::Study);
    int loaded = 0;
    // The files are read and decoded on every core (most of a load is the system's work of
    // reading and of giving the quotations fresh memory), then taken in directory order.
    std::vector<Bytes> scratch(static_cast<std::size_t>(HardwareThreads()));
    std::map<std::string, fs::path> tickerFiles;
    for (int letter = 0; letter < kDirectoryLetterCount; ++letter) {
        const fs::path sub = MatchNoCase(dir, std::string(1, kDirectoryLetters[letter]));
        std::vector<DirEntry> entries = ListDirectory(sub);
        // A deletion set aside by the program holding the workspace is not undone here.
        if (!readOnly) RestoreUnconfirmedDeletions(sub, entries);
        for (StockFileRead& read : ReadStockFiles(sub, entries, options, scratch)) {
            const Status& st = read.status;
            LoadedStock& result = read.result;
            if (st.Code() == StatusCode::NotSupported) {
                ui_.ShowMessage(
                    "Data in the old pre-3.0 format.\n"
                    "Please use Velmora/Win32 3.2 to convert it");
                break;
            }
            if (!st) {
                // A file removed since the directory was listed is no failure.
                if (st.Code() != StatusCode::NotFound)
                    KeepOutUnreadStockFile(read.file, st, result);
                continue;
            }
            if (!result.problem.empty()) {
                ui_.SetStatusText("Stock file '" + read.file.string() + "': " + result.problem);
            }
            if (!AdoptUnlessStray(read.file, std::move(result.stock), tickerFiles,
                                  {sub, kDirectoryLetters[letter]})) {
                continue;
            }
            if (++loaded % 8 == 0) {
                char buf[48];
                std::snprintf(buf, sizeof buf, "Loaded %d stocks", loaded);
                ui_.SetStatusText(buf);
            }
        }
        ui_.SetProgressPercent((letter + 1) * 100 / 36);
    }
    ui_.SetStatusText("Ready");
    db_.SetWorkspaceDirty(false);
    return true;
}

void Workspace::KeepOutUnreadStockFile(const fs::path& file, const Status& status,
                                       const LoadedStock& result) {
    std::string text = status.ToString();
    if (!result.problem.empty()) text += " (" + result.problem + ")";
    // Moved out of the way, so that no later creation or import of its ticker writes over it;
    // a read-only load changes nothing on disk.
    if (!db_.ReadOnly()) {
        const Result<fs::path> moved = SetFileAside(file, DamagedSuffix());
        text += moved ? "; moved aside to " + moved->string() : "; " + moved.GetStatus().ToString();
    }
    ui_.SetStatusText(text);
    db_.AddUnreadFile(Status::Error(text, status.Code()));
}

bool Workspace::AdoptUnlessStray(const fs::path& file, std::unique_ptr<Stock> stock,
                                 std::map<std::string, fs::path>& tickerFiles,
                                 const LetterDirectory& read) {
    // Of two files holding one ticker (a/aldora beside a/ALDORA), the one a save writes to is
    // loaded; the other is a stray, reported and left on disk as it is.
    const std::string ticker(stock->TickerText());
    // The directory being read is the one a save writes to for its letter's tickers: found once
    // per directory, not looked up on disk once per stock.
    const std::string name = StockFileName(ticker);
    const fs::path own = StockDirLetter(name) == read.letter
                             ? read.dir / name
                             : StockFilePath(db_.LoadedFromDir(), ticker);
    const auto [it, first] = tickerFiles.try_emplace(UpperAscii(ticker), file);
    fs::path stray;
    if (!first) {
        const bool replaces = file == own && it->second != own;
        stray = replaces ? it->second : file;
        if (replaces) {
            db_.RemoveStock(ticker);
            it->second = file;
        }
        const std::string text = "stock file " + stray.string() + " holds " + ticker + ", which " +
                                 it->second.string() + " holds too; not loaded";
        ui_.SetStatusText(text);
        db_.AddUnreadFile(Status::Error(text, StatusCode::Corrupt));
        if (!replaces) return false;
    }
    db_.AdoptStock(std::move(stock));
    return true;
}

bool Workspace::KeepDamagedWorkspaceFile(const fs::path& dir) {
    if (!db_.WorkspaceFileDamaged() || dir != db_.LoadedFromDir()) return true;
    const fs::path file = dir / kWorkspaceFileName;
    if (!db_.ReplaceDamaged() &&
        !ui_.AskYesNo("The workspace file\n'" + file.string() +
                      "'\ncould not be read when the workspace was opened. Saving replaces it "
                      "with the categories shown now.\nReplace it? The old file is kept as '" +
                      file.string() + ".bak'.")) {
        saveStatus_ = Status::FileError("not replacing the workspace file", file,
                                        "it could not be read when the workspace was opened",
                                        StatusCode::Corrupt);
        return false;
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec))) {
        const Result<fs::path> kept = KeepOldFile(file, ".bak");
        if (!kept) {
            saveStatus_ = kept.GetStatus();
            return false;
        }
    }
    db_.SetWorkspaceFileDamaged(false);
    return true;
}

void Workspace::RestoreDeletedFiles(const fs::path& dir) {
    std::error_code ec;
    for (int letter = 0; letter < kDirectoryLetterCount; ++letter) {
        const fs::path sub = MatchNoCase(dir, std::string(1, kDirectoryLetters[letter]));
        for (const DirEntry& e : ListDirectory(sub)) {
            if (e.isDirectory || !EndsWith(e.name, kDeletedSuffix)) continue;
            fs::rename(sub / e.name, sub / e.name.substr(0, e.name.size() - 4), ec);
        }
    }
}

void Workspace::AddDeletedFiles(const fs::path& dir, FileBatch& batch) {
    for (int letter = 0; letter < kDirectoryLetterCount; ++letter) {
        const fs::path sub = MatchNoCase(dir, std::string(1, kDirectoryLetters[letter]));
        for (const DirEntry& e : ListDirectory(sub)) {
            if (!e.isDirectory && EndsWith(e.name, kDeletedSuffix)) batch.AddRemoval(sub / e.name);
        }
    }
}

bool Workspace::BuildStockFile(Stock& stock, Bytes& image) {
    Bytes kept;
    if (stock.SkippedCount > 0) {
        const fs::path from = StockFilePath(db_.LoadedFromDir(), stock.TickerText());
        if (!ReadKeptQuotationImages(from, static_cast<std::size_t>(stock.SkippedCount), kept)) {
            ui_.SetStatusText("Could not read the older quotations of " +
                              std::string(stock.TickerText()) + " from '" + from.string() +
                              "'; the stock was not saved");
            saveStatus_.Update(Status::FileError(
                "cannot read the older quotations of " + std::string(stock.TickerText()) + " from",
                from));
            return false;
        }
    }
    std::size_t k = stock.Quotations.size();
    if (stock.SkippedCount == 0 && prefs_.LimitSavedQuotations()) {
        k = std::min<std::size_t>(k, static_cast<std::size_t>(prefs_.LimitSavedMax()));
    }
    image = BuildStockImage(stock, k, kept);
    return true;
}

bool Workspace::CommitSave(FileBatch& batch, const std::vector<Stock*>& stocks) {
    batch.Sync();
    if (DeferredSignals::StopRequested()) {
        saveStatus_.Update(Status::Error("the save was interrupted", StatusCode::Cancelled));
        return false;
    }
    // One file that could not be written stops the whole save: the workspace stays as it was.
    if (batch.NoneFailed()) {
        batch.WriteCommitRecord(db_.WorkspaceDir() / kCommitRecordName).IgnoreError();
        batch.Commit();
    }
    // Entry 0 is the workspace file, entry i + 1 the stock stocks[i].
    bool allSaved = true;
    for (std::size_t i = 0; i < batch.Count(); ++i) {
        if (batch.Replaced(i)) {
            if (i > 0) stocks[i - 1]->Modified = false;
            continue;
        }
        allSaved = false;
        const Status& failure = batch.FileStatus(i);
        if (failure) continue;  // written, but held back by another file's failure
        ui_.SetStatusText(CouldNotWrite(batch.Target(i), failure));
        saveStatus_.Update(failure);
    }
    return allSaved;
}

bool Workspace::SaveWorkspace() {
    saveStatus_ = Status::Ok();
    const fs::path dir = db_.WorkspaceDir();
    if (db_.ReadOnly()) {
        saveStatus_ = Status::Error("the workspace " + dir.string() + " is open read-only");
        return false;
    }
    if (!db_.WorkspaceDirty()) {
        RestoreDeletedFiles(dir);
        return true;
    }
    if (!EnsureLayout(dir)) {
        saveStatus_ = Status::FileError("cannot create the workspace directory", dir);
        return false;
    }
    // A save into this directory that a crash interrupted is finished first; a directory this
    // workspace was not loaded from (Save As) may hold the temporary files of one that never
    // committed.
    std::error_code ec;
    if (Status recovered =
            RecoverInterruptedSave(dir, !fs::equivalent(dir, db_.LoadedFromDir(), ec));
        !recovered) {
        saveStatus_ = std::move(recovered);
        return false;
    }
    if (!KeepDamagedWorkspaceFile(dir)) return false;
    // The signals are caught before the batch exists, so that the batch (and its temporary
    // files) is gone before a caught signal is raised again.
    DeferredSignals deferred;
    // Every new file is written before any old one is replaced: the older quotations that
    // partially loaded stocks keep in their files are read from files that are still whole.
    FileBatch batch(*fs_);
    std::vector<Stock*> stocks;
    const Bytes ws = BuildWorkspaceFile(db_.Categories());
    batch.Add(dir / kWorkspaceFileName, ws.data(), ws.size());
    const int total = db_.StockCount();
    bool allSaved = true;
    for (int i = 0; i < total; ++i) {
        Stock& stock = *db_.StockAt(i);
        if (!stock.Modified) continue;
        if (DeferredSignals::StopRequested()) {
            // Nothing is replaced; the batch's temporary files go with it.
            saveStatus_ = Status::Error("the save was interrupted", StatusCode::Cancelled);
            ui_.Progress().Close();
            return false;
        }
        if (!ui_.Progress().Step(i, total, stock.TickerText(), "Saving...")) {
            // The stocks written so far are kept; the rest stay modified.
            CommitSave(batch, stocks);
            ui_.Progress().Close();
            return false;
        }
        Bytes image;
        if (!BuildStockFile(stock, image)) {
            allSaved = false;
            continue;
        }
        batch.AddWritten(StockFilePath(dir, stock.TickerText()), std::move(image));
        stocks.push_back(&stock);
    }
    AddDeletedFiles(dir, batch);
    if (!CommitSave(batch, stocks)) allSaved = false;
    // A file that could not be written keeps the workspace dirty, so it is tried again.
    db_.SetWorkspaceDirty(!allSaved);
    db_.SetLoadedFromDir(dir);
    ui_.Progress().Close();
    ui_.SetStatusText("Ready");
    return true;
}

Status Workspace::MarkStockFileDeleted(std::string_view ticker) {
    if (db_.ReadOnly()) return Status::Ok();
    const fs::path path = StockFilePath(db_.WorkspaceDir(), ticker);
    fs::path deleted = path;
    deleted += kDeletedSuffix;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return Status::Ok();
    if (const int error = fs_->Rename(path, deleted); error != 0) {
        return Status::FileError("cannot set aside the stock file", path, error);
    }
    return Status::Ok();
}

void DropQuotationsBefore(Stock& stock, PackedDate date) {
    if (stock.Modified) return;
    auto& quotes = stock.Quotations;
    const auto end = std::lower_bound(quotes.begin(), quotes.end(), date,
                                      [](const Quotation& q, PackedDate d) { return q.Date < d; });
    const auto dropped = end - quotes.begin();
    if (dropped == 0 || end == quotes.end()) return;
    quotes.erase(quotes.begin(), end);
    // The released quotations give their memory back: a run over a partially loaded database
    // would otherwise keep every stock's full history allocated.
    quotes.shrink_to_fit();
    stock.SkippedCount += static_cast<std::int32_t>(dropped);
    stock.FirstLoadedDate = quotes.front().Date;
}

}  // namespace velmora
