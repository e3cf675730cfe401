#pragma once
// velmora-cli: the shared state of one run and the command table.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnalysisSelection.h"
#include "analysis/SystemTestSettings.h"
#include "cli/OptionTable.h"
#include "database/Application.h"
#include "database/Database.h"
#include "database/PackedDate.h"
#include "database/Periodicity.h"
#include "database/Preferences.h"
#include "database/WorkspaceLock.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/FileSystem.h"
#include "platform/IniSettingsStore.h"

namespace velmora::cli {

// Exit statuses, one rule for every command: kSuccess when it did what it was asked;
// kFailure when it could not (no such stock, position or file, a change that could not be
// kept), after a message on stderr saying why; kUsage for arguments the command does not take
// (a reversed date range among them), after a message saying which.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// The hint after a refusal to replace a profile file that could not be read.
inline constexpr char kForceReplacesIt[] = " (--force replaces it, keeping the old file as .bak)";

// What a command does with the workspace: reading commands open it read-only, and need one
// that exists; writing commands hold its lock.
enum class Access { Read, Write };

struct Context {
    std::optional<std::filesystem::path> requestedProfile;
    std::optional<std::filesystem::path> requestedWorkspace;
    bool noSave = false;
    // --force: a save may replace the workspace, portfolio, settings.ini, preferences or charts
    // file that could not be read (the old file is kept as FILE.bak).
    bool force = false;
    // --iso-dates: every date the commands write is YYYY-MM-DD.
    DateStyle dates = DateStyle::Short;
    std::filesystem::path profileDir;
    ConsoleUserInterface ui;
    Preferences prefs;
    Database db;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // The file system every save of the run goes through (tests put one there that fails on
    // purpose).
    FileSystem* files = &SystemFileSystem();
    std::unique_ptr<IniSettingsStore> settings;  // the profile's settings.ini
    std::unique_ptr<Application> app;            // after OpenProfile

