#pragma once
// Databases and workspaces on disk for the suites that load or save them (they link the
// database library).

#include <filesystem>

#include "database/Database.h"
#include "database/Preferences.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora::test {

// Quotations on `count` consecutive calendar days from `first`, closing at firstClose,
// firstClose + 1, ...
inline void AddDailyCloses(Database& db, Stock& stock, PackedDate first, int count,
                           float firstClose) {
    PackedDate d = first;
    for (int i = 0; i < count; ++i, d = AddDays(d, 1)) {
        db.AddQuotation(stock, d)->Close = firstClose + static_cast<float>(i);
    }
}

// Saves `db` as the workspace in `dir` with default preferences; false when the save fails.
inline bool SaveWorkspaceIn(Database& db, const std::filesystem::path& dir) {
    Preferences prefs;
    RecordingUserInterface ui;
    db.SetWorkspaceDir(dir);
    return Workspace(db, prefs, ui).SaveWorkspace();
}

}  // namespace velmora::test
