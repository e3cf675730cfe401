#pragma once
// The per-user settings store kept as "settings.ini" in the profile directory: "[Section]"
// headers followed by "Name=Value" lines. Section and value names match without regard to
// ASCII case, as the settings of the original platform do; a value never written reads as
// absent. Every change is written back at once (to a temporary file renamed over the old
// one), so a crash never loses or half-writes the settings.
//
// Backslashes, line breaks and carriage returns in names and values are stored as "\\", "\n"
// and "\r" (and '=' in names as "\="), so any text survives a round trip. Lines the reader
// does not understand are skipped.
//
// A file that cannot be read (unreadable, not a regular file, above its size cap) or that is
// no settings file at all (text without a single section header or comment line) is never
// replaced silently: the store starts empty, LoadStatus() says why, and a write is
// refused until SetReplaceDamaged(true) or the confirmation function agrees; the old file is
// then kept as FILE.bak.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Status.h"

namespace velmora {

class IniSettingsStore final : public SettingsStore {
  public:
    // Reads the file when it exists; a missing or unreadable file gives an empty store. Without
    // `writeBack` the changes stay in memory and the file is never written. The writes go
    // through `fs` (tests put one there that fails on purpose).
    explicit IniSettingsStore(std::filesystem::path file, bool writeBack = true,
                              FileSystem& fs = SystemFileSystem());

    std::optional<std::string> GetString(std::string_view section,
                                         std::string_view name) const override;
    void SetString(std::string_view section, std::string_view name,
                   std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;

    const std::filesystem::path& File() const { return file_; }
    Status LoadStatus() const override { return loadStatus_; }
    // Whether a write may replace a file that could not be read (the command line's --force).
    void SetReplaceDamaged(bool replace) { replaceDamaged_ = replace; }
    // Asked once, at the first write, whether to replace a file that could not be read (the
    // desktop program asks the user); true replaces it. The status says why it was not read.
    void SetConfirmReplace(std::function<bool(const Status&)> confirm) {
        confirmReplace_ = std::move(confirm);
    }
    // False when the last write of the file failed (the values stay in memory).
    bool LastSaveSucceeded() const { return lastSave_.IsOk(); }
    // The last write of the file: which step failed and why. Every write holds every value, so
    // a successful write keeps the earlier changes too.
    const Status& LastSaveStatus() const { return lastSave_; }

    // The text of the file for the current values, and the values of a file's text.
    std::string Serialize() const;
    void Parse(std::string_view text);

  private:
    struct Entry {
        std::string name, value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    void Save();
    // Whether a write may go ahead over a file that could not be read; keeps it as FILE.bak
    // first. False with lastSave_ saying why not.
    bool MayReplaceDamaged();

    std::filesystem::path file_;
    std::vector<Section> sections_;
    bool writeBack_ = true;
    FileSystem* fs_;
    Status lastSave_;
    Status loadStatus_;
    bool replaceDamaged_ = false;
    bool declined_ = false;
    std::function<bool(const Status&)> confirmReplace_;
};

}  // namespace velmora
