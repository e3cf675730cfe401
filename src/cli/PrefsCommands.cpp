// prefs, prefs set, categories and save-as: the preferences of the profile, the category
// names of the workspace and Save Workspace As.

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/Cli.h"
#include "database/FixedText.h"
#include "database/Workspace.h"

namespace velmora::cli {

namespace {

enum class Kind { Int, Word, Float, Text, Hex };

// One preference: its name on the command line (the control's label in lower_snake_case), its
// place and type in the block.
struct PrefField {
    const char* name;
    Kind kind;
    std::size_t offset;
    std::size_t size;  // text fields only
};

// Every field of the preference block, in block order.
const std::vector<PrefField>& PrefFields() {
    static const std::vector<PrefField> fields = [] {
        std::vector<PrefField> f = {
            {"fat_line_chart", Kind::Int, 0, 0},
            {"mark_quotations", Kind::Int, 4, 0},
            {"volume_bar_chart_type", Kind::Word, 8, 0},
            {"short_time", Kind::Int, 10, 0},
            {"short_time_periods", Kind::Word, 14, 0},
            {"mid_time", Kind::Int, 16, 0},
            {"mid_time_periods", Kind::Word, 20, 0},
            {"bollinger_bands", Kind::Int, 22, 0},
            {"bollinger_width", Kind::Word, 26, 0},
            {"roc_range", Kind::Word, 28, 0},
            {"rsi_range", Kind::Word, 30, 0},
            {"macd_fast_average", Kind::Word, 32, 0},
            {"macd_slow_average", Kind::Word, 34, 0},
            {"macd_signal", Kind::Word, 36, 0},
            {"stochastic_range", Kind::Word, 38, 0},
            {"ultimate_fast_average", Kind::Word, 40, 0},
            {"ultimate_medium_average", Kind::Word, 42, 0},
            {"ultimate_slow_average", Kind::Word, 44, 0},
        };
        static const char* const kColourNames[kColourSettingCount] = {
            "colour_price",
            "colour_short_time_average",
            "colour_mid_time_average",
            "colour_long_time_average",
            "colour_bollinger_bands",
            "colour_turnover",
            "colour_volume",
            "colour_oscillator",
            "colour_signal_average",
            "colour_grid",
            "colour_background",
            "colour_risk_yield_map",
            "colour_tooltips",
            "colour_axes",
            "colour_histogram",
            "colour_2nd_oscillator_di",
            "colour_parabolic",
            "colour_up_candlestick",
            "colour_down_candlestick",
            "colour_study_trendline",
        };
        for (int i = 0; i < kColourSettingCount; ++i) {
            f.push_back({kColourNames[i], Kind::Word, 48 + 2 * static_cast<std::size_t>(i), 0});
        }
        static const char* const kPaletteNames[kPaletteSize] = {
            "palette_0",  "palette_1",  "palette_2",  "palette_3",  "palette_4",  "palette_5",
            "palette_6",  "palette_7",  "palette_8",  "palette_9",  "palette_10", "palette_11",
            "palette_12", "palette_13", "palette_14", "palette_15",
        };
        for (int i = 0; i < kPaletteSize; ++i) {
            f.push_back({kPaletteNames[i], Kind::Hex, 88 + 2 * static_cast<std::size_t>(i), 0});
        }
        const std::vector<PrefField> rest = {
            {"auto_arrange_charts", Kind::Int, 290, 0},
            {"logarithmic_scale", Kind::Int, 294, 0},
            {"default_number_of_quotations_in_a_chart", Kind::Word, 298, 0},
            {"trix_range", Kind::Word, 300, 0},
            {"long_time", Kind::Int, 302, 0},
            {"long_time_periods", Kind::Word, 306, 0},
            {"volume_turnover_average_periods", Kind::Word, 308, 0},
            {"default_rs_base", Kind::Text, 310, 32},
            {"limit_number_of_saved_quotations", Kind::Int, 342, 0},
            {"limit_number_of_saved_quotations_max", Kind::Word, 346, 0},
            {"cci_range", Kind::Word, 348, 0},
            {"cci_average_periods", Kind::Word, 350, 0},
            {"full_name_tooltips_in_stock_tree", Kind::Int, 352, 0},
            {"default_database_path", Kind::Text, 362, 256},
            {"price_data_tooltips", Kind::Int, 618, 0},
            {"load_all_quotes_when_stock_is_selected", Kind::Int, 622, 0},
            {"enable_partial_database_loading", Kind::Int, 626, 0},
            {"load_upto", Kind::Int, 630, 0},
            {"trin_fast_average", Kind::Word, 634, 0},
            {"trin_slow_average", Kind::Word, 636, 0},
            {"short_time_average_type", Kind::Word, 638, 0},
            {"mid_time_average_type", Kind::Word, 640, 0},
            {"long_time_average_type", Kind::Word, 642, 0},
            {"dmi_adx_range", Kind::Word, 644, 0},
            {"parabolic_sar_accel_step", Kind::Float, 646, 0},
            {"parabolic_sar_maximum", Kind::Float, 650, 0},
            {"add_parabolic_sar", Kind::Int, 654, 0},
            {"default_style", Kind::Word, 658, 0},
            {"add_full_name_to_ticker_in_tree", Kind::Word, 660, 0},
            {"add_full_name_to_ticker_in_ticker_box", Kind::Word, 662, 0},
        };
        f.insert(f.end(), rest.begin(), rest.end());
        return f;
    }();
    return fields;
}

const PrefField* FindField(std::string_view name) {
    for (const PrefField& f : PrefFields()) {
        if (name == f.name) return &f;
    }
    return nullptr;
}

// The shortest decimal text that reads back as the same float.
std::string FloatText(float v) {
    char buf[64];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    return buf;
}

std::string FieldText(const Preferences& p, const PrefField& f) {
    char buf[32];
    switch (f.kind) {
        case Kind::Int:
            return std::to_string(p.Int(f.offset));
        case Kind::Word:
            return std::to_string(p.Word(f.offset));
        case Kind::Hex:
            std::snprintf(buf, sizeof buf, "0x%03x", static_cast<unsigned>(p.Word(f.offset)));
            return buf;
        case Kind::Float:
            return FloatText(p.Float(f.offset));
        case Kind::Text:
            return p.Text(f.offset, f.size);
    }
    return {};
}

bool ParseWhole(const std::string& text, int base, long long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, base);
    return errno == 0 && *end == 0;
}

// Stores the value text into the field; the reason when it does not fit.
std::string SetField(Preferences& p, const PrefField& f, const std::string& text) {
    long long v = 0;
    switch (f.kind) {
        case Kind::Int:
            if (!ParseWhole(text, 10, v) || v < INT32_MIN || v > INT32_MAX)
                return "expects a whole number";
            p.SetInt(f.offset, static_cast<std::int32_t>(v));
            return {};
        case Kind::Word:
        case Kind::Hex:
            if (!ParseWhole(text, f.kind == Kind::Hex ? 0 : 10, v) || v < 0 || v > 65535)
                return "expects a whole number from 0 to 65535";
            if (f.kind == Kind::Hex && v > 0xFFF) return "expects a 12-bit colour 0x000 to 0xfff";
            p.SetWord(f.offset, static_cast<int>(v));
            return {};
        case Kind::Float: {
            errno = 0;
            char* end = nullptr;
            const float x = std::strtof(text.c_str(), &end);
            if (text.empty() || errno != 0 || *end != 0 || !std::isfinite(x))
                return "expects a number";
            p.SetFloat(f.offset, x);
            return {};
        }
        case Kind::Text:
            if (text.size() > f.size - 1 || text.find('\0') != std::string::npos) {
                return "holds at most " + std::to_string(f.size - 1) + " bytes";
            }
            p.SetText(f.offset, f.size, text);
            return {};
    }
    return "cannot be set";
}

int RunPrefsSet(Context& ctx, std::vector<std::string>& args) {
    if (args.empty() || args.size() % 2 != 0) {
        ctx.Error("prefs set: expected NAME VALUE pairs");
        return kUsage;
    }
    // Every pair is checked before anything is written.
    Preferences changed = ctx.prefs;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const PrefField* f = FindField(args[i]);
        if (f == nullptr) {
            ctx.Error("prefs set: unknown preference '" + args[i] + "'");
            return kUsage;
        }
        const std::string problem = SetField(changed, *f, args[i + 1]);
        if (!problem.empty()) {
            ctx.Error("prefs set: " + args[i] + " " + problem);
            return kUsage;
        }
    }
    ctx.prefs = changed;
    if (ctx.noSave) return kSuccess;
    if (const Status saved = ctx.app->SavePreferences(); !saved) {
        ctx.Error("prefs set: " + saved.ToString() +
                  (ctx.app->PreferencesFileDamaged() && !ctx.force ? kForceReplacesIt : ""));
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

const char* PrefsUsage() {
    static const std::string usage = [] {
        std::string u =
            "[set NAME VALUE [NAME VALUE]...]\n"
            "\n"
            "Without arguments prints every preference of the profile's tarvik.prefs as\n"
            "name=value, one per line, in the order the preference block holds them.\n"
            "'prefs set' changes the named preferences and writes tarvik.prefs.\n"
            "\n"
            "Names are the control labels in lower_snake_case. Check boxes print 1 or 0;\n"
            "list choices their index (volume_bar_chart_type: 0 Volume, 1 Turnover, 2 None);\n"
            "colour_* settings are palette indices 0..15; palette_0..palette_15 are 12-bit\n"
            "colours 0xRGB; *_type and default_style are list indices.\n"
            "\n"
            "names:";
        std::size_t column = 80;
        for (const PrefField& f : PrefFields()) {
            const std::size_t len = std::strlen(f.name);
            if (column + len + 1 > 78) {
                u += "\n ";
                column = 1;
            }
            u += ' ';
            u += f.name;
            column += len + 1;
        }
        return u;
    }();
    return usage.c_str();
}

int RunPrefs(Context& ctx, std::vector<std::string>& args) {
    const bool set = !args.empty() && args[0] == "set";
    if (!set && !args.empty()) {
        ctx.Error("prefs: unexpected argument '" + args[0] + "'");
        return kUsage;
    }
    if (!ctx.OpenProfile()) return kFailure;
    if (set) {
        args.erase(args.begin());
        return RunPrefsSet(ctx, args);
    }
    for (const PrefField& f : PrefFields()) {
        std::fprintf(ctx.out, "%s=%s\n", f.name, FieldText(ctx.prefs, f).c_str());
    }
    return kSuccess;
}

int RunCategories(Context& ctx, std::vector<std::string>& args) {
    if (IsCategoryEditCommand(args)) return RunCategoryEdit(ctx, args);
    if (args.size() > 1) {
        ctx.Error("categories: expected at most one of markets, groups, sectors, industries");
        return kUsage;
    }
    const std::string which = args.empty() ? "" : args[0];
    if (!which.empty() && which != "markets" && which != "groups" && which != "sectors" &&
        which != "industries") {
        ctx.Error("categories: unknown category table '" + which + "'");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    const CategoryTables& t = ctx.db.Categories();
    // Without a table name every table is printed, each line led by the table's name.
    auto print = [&](const char* table, int index, std::string_view name, const char* extra) {
        if (which.empty()) std::fprintf(ctx.out, "%s\t", table);
        std::fprintf(ctx.out, "%d\t%.*s%s\n", index, static_cast<int>(name.size()), name.data(),
                     extra);
    };
    if (which.empty() || which == "markets") {
        for (int i = 0; i < kMarketCount; ++i) print("markets", i, t.Markets[i].Name.View(), "");
    }
    if (which.empty() || which == "groups") {
        for (int i = 0; i < kGroupCount; ++i) print("groups", i, t.Groups[i].Name.View(), "");
    }
    if (which.empty() || which == "sectors") {
        for (int i = 0; i < kSectorCount; ++i) print("sectors", i, t.Sectors[i].Name.View(), "");
    }
    if (which.empty() || which == "industries") {
        for (int i = 0; i < kIndustryCount; ++i) {
            const Industry& ind = t.Industries[i];
            // The sector's index and, when it names one, the sector's name.
            std::string extra = "\t" + std::to_string(ind.SectorID) + "\t";
            if (ind.SectorID >= 0 && ind.SectorID < kSectorCount) {
                extra += t.Sectors[static_cast<std::size_t>(ind.SectorID)].Name.View();
            }
            print("industries", i, ind.Name.View(), extra.c_str());
        }
    }
    return kSuccess;
}

int RunNew(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 1) {
        ctx.Error("new: expected one DIR");
        return kUsage;
    }
    const std::filesystem::path dir = args[0];
    if (LooksLikeWorkspace(dir)) {
        ctx.Error("new: there is a workspace at " + dir.string() + " already");
        return kFailure;
    }
    if (!ctx.OpenProfile()) return kFailure;
    WorkspaceLock lock;
    if (!LockNewWorkspace(ctx, dir, lock)) return kFailure;
    // The empty database with the profile's category names, saved: the folders and the
    // workspace file.
    ctx.db.ReleaseAll();
    ctx.db.SetWorkspaceDir(dir);
    ctx.db.SetWorkspaceDirty(true);
    Workspace ws = ctx.app->MakeWorkspace();
    if (!ws.SaveWorkspace() || ctx.db.WorkspaceDirty()) {
        std::string text = "new: the workspace could not be created in " + dir.string();
        if (!ws.SaveStatus()) text += ": " + ws.SaveStatus().ToString();
        ctx.Error(text);
        return kFailure;
    }
    std::fprintf(ctx.out, "workspace created in %s\n", dir.string().c_str());
    return kSuccess;
}

int RunSaveAs(Context& ctx, std::vector<std::string>& args) {
    bool force = false;
    const TakenOptions taken = TakeOptions(args, {{"--force", &force}});
    if (args.size() != 1 || taken.AnyMissing()) {
        ctx.Error("save-as: expected one DIR [--force]");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    const std::string from = ctx.db.WorkspaceDir().string();
    std::error_code same;
    if (!force && HoldsWorkspaceData(args[0]) &&
        !std::filesystem::equivalent(args[0], ctx.db.WorkspaceDir(), same)) {
        ctx.Error("save-as: " + args[0] +
                  " holds another workspace; --force saves into it (its stocks of the same "
                  "tickers are replaced, the others stay)");
        return kFailure;
    }
    if (!ctx.app->SaveWorkspaceAs(args[0], true)) {
        std::string text = "save-as: the workspace could not be saved completely into " + args[0];
        if (const Status& failure = ctx.app->SaveStatus(); !failure) {
            text += ": " + failure.ToString();
        }
        ctx.Error(text);
        return kFailure;
    }
    // The folder joins the recent list in settings.ini: a list that could not be written would
    // forget it.
    if (const Status& recorded = ctx.settings->LastSaveStatus(); !recorded) {
        ctx.Error("save-as: the workspace was written into " + args[0] +
                  " but not recorded as a recent workspace: " + ctx.SettingsSaveFailure());
        return kFailure;
    }
    std::fprintf(ctx.out, "%d stocks written from %s to %s\n", ctx.db.StockCount(), from.c_str(),
                 args[0].c_str());
    return kSuccess;
}

}  // namespace velmora::cli
