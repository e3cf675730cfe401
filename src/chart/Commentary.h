#pragma once
// The commentary: a QRX formula run on the current stock whose text output is shown. While
// its run is still open the chart windows are told a formula ran (refresh hint 1), so that
// price panes take its buy and sell arrays as trade arrows.

#include <functional>
#include <string>
#include <string_view>

#include "chart/ChartSettings.h"
#include "chart/ChartWindowModel.h"
#include "chart/Compression.h"

namespace velmora {

class FormulaEngine;

// The engine's selected bar for the commentary: the price pane's selected bar (an index within
// its visible bars) as a bar of the stock, or -1 (the last bar) when no bar is selected.
int CommentarySelectedBar(const ChartSettings& settings, int barCount, int scrollPosition);

// Line feeds turned into carriage return and line feed (a carriage return already before a
// line feed is kept as it is).
std::string CommentaryText(std::string_view output);

// Where one run of the commentary takes its stock and selected bar from.
struct CommentarySource {
    const Stock* stock = nullptr;  // the current stock, daily; none: nothing runs
    Periodicity periodicity = Periodicity::Daily;
    CompressedStockCache* cache = nullptr;  // the charts' cache; none: compressed privately
    int selectedBar = -1;                   // a bar of the stock in that periodicity, or -1
};

class Commentary {
  public:
    // Receives refresh hint 1 with the run's buy and sell arrays (each window fills in whether
    // it shows the current stock).
    using HintSender = std::function<void(const HintData&)>;

    const std::string& Formula() const { return formula_; }
    void SetFormula(std::string text) { formula_ = std::move(text); }
    // The last output, with CR LF line breaks.
    const std::string& Output() const { return output_; }
    // Whether the last run reported a formula error.
    bool Failed() const { return failed_; }

    // Runs the formula and keeps its output; false (output unchanged) when the formula is
    // empty or there is no stock with quotations.
    bool Run(FormulaEngine& engine, const CommentarySource& source, const HintSender& sendHint);

    // "Load": reads a formula file into the formula (false when it cannot be read; then the
    // formula stays) and runs the commentary. "Save": writes the formula.
    bool Load(const std::filesystem::path& path, FormulaEngine& engine,
              const CommentarySource& source, const HintSender& sendHint);
    bool Save(const std::filesystem::path& path) const;

  private:
    std::string formula_;
    std::string output_;
    bool failed_ = false;
};

}  // namespace velmora
