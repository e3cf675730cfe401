#include "chart/ChartWindowModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/FileUtil.h"
#include "platform/Saturate.h"

namespace velmora {

namespace {

constexpr char kLayoutMagic[] = "TARVLAYT";
constexpr int kLayoutRowHeight = 20;

// Reads one "%d" from text at pos: white space, an optional sign, digits.
bool ScanInt(std::string_view text, std::size_t& pos, int& out) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    std::size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p]))) return false;
    long long v = 0;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
        v = std::min<long long>(v * 10 + (text[p] - '0'), 1LL << 40);
        ++p;
    }
    pos = p;
    v = negative ? -v : v;
    out = ClampToInt32(v);
    return true;
}

MenuItem Item(std::string text, int command, bool enabled = true) {
    MenuItem m;
    m.text = std::move(text);
    m.command = command;
    m.enabled = enabled;
    return m;
}

// The built-in definitions, then a submenu of the custom ones, with commands base + id.
std::vector<MenuItem> DefinitionList(const ChartTable& table, int base,
                                     const std::string& customCaption) {
    std::vector<MenuItem> items;
    MenuItem custom = Item(customCaption, 0);
    for (const ChartDefinition& d : table.Rows()) {
        if (d.IsCustom())
            custom.submenu.push_back(Item(d.name, base + d.id));
        else
            items.push_back(Item(d.name, base + d.id));
    }
    items.push_back(std::move(custom));
    return items;
}

}  // namespace

void PaneScrollBar::Reset(int bars, int visibleBars) {
    range = std::max(0, bars);
    page = std::max(0, visibleBars);
    position = std::max(0, range - page);
}

bool PaneScrollBar::MoveTo(int newPosition) {
    newPosition = std::clamp(newPosition, 0, MaxPosition());
    if (newPosition == position) return false;
    position = newPosition;
    return true;
}

ChartWindowModel::ChartWindowModel(const ChartTable& table, bool autoArrange)
    : table_(table), autoArrange_(autoArrange), panes_(1) {}

void ChartWindowModel::SetActivePane(int i) {
    if (i >= 0 && i < PaneCount()) active_ = i;
}

Status ChartWindowModel::Open(const std::filesystem::path& layoutFile) {
    panes_.assign(1, ChartPaneState{});
    splitter_ = ProportionalSplitter();
    active_ = 0;
    const Result<Bytes> file = ReadFile(layoutFile, FileKind::Layout);
    layoutUnread_ = !file && file.GetStatus().Code() != StatusCode::NotFound;
    if (!file) {
        Status unread = file.GetStatus();
        OpenDefault();
        return unread;
    }
    const std::string_view text(reinterpret_cast<const char*>(file->data()), file->size());
    // The first line, at most 9 characters, must begin with the magic.
    std::size_t pos = 0;
    while (pos < text.size() && pos < 9 && text[pos] != '\n') ++pos;
    if (pos < text.size() && text[pos] == '\n' && pos < 9) ++pos;
    if (text.size() < 8 || text.substr(0, 8) != kLayoutMagic) {
        layoutUnread_ = true;
        return Status::FileError("not a layout file", layoutFile, 0, StatusCode::BadMagic);
    }
    int n = 0;
    if (!ScanInt(text, pos, n)) return Status::Ok();
    n = std::clamp(n, 1, ProportionalSplitter::kMaxRows);
    for (int i = 1; i < n; ++i) {
        panes_.emplace_back();
        splitter_.AddRow();
    }
    for (int i = 0; i < n; ++i) {
        int id = 0, percent = 0;
        if (!ScanInt(text, pos, id) || !ScanInt(text, pos, percent)) break;
        panes_[static_cast<std::size_t>(i)].chartId = std::max(0, id);
        splitter_.SetRowHeights(i, kLayoutRowHeight, kLayoutRowHeight);
        splitter_.SetPercent(i, std::clamp(percent, 0, 100));
    }
    return Status::Ok();
}