    // Opens (creating and seeding) the profile directory and its settings, and runs the
    // application's start-up: preferences, category names, workspace directory.
    bool OpenProfile();
    // OpenProfile, then loads the workspace (--workspace, else the preferences' path). Fails
    // with "no workspace at PATH" when a reader's directory holds no workspace, or a writer's
    // --workspace directory does not exist (the preferences' own workspace is created), and
    // with the lock's message when a writer finds another program holding the workspace.
    bool OpenWorkspace(Access access = Access::Read);
    // Saves the workspace unless --no-save was given.
    bool SaveWorkspace();
    // Brings every partially loaded stock's older quotations into memory; false after the
    // error for the first stock whose older quotations cannot be read.
    [[nodiscard]] bool LoadAllQuotations();
    // The database's LoadFullHistory; false after the error saying why it failed.
    [[nodiscard]] bool LoadFullHistory(Stock& stock);
    // A date as the commands write it (--iso-dates or not).
    std::string Date(PackedDate date) const { return DateToText(date, dates); }
    // A "yy-mm-dd" text as the commands write it; a text that is no date stays as it is.
    std::string Date(const std::string& shortText) const;
    // Writes "velmora-cli: <message>" to stderr.
    void Error(const std::string& message);
    // Why the last write of settings.ini failed, with the hint that --force replaces a file
    // that could not be read.
    std::string SettingsSaveFailure() const;
    // Moves TICKER's stock file set aside by a removal or rename (FILE.ZZZ) back in place when
    // nothing took its name meanwhile; used when the workspace is not saved.
    void PutBackSetAsideFile(const std::string& ticker);
};

struct Command {
    const char* name;
    const char* usage;    // the argument synopsis
    const char* summary;  // one line for the general help
    std::function<int(Context&, std::vector<std::string>&)> run;
};

// The command table, in the order the help lists it.
const std::vector<Command>& Commands();

// Creates the directory of a workspace to be written from scratch and takes its lock; false
// after the message when that fails.
bool LockNewWorkspace(Context& ctx, const std::filesystem::path& dir, WorkspaceLock& lock);
// True when args holds --help or -h; then prints the command's usage.
bool WantsHelp(Context& ctx, const Command& cmd, const std::vector<std::string>& args);
// A "yy-mm-dd" text of a day of the calendar; none for anything else ("24-02-30" too).
std::optional<PackedDate> ParseDay(const std::string& text);
// Whether the text is free of tabs and line breaks, which would break the tab-separated lines
// of the output and the lines of the files that keep it; false after "COMMAND: WHAT must not
// hold a tab or a line break".
bool PlainText(Context& ctx, const std::string& command, const std::string& what,
               const std::string& text);
// Price text: %.9g, and EMPTY for the empty value.
std::string FormatPrice(double value);
// The formula of `--formula TEXT` or `--formula-file F`, whichever was given (empty when
// neither was): the text itself or the file's contents; none after "cannot read the formula
// file F".
std::optional<std::string> FormulaText(Context& ctx, const std::optional<std::string>& formula,
                                       const std::optional<std::string>& formulaFile);
// The value of `--periodicity` (daily when absent); false after "COMMAND: --periodicity must
// be daily, weekly or monthly".
bool PeriodicityOption(Context& ctx, const std::string& command,
                       const std::optional<std::string>& text, Periodicity& periodicity);
// Opens the workspace and finds TICKER (also among the aliases when `aliases`) with all its
// quotations in memory; null after the message ("no stock 'TICKER'", or why its older
// quotations cannot be read).
Stock* OpenWorkspaceStock(Context& ctx, const std::string& ticker, bool aliases,
                          Access access = Access::Read);

// Command handlers.
int RunInfo(Context& ctx, std::vector<std::string>& args);
int RunList(Context& ctx, std::vector<std::string>& args);
int RunQuotes(Context& ctx, std::vector<std::string>& args);
int RunSaveAs(Context& ctx, std::vector<std::string>& args);
int RunNew(Context& ctx, std::vector<std::string>& args);
int RunPrefs(Context& ctx, std::vector<std::string>& args);
int RunCategories(Context& ctx, std::vector<std::string>& args);
// The usage text of `prefs`, with the names of every preference.
const char* PrefsUsage();
int RunSampleWorkspace(Context& ctx, std::vector<std::string>& args);
int RunPortfolio(Context& ctx, std::vector<std::string>& args);
int RunImport(Context& ctx, std::vector<std::string>& args);
int RunImportMetastock(Context& ctx, std::vector<std::string>& args);
int RunImportTeletext(Context& ctx, std::vector<std::string>& args);
int RunStock(Context& ctx, std::vector<std::string>& args);
int RunSplit(Context& ctx, std::vector<std::string>& args);
int RunFindSplit(Context& ctx, std::vector<std::string>& args);
int RunDeleteSession(Context& ctx, std::vector<std::string>& args);
int RunDeleteQuote(Context& ctx, std::vector<std::string>& args);
int RunSetQuote(Context& ctx, std::vector<std::string>& args);
// categories rename|set|assign|exchange: the category editors.
bool IsCategoryEditCommand(const std::vector<std::string>& args);
int RunCategoryEdit(Context& ctx, std::vector<std::string>& args);
int RunReview(Context& ctx, std::vector<std::string>& args);
int RunRiskMap(Context& ctx, std::vector<std::string>& args);
int RunEval(Context& ctx, std::vector<std::string>& args);
int RunFunctions(Context& ctx, std::vector<std::string>& args);
int RunCheck(Context& ctx, std::vector<std::string>& args);
int RunImportAscii(Context& ctx, std::vector<std::string>& args);
int RunComposites(Context& ctx, std::vector<std::string>& args);
int RunScan(Context& ctx, std::vector<std::string>& args);
// The options of the analysis runs, shared by scan and backtest: --formula TEXT or
// --formula-file F, --apply all|current=TICKER|filter, --include/--exclude CRITERIA, --range,
// --threads N.
struct ScanOptions {
    std::string formula;  // kept as it was when no formula option is given
    AnalysisSelection selection;
    std::string currentTicker;
    int threads = 1;  // every core unless --threads says otherwise
};
// Takes them from args, which must hold nothing else; kSuccess, or the exit status after a
// message prefixed with the command's name.
int TakeScanOptions(Context& ctx, std::vector<std::string>& args, const std::string& cmd,
                    bool formulaRequired, ScanOptions& options);
// Opens the workspace and finds the current stock, then warns on stderr when the formula looks
// into the future; kSuccess or the exit status after a message.
int OpenWorkspaceForRun(Context& ctx, ScanOptions& options);
int RunBacktest(Context& ctx, std::vector<std::string>& args);
// The system test settings of backtest and optimize (--equity, --positions, --commission,
// --buy-price, --sell-price, --buy-delay, --sell-delay, --stop) taken from args into `s`; false
// after a message prefixed with the command's name on a bad value.
bool TakeBacktestSettings(Context& ctx, std::vector<std::string>& args, const std::string& cmd,
                          SystemTestSettings& s);
// A JSON number ("null" for infinity and NaN) and a JSON string with its quotes.
std::string JsonNumber(double v);
std::string JsonString(std::string_view s);
int RunOptimize(Context& ctx, std::vector<std::string>& args);
// The system test settings of backtest and optimize (--equity, --positions, --commission,
// --buy-price, --sell-price, --buy-delay, --sell-delay, --stop) taken from args into `s`; false
// after a message prefixed with the command's name on a bad value.
bool TakeBacktestSettings(Context& ctx, std::vector<std::string>& args, const std::string& cmd,
                          SystemTestSettings& s);
// A JSON number ("null" for infinity and NaN) and a JSON string with its quotes.
std::string JsonNumber(double v);
std::string JsonString(std::string_view s);
int RunOptimize(Context& ctx, std::vector<std::string>& args);
int RunChart(Context& ctx, std::vector<std::string>& args);
int RunStudy(Context& ctx, std::vector<std::string>& args);
int RunCharts(Context& ctx, std::vector<std::string>& args);
int RunCommentary(Context& ctx, std::vector<std::string>& args);
int RunTools(Context& ctx, std::vector<std::string>& args);
int RunScript(Context& ctx, std::vector<std::string>& args);

}  // namespace velmora::cli

namespace velmora::cli {
// Fills an empty database with the synthetic sample securities.
void BuildSampleDatabase(Database& db);
}  // namespace velmora::cli
