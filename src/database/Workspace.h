#pragma once
// The workspace directory: one file per stock in 37 letter subdirectories ('0'..'9', '_',
// 'a'..'z') plus "tarvik.workspace". Loads it into a Database, saves the modified stocks back,
// migrates the older flat layout, and defers the deletion of removed stocks' files (".ZZZ")
// until the next save.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"
#include "database/Preferences.h"
#include "platform/FileSystem.h"
#include "platform/FileUtil.h"
#include "platform/Status.h"
#include "platform/UserInterface.h"

namespace velmora {

// The commit record of a save in progress (see platform/CommitRecord.h): while it is in the
// workspace directory, the save it names is committed but not yet finished.
inline constexpr char kCommitRecordName[] = "tarvik.commit";

// The 37 directory letters in order.
inline constexpr char kDirectoryLetters[] = "0123456789_abcdefghijklmnopqrstuvwxyz";
inline constexpr int kDirectoryLetterCount = 37;

class FileBatch;
struct LoadedStock;

class Workspace {
  public:
    Workspace(Database& db, const Preferences& prefs, UserInterface& ui)
        : db_(db), prefs_(prefs), ui_(ui) {}

    // Called when the loaded directory has no workspace file: loads the category name files.
    void SetCategoryNamesLoader(std::function<void(CategoryTables&)> loader) {
        categoryNamesLoader_ = std::move(loader);
    }

    // Loads the database's workspace directory into the (empty) database. Unless the database is
    // read-only (the caller then holds the workspace's lock), a save that a crash interrupted
    // is finished or undone first.
    bool LoadWorkspace();
    // Writes the workspace file and every modified stock into the workspace directory, as one
    // transaction: every new file is written and synced, then the commit record, then the
    // files are renamed into place and the deleted stocks' files removed. A file that cannot
    // be written stops the save before anything is replaced. SIGINT, SIGTERM and SIGHUP wait
    // until the save is done, or stop it before it commits. False when the user cancelled,
    // the directory was refused or a signal stopped it.
    bool SaveWorkspace();
    // Checks and, where needed, migrates the directory layout. False (with a message) for a
    // directory whose data files are not stock files, or one that cannot be created.
    bool EnsureLayout(const std::filesystem::path& dir);
    // Finishes (or, when its record is damaged, undoes) a save of `dir` that a crash
    // interrupted, and removes the temporary files of saves that never committed. Only for the
    // holder of the workspace's lock.
    Status FinishInterruptedSave(const std::filesystem::path& dir) {
        return RecoverInterruptedSave(dir, true);
    }
    // Moves the stock's file to the same path with ".ZZZ" appended (nothing to do when there is
    // no file); the failure names the file and the reason, and the file stays where it was.
    Status MarkStockFileDeleted(std::string_view ticker);

    // The first failure of the last SaveWorkspace (which file, and why); success when it
    // wrote everything.
    const Status& SaveStatus() const { return saveStatus_; }
    // The file system the saves go through (tests put one there that fails on purpose).
    void SetFileSystem(FileSystem& fs) { fs_ = &fs; }

  private:
    void RestoreDeletedFiles(const std::filesystem::path& dir);
    // Adds the deleted stocks' set-aside files to the batch's removals.
    void AddDeletedFiles(const std::filesystem::path& dir, FileBatch& batch);
    // Finishes the save of `dir` whose commit record a crash left, and removes the temporary
    // files of saves that never committed (with `sweep`, or when a record was found).
    Status RecoverInterruptedSave(const std::filesystem::path& dir, bool sweep);
    // Records a stock file that could not be read, and sets it aside when the load may write.
    void KeepOutUnreadStockFile(const std::filesystem::path& file, const Status& status,
                                const LoadedStock& result);
    // A letter directory of the workspace as the load found it on disk.
    struct LetterDirectory {
        const std::filesystem::path& dir;
        char letter;
    };
    // Adopts the stock read from `file` (in `read`) unless another file already gave its
    // ticker; false when it is a stray that was reported instead.
    bool AdoptUnlessStray(const std::filesystem::path& file, std::unique_ptr<Stock> stock,
                          std::map<std::string, std::filesystem::path>& tickerFiles,
                          const LetterDirectory& read);
    // Before a save over a workspace file that could not be read: asks (unless the database
    // allows replacing damaged files) and keeps the old file as .bak. False, with the save
    // status, when it must not be replaced.
    bool KeepDamagedWorkspaceFile(const std::filesystem::path& dir);
    // The stock's file image in `image`; false (with the status text) when the older
    // quotations it keeps on disk cannot be read.
    bool BuildStockFile(Stock& stock, Bytes& image);
    // Syncs a save's files, writes the commit record, renames, removes and syncs the
    // directories, then clears the stocks' Modified flags where their files were replaced;
    // false when any file failed (then, unless it failed in the renames, nothing changed).
    bool CommitSave(FileBatch& batch, const std::vector<Stock*>& stocks);

    Database& db_;
    const Preferences& prefs_;
    UserInterface& ui_;
    std::function<void(CategoryTables&)> categoryNamesLoader_;
    FileSystem* fs_ = &SystemFileSystem();
    Status saveStatus_;
};

// Whether `dir` holds a workspace: the workspace file or one of the stock folders.
bool LooksLikeWorkspace(const std::filesystem::path& dir);
// Whether `dir` holds a workspace's data: the workspace file or a stock file (empty stock
// folders, as a save that never committed leaves them, hold none).
bool HoldsWorkspaceData(const std::filesystem::path& dir);

// Releases the quotations dated before the date and records the first remaining one's date as
// FirstLoadedDate; SkippedCount counts the released ones, which stay in the stock's file. Their
// memory is given back.
// Nothing is released from a modified stock, whose file no longer holds what memory holds.
void DropQuotationsBefore(Stock& stock, PackedDate date);

}  // namespace velmora