void ChartWindowModel::OpenDefault() {
    panes_.assign(1, ChartPaneState{});
    splitter_ = ProportionalSplitter();
    active_ = 0;
    panes_[0].chartId = kPriceChartId;
    const bool autoArrange = autoArrange_;
    autoArrange_ = false;
    Insert(2);  // MACD
    Insert(3);  // RSI
    autoArrange_ = autoArrange;
    Arrange();
}

std::string ChartWindowModel::LayoutText() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "TARVLAYT\n%d\n", PaneCount());
    std::string out = buf;
    for (int i = 0; i < PaneCount(); ++i) {
        std::snprintf(buf, sizeof buf, "%d %d\n", Pane(i).chartId, splitter_.Percent(i));
        out += buf;
    }
    return out;
}

bool ChartWindowModel::SaveLayout(const std::filesystem::path& layoutFile) {
    std::error_code ec;
    if (layoutUnread_ && std::filesystem::exists(std::filesystem::symlink_status(layoutFile, ec)) &&
        !KeepOldFile(layoutFile, ".bak")) {
        return false;
    }
    if (!WriteFileAtomically(layoutFile, LayoutText())) return false;
    layoutUnread_ = false;
    return true;
}

std::vector<ChartWindowModel::PaneRect> ChartWindowModel::Layout() const {
    const std::vector<int> heights = splitter_.LayoutRows(clientHeight_);
    std::vector<PaneRect> out;
    int y = 0;
    for (int h : heights) {
        out.push_back({y, h});
        y += h + ProportionalSplitter::kBarSize;
    }
    return out;
}

bool ChartWindowModel::BlankPane() {
    if (!splitter_.SplitLastRow(clientHeight_)) return false;
    panes_.emplace_back();
    active_ = PaneCount() - 1;
    if (autoArrange_) Arrange();
    return true;
}

bool ChartWindowModel::Insert(int chartId) {
    const int above = std::clamp(active_, 0, PaneCount() - 1);
    if (!splitter_.SplitRow(above, clientHeight_)) return false;
    // The new pane scrolls as the pane above it until the next refresh.
    ChartPaneState pane;
    pane.scroll = panes_[static_cast<std::size_t>(above)].scroll;
    panes_.insert(panes_.begin() + above + 1, std::move(pane));
    active_ = above + 1;
    if (autoArrange_) Arrange();
    panes_[static_cast<std::size_t>(active_)].chartId = chartId;
    return true;
}

void ChartWindowModel::Replace(int pane, int chartId) {
    if (pane < 0 || pane >= PaneCount()) return;
    ChartPaneState& p = panes_[static_cast<std::size_t>(pane)];
    p.chartId = chartId;
    p.arrows = {};
}

bool ChartWindowModel::Close() {
    if (!CanClose()) return false;
    splitter_.RemoveRow(active_);
    panes_.erase(panes_.begin() + active_);
    active_ = std::min(active_, PaneCount() - 1);
    // The rows left share the freed height in their old proportions on the next pass.
    return true;
}

void ChartWindowModel::Arrange() {
    const int n = PaneCount();
    int prices = 0;
    for (int i = 0; i < n; ++i) prices += IsPriceChart(i);
    const int unit = 100 / (n + 2 * prices);
    for (int i = 0; i < n; ++i) splitter_.SetPercent(i, IsPriceChart(i) ? 3 * unit : unit);
}

void ChartWindowModel::SetPanes(const std::vector<std::pair<int, int>>& idAndPercent) {
    panes_.assign(1, ChartPaneState{});
    splitter_ = ProportionalSplitter();
    active_ = 0;
    const int n =
        std::clamp(static_cast<int>(idAndPercent.size()), 1, ProportionalSplitter::kMaxRows);
    for (int i = 1; i < n; ++i) {
        panes_.emplace_back();
        splitter_.AddRow();
    }
    for (int i = 0; i < n && i < static_cast<int>(idAndPercent.size()); ++i) {
        panes_[static_cast<std::size_t>(i)].chartId =
            idAndPercent[static_cast<std::size_t>(i)].first;
        splitter_.SetPercent(i,
                             std::clamp(idAndPercent[static_cast<std::size_t>(i)].second, 0, 100));
    }
}

