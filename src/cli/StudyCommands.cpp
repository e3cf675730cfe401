// study add|list|delete: the drawing-tool studies of a stock's chart panes, anchored at dates
// and values (velmora-cli chart draws them).

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "chart/ChartDefinition.h"
#include "chart/Studies.h"
#include "chart/qt/QtCanvas.h"
#include "cli/Cli.h"
#include "platform/PlainText.h"

namespace velmora::cli {

namespace {

constexpr const char* kUsageText =
    "study add TICKER --pane ID --tool trend|hline|vline|fibret|fibtime|text "
    "--from yy-mm-dd:VALUE [--to yy-mm-dd:VALUE] [--text T] | study list TICKER | "
    "study delete TICKER --pane ID (--index N | --all)";

struct Anchor {
    PackedDate date = 0;
    float value = 0;
};

std::optional<long long> ParseWhole(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return std::nullopt;
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return v;
}

// "yy-mm-dd:VALUE".
std::optional<Anchor> ParseAnchor(const std::string& text) {
    const auto colon = text.find(':');
    if (colon != 8) return std::nullopt;
    Anchor a;
    const std::optional<PackedDate> day = ParseDay(text.substr(0, 8));
    if (!day) return std::nullopt;
    a.date = *day;
    const std::string value = text.substr(colon + 1);
    if (value.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size() || !std::isfinite(v) ||
        std::fabs(v) > std::numeric_limits<float>::max())
        return std::nullopt;
    a.value = static_cast<float>(v);
    return a;
}

std::optional<StudyTool> ParseTool(const std::string& name) {
    static const std::pair<const char*, StudyTool> names[] = {
        {"trend", StudyTool::Trend},          {"hline", StudyTool::Horizontal},
        {"vline", StudyTool::Vertical},       {"fibret", StudyTool::FibRetracement},
        {"fibtime", StudyTool::FibTimeZones}, {"text", StudyTool::Text},
    };
    for (const auto& [n, tool] : names)
        if (name == n) return tool;
    return std::nullopt;
}

// A text on one line: CR and LF written as \r and \n.
std::string OneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// pane, index within the pane, kind, extend, style, colour, start and end date, start and end
// value, text; a text study shows its box width and height in place of the end date and value.
std::string StudyLine(const Context& ctx, const Study& s, int indexInPane) {
    char buf[256];
    const bool text = s.Kind == StudyKind::kText;
    const std::string endDate = text ? std::to_string(s.EndDate) : ctx.Date(s.EndDate);
    std::snprintf(buf, sizeof buf, "%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%s\t%s\t", s.PaneId,
                  indexInPane, s.Kind, s.Extend, s.Style, static_cast<int>(s.Colour & 0x7FFFFFFF),
                  ctx.Date(s.StartDate).c_str(), endDate.c_str(), FormatPrice(s.StartValue).c_str(),
                  FormatPrice(s.EndValue).c_str());
    return buf + OneLine(s.Text);
}

int IndexInPane(const Stock& stock, std::size_t index) {
    int n = 0;
    for (std::size_t i = 0; i < index; ++i)
        if (stock.Studies[i].PaneId == stock.Studies[index].PaneId) ++n;
    return n;
}

TextExtent MeasureWithChartFont(std::string_view text) {
    EnsureGuiApplication();
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    return MeasureStudyText(canvas, text);
}

// The chart id of --pane, which add and delete need (none when it had no value).
bool PaneOption(Context& ctx, const std::optional<std::string>& text, std::int32_t& pane) {
    if (!text) {
        ctx.Error("study: --pane ID is required");
        return false;
    }
    const auto id = ParseWhole(*text);
    const ChartTable table;
    if (!id || table.FindById(static_cast<int>(*id)) == nullptr) {
        ctx.Error("study: --pane must be a chart id (1-19 or 1000-1019), got '" + *text + "'");
        return false;
    }
    pane = static_cast<std::int32_t>(*id);
    return true;
}

int RunStudyAdd(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> paneText, toolName, from, to, text;
    const TakenOptions taken = TakeOptions(args, {{"--pane", &paneText},
                                                  {"--tool", &toolName},
                                                  {"--from", &from},
                                                  {"--to", &to},
                                                  {"--text", &text}});
    std::int32_t pane = 0;
    if (!PaneOption(ctx, paneText, pane)) return kUsage;
    if (taken.AnyMissing()) {
        ctx.Error("study add: an option is missing its value");
        return kUsage;
    }
    if (args.size() != 1 || !toolName || !from) {
        ctx.Error("study add: expected TICKER, --tool and --from");
        return kUsage;
    }
    const auto tool = ParseTool(*toolName);
    if (!tool) {
        ctx.Error("study add: --tool must be trend, hline, vline, fibret, fibtime or text");
        return kUsage;
    }
    const auto start = ParseAnchor(*from);
    std::optional<Anchor> end = start;
    if (to) end = ParseAnchor(*to);
    if (!start || !end) {
        ctx.Error("study add: anchors are yy-mm-dd:VALUE");
        return kUsage;
    }
    const bool needsEnd = *tool == StudyTool::Trend || *tool == StudyTool::FibRetracement;
    if (needsEnd && !to) {
        ctx.Error("study add: this tool needs --to");
        return kUsage;
    }
    if (*tool == StudyTool::Text && (!text || text->empty())) {
        ctx.Error("study add: the text tool needs a non-empty --text");
        return kUsage;
    }
    if (*tool != StudyTool::Text && text) {
        ctx.Error("study add: --text is for the text tool only");
        return kUsage;
    }
    // A text's lines are separated by line breaks (the list shows them as \r and \n); a tab
    // would split the list's columns.
    if (text && text->find('\t') != std::string::npos) {
        ctx.Error(std::string("study add: --text ") + kNoTabRule);
        return kUsage;
    }

    Stock* stock = OpenWorkspaceStock(ctx, args[0], false, Access::Write);
    if (stock == nullptr) return kFailure;
    StudyAnchors anchors;
    anchors.paneId = pane;
    anchors.colour = ctx.prefs.Colour(ColourSetting::Study);
    anchors.startDate = start->date;
    anchors.startValue = start->value;
    anchors.endDate = end->date;
    anchors.endValue = end->value;
    std::vector<Study> studies;
    if (*tool == StudyTool::Text)
        studies.push_back(MakeTextStudy(anchors, *text, MeasureWithChartFont(*text)));
    else
        studies = BuildStudies(*tool, anchors, *stock);
    const std::size_t first = stock->Studies.size();
    AddStudies(ctx.db, *stock, std::move(studies));
    for (std::size_t i = first; i < stock->Studies.size(); ++i)
        std::fprintf(ctx.out, "%s\n",
                     StudyLine(ctx, stock->Studies[i], IndexInPane(*stock, i)).c_str());
    return ctx.SaveWorkspace() ? kSuccess : kFailure;
}

int RunStudyList(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 1) {
        ctx.Error("study list: expected one TICKER");
        return kUsage;
    }
    Stock* stock = OpenWorkspaceStock(ctx, args[0], false);
    if (stock == nullptr) return kFailure;
    for (std::size_t i = 0; i < stock->Studies.size(); ++i)
        std::fprintf(ctx.out, "%s\n",
                     StudyLine(ctx, stock->Studies[i], IndexInPane(*stock, i)).c_str());
    return kSuccess;
}

int RunStudyDelete(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> paneText, indexText;
    bool all = false;
    const TakenOptions taken =
        TakeOptions(args, {{"--pane", &paneText}, {"--index", &indexText}, {"--all", &all}});
    std::int32_t pane = 0;
    if (!PaneOption(ctx, paneText, pane)) return kUsage;
    if (taken.AnyMissing() || args.size() != 1 || indexText.has_value() == all) {
        ctx.Error("study delete: expected TICKER, --pane ID and one of --index N or --all");
        return kUsage;
    }
    std::optional<long long> index;
    if (indexText) {
        index = ParseWhole(*indexText);
        if (!index || *index < 0) {
            ctx.Error("study delete: --index must be a study's index within the pane");
            return kUsage;
        }
    }
    Stock* stock = OpenWorkspaceStock(ctx, args[0], false, Access::Write);
    if (stock == nullptr) return kFailure;
    if (all) {
        const int n = DeleteAllStudies(ctx.db, *stock, pane);
        std::fprintf(ctx.out, "deleted %d %s\n", n, n == 1 ? "study" : "studies");
    } else {
        long long seen = 0;
        StudyHit hit;
        for (std::size_t i = 0; i < stock->Studies.size(); ++i) {
            if (stock->Studies[i].PaneId != pane) continue;
            if (seen++ == *index) hit.Remember(*stock, static_cast<int>(i));
        }
        if (!hit.Delete(ctx.db, *stock)) {
            ctx.Error("stock '" + args[0] + "' has no study " + *indexText + " in pane " +
                      std::to_string(pane));
            return kFailure;
        }
        std::fprintf(ctx.out, "deleted 1 study\n");
    }
    return ctx.SaveWorkspace() ? kSuccess : kFailure;
}

}  // namespace

int RunStudy(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error(std::string("usage: ") + kUsageText);
        return kUsage;
    }
    const std::string sub = args.front();
    args.erase(args.begin());
    if (sub == "add") return RunStudyAdd(ctx, args);
    if (sub == "list") return RunStudyList(ctx, args);
    if (sub == "delete") return RunStudyDelete(ctx, args);
    ctx.Error("study: unknown sub-command '" + sub + "' (add, list or delete)");
    return kUsage;
}

}  // namespace velmora::cli
