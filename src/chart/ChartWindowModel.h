#pragma once
// One chart window without its widgets: the stack of panes in a proportional splitter, the
// layout file "default.layout", the pane commands (Blank pane, Insert, Replace, Close,
// Arrange, Save layout), the window's periodicity, the refresh hints its panes receive and
// the contents of the Insert and Chart menus.

#include <filesystem>
#include <string>
#include <vector>

#include "chart/ChartDefinition.h"
#include "chart/ChartSettings.h"
#include "chart/Compression.h"
#include "chart/PaneContext.h"
#include "chart/ProportionalSplitter.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr char kLayoutFileName[] = "default.layout";

// Command numbers of the chart window.
namespace ChartCommand {
inline constexpr int kBlankPane = 2779;
inline constexpr int kClosePane = 2781;
inline constexpr int kArrange = 2786;
inline constexpr int kDeleteStudy = 2843;
inline constexpr int kDeleteAllStudies = 2845;
inline constexpr int kDaily = 2851;
inline constexpr int kWeekly = 2852;
inline constexpr int kMonthly = 2853;
inline constexpr int kChartTypeAuto = 2858;  // to 2861 "Bars"
inline constexpr int kSaveLayout = 2869;
inline constexpr int kNewWindow = 2883;
inline constexpr int kProperties = 2887;
inline constexpr int kInsertBase = 10000;   // + chart id
inline constexpr int kReplaceBase = 12000;  // + chart id
}  // namespace ChartCommand

// A horizontal scroll bar over bars 0 .. range - 1 showing `page` bars.
struct PaneScrollBar {
    int range = 0;
    int page = 0;
    int position = 0;
    int MaxPosition() const { return range > page ? range - page : 0; }
    void Reset(int bars, int visibleBars);
    // Returns true when the position changed.
    bool LineLeft() { return MoveTo(position - 1); }
    bool LineRight() { return MoveTo(position + 1); }
    bool PageLeft() { return MoveTo(position - 10); }
    bool PageRight() { return MoveTo(position + 10); }
    bool Home() { return MoveTo(0); }
    bool End() { return MoveTo(MaxPosition()); }
    bool MoveTo(int newPosition);
};

struct ChartPaneState {
    int chartId = 0;  // 0: blank
    PaneScrollBar scroll;
    TradeArrows arrows;  // both empty: none
};

// What a refresh hint tells the panes.
struct RefreshHint {
    enum class Kind {
        Everything = 0,  // new data, zoom, chart type, stock change
        FormulaRan = 1,  // a formula has just run on the current stock
        PeriodicityChanged = 2,
        PriceSettings = 3,  // the price chart settings changed
        SelectedBar = 4,    // a pane moved its selected bar (index and sender below)
    };
    Kind kind = Kind::Everything;
    int barIndex = -1;
    int senderPane = -1;
};

// What the hint's receivers read.
struct HintData {
    int barCount = 0;  // bars of the current stock in the window's periodicity
    int visibleBars = 159;
    bool showsCurrentStock = true;  // the window's document shows the stock the formula ran on
    const float* buy = nullptr;     // the formula engine's arrays (none when missing)
    const float* sell = nullptr;
    int runBars = 0;
};

struct MenuItem {
    std::string text;
    int command = 0;  // 0 for a submenu or a separator
    bool enabled = true;
    std::vector<MenuItem> submenu;
};

class ChartWindowModel {
  public:
    explicit ChartWindowModel(const ChartTable& table, bool autoArrange = true);

    // Opens the window's panes from the layout file: a file that cannot be read (NotFound,
    // IoError) gives Price, MACD and RSI arranged; a wrong magic (BadMagic) leaves one blank
    // pane. Either way the window has panes to show.
    Status Open(const std::filesystem::path& layoutFile);
    void OpenDefault();
    // "TARVLAYT\n%d\n" then "%d %d\n" per pane; false when it cannot be written. A layout file
    // that Open could not read (other than a missing one) is kept as FILE.bak first: the user
    // asked for this save, and the old file is not lost by it.
    bool SaveLayout(const std::filesystem::path& layoutFile);
    std::string LayoutText() const;

    int PaneCount() const { return static_cast<int>(panes_.size()); }
    ChartPaneState& Pane(int i) { return panes_[static_cast<std::size_t>(i)]; }
    const ChartPaneState& Pane(int i) const { return panes_[static_cast<std::size_t>(i)]; }
    int ActivePane() const { return active_; }
    void SetActivePane(int i);
    ProportionalSplitter& Splitter() { return splitter_; }
    const ProportionalSplitter& Splitter() const { return splitter_; }

    // The client height the splitter lays out (the window's size).
    int ClientHeight() const { return clientHeight_; }
    void SetClientHeight(int h) { clientHeight_ = std::max(0, h); }
    // Top and height of every pane.
    struct PaneRect {
        int top;
        int height;
    };
    std::vector<PaneRect> Layout() const;

    // --- pane commands --------------------------------------------------------------------
    // Splits the last row at half its height; the new pane is active and blank. False at 16.
    bool BlankPane();
    // Splits the active pane: the lower half is a new pane showing the chart, and it becomes
    // the active pane (auto-arrange as for a blank pane). False at 16.
    bool Insert(int chartId);
    void Replace(int pane, int chartId);
    bool CanClose() const { return panes_.size() > 1; }
    bool Close();
    void Arrange();
    // Sets every pane's chart and percent at once (the command line's --panes).
    void SetPanes(const std::vector<std::pair<int, int>>& idAndPercent);

    // --- settings -------------------------------------------------------------------------
    Periodicity GetPeriodicity() const { return periodicity_; }
    // Sets the periodicity, drops the compressed cache, then sends hints 2 and 0.
    void SetPeriodicity(Periodicity p, CompressedStockCache& cache, const HintData& data);

    // --- refresh hints --------------------------------------------------------------------
    // Applies a hint to every pane; returns per pane whether it must repaint (for the
    // selected-bar hint: redraw its marker line).
    std::vector<bool> Receive(const RefreshHint& hint, const HintData& data);

    // --- menus ----------------------------------------------------------------------------
    // The main menu bar's Insert menu: the built-in charts and a "Custom in&dicators" submenu.
    static std::vector<MenuItem> InsertMenu(const ChartTable& table);
    // The pane's right-click menu: a plain replace list with SHIFT or the left button down,
    // else the "Chart" menu.
    std::vector<MenuItem> ContextMenu(const ChartTable& table, bool plainList, bool studyHit,
                                      bool paneHasStudies) const;

  private:
    bool IsPriceChart(int pane) const { return Pane(pane).chartId == kPriceChartId; }

    [[maybe_unused]] const ChartTable& table_;  // the table its panes' chart ids refer to
    bool autoArrange_;
    std::vector<ChartPaneState> panes_;
    ProportionalSplitter splitter_;
    int active_ = 0;
    int clientHeight_ = 600;
    Periodicity periodicity_ = Periodicity::Daily;
    bool layoutUnread_ = false;  // Open found a layout file it could not read
};

}  // namespace velmora