void ChartWindowModel::SetPeriodicity(Periodicity p, CompressedStockCache& cache,
                                      const HintData& data) {
    periodicity_ = p;
    cache.Drop();
    Receive({RefreshHint::Kind::PeriodicityChanged}, data);
    Receive({RefreshHint::Kind::Everything}, data);
}

std::vector<bool> ChartWindowModel::Receive(const RefreshHint& hint, const HintData& data) {
    std::vector<bool> repaint(panes_.size(), false);
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        ChartPaneState& p = panes_[i];
        switch (hint.kind) {
            case RefreshHint::Kind::Everything:
                p.scroll.Reset(data.barCount, data.visibleBars);
                repaint[i] = true;
                break;
            case RefreshHint::Kind::FormulaRan:
                if (p.chartId != kPriceChartId || !data.showsCurrentStock) break;
                p.arrows = {};
                if (data.buy && data.sell && data.runBars > 0) {
                    p.arrows.buy.assign(data.buy, data.buy + data.runBars);
                    p.arrows.sell.assign(data.sell, data.sell + data.runBars);
                }
                break;
            case RefreshHint::Kind::PeriodicityChanged:
                p.arrows = {};
                break;
            case RefreshHint::Kind::PriceSettings:
                repaint[i] = p.chartId == kPriceChartId;
                break;
            case RefreshHint::Kind::SelectedBar:
                repaint[i] = static_cast<int>(i) != hint.senderPane && p.chartId != 0;
                break;
        }
    }
    return repaint;
}

std::vector<MenuItem> ChartWindowModel::InsertMenu(const ChartTable& table) {
    std::vector<MenuItem> items;
    MenuItem custom = Item("Custom in&dicators", 0);
    for (const ChartDefinition& d : table.Rows()) {
        if (d.IsCustom())
            custom.submenu.push_back(Item(d.name, ChartCommand::kInsertBase + d.id));
        else
            items.push_back(
                Item(d.id == kPriceChartId ? "&Price" : d.name, ChartCommand::kInsertBase + d.id));
    }
    items.push_back(std::move(custom));
    return items;
}

std::vector<MenuItem> ChartWindowModel::ContextMenu(const ChartTable& table, bool plainList,
                                                    bool studyHit, bool paneHasStudies) const {
    if (plainList) return DefinitionList(table, ChartCommand::kReplaceBase, "Custom");
    MenuItem chart = Item("Chart", 0);
    MenuItem insert = Item("&Insert", 0);
    insert.submenu = DefinitionList(table, ChartCommand::kInsertBase, "Custom");
    chart.submenu.push_back(std::move(insert));
    chart.submenu.push_back(Item("&Close", ChartCommand::kClosePane, CanClose()));
    chart.submenu.push_back(Item("&Arrange", ChartCommand::kArrange));
    chart.submenu.push_back(Item("&Daily", ChartCommand::kDaily));
    chart.submenu.push_back(Item("&Weekly", ChartCommand::kWeekly));
    chart.submenu.push_back(Item("&Monthly", ChartCommand::kMonthly));
    chart.submenu.push_back(Item("&Save layout", ChartCommand::kSaveLayout));
    chart.submenu.push_back(Item("D&elete study", ChartCommand::kDeleteStudy, studyHit));
    chart.submenu.push_back(
        Item("De&lete All studies", ChartCommand::kDeleteAllStudies, paneHasStudies));
    chart.submenu.push_back(Item("&Properties...", ChartCommand::kProperties, studyHit));
    return {chart};
}

}  // namespace velmora
