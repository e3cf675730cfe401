#include "database/PreferencesFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileUtil.h"

namespace velmora {

namespace {

constexpr char kMagic[] = "TARVPRE3";
constexpr std::size_t kMagicSize = 8;

}  // namespace

void MigratePreferences(Preferences& prefs, char version) {
    if (version == 'F') {
        // Version F had no "Mid time average:" colour: settings 2..10 sit one place lower.
        for (int i = 10; i >= 2; --i) prefs.SetColourAt(i + 1, prefs.ColourAt(i));
        prefs.SetColourAt(2, 6);
    }
    if (version == 'F' || version == '2') prefs.SetColourAt(12, 7);
    // Blocks from before settings 13..19 existed hold zeros there.
    bool allZero = true;
    for (int i = 13; i < kColourSettingCount; ++i) allZero = allZero && prefs.ColourAt(i) == 0;
    if (allZero) {
        static constexpr int kRepaired[] = {1, 1, 8, 7, 0, 1, 7};
        for (int i = 13; i < kColourSettingCount; ++i) prefs.SetColourAt(i, kRepaired[i - 13]);
    }
}

Status LoadPreferences(const std::filesystem::path& file, Preferences& prefs) {
    const Result<Bytes> head =
        ReadFileHead(file, FileKind::Preferences, kMagicSize + Preferences::kBlockSize);
    if (!head) return head.GetStatus();
    if (head->size() < kMagicSize || std::memcmp(head->data(), kMagic, kMagicSize - 1) != 0) {
        return Status::FileError("cannot read the preferences file", file, "not a preferences file",
                                 StatusCode::BadMagic);
    }
    const char version = static_cast<char>((*head)[kMagicSize - 1]);
    std::copy(head->begin() + kMagicSize, head->end(), prefs.Raw().begin());
    MigratePreferences(prefs, version);
    // Every version writes the whole block: a shorter one was cut short. What it holds is used.
    if (const std::size_t held = head->size() - kMagicSize; held < Preferences::kBlockSize) {
        return Status::FileError("cannot read the preferences file", file,
                                 "cut short after " + std::to_string(held) + " of its " +
                                     std::to_string(Preferences::kBlockSize) + " bytes",
                                 StatusCode::Corrupt);
    }
    return Status::Ok();
}

Status SavePreferences(const std::filesystem::path& file, const Preferences& prefs,
                       FileSystem& fs) {
    Bytes data(kMagic, kMagic + kMagicSize);
    data.insert(data.end(), prefs.Raw().begin(), prefs.Raw().end());
    return WriteFileAtomically(file, data.data(), data.size(), fs);
}

}  // namespace velmora
