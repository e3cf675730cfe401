#include "chart/Commentary.h"

#include <memory>

#include "chart/SeriesPlot.h"
#include "database/Periodicity.h"
#include "formula/FormulaEngine.h"
#include "formula/FormulaFile.h"

namespace velmora {

int CommentarySelectedBar(const ChartSettings& settings, int barCount, int scrollPosition) {
    if (!settings.markerShown || settings.selectedBar < 0) return -1;
    SeriesPlot plot;
    plot.Frame(barCount, settings.visibleBars, scrollPosition);
    if (settings.selectedBar >= plot.visible) return -1;
    return plot.scroll + settings.selectedBar;
}

std::string CommentaryText(std::string_view output) {
    std::string text;
    text.reserve(output.size() + output.size() / 16);
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] == '\n' && (i == 0 || output[i - 1] != '\r')) text.push_back('\r');
        text.push_back(output[i]);
    }
    return text;
}

bool Commentary::Run(FormulaEngine& engine, const CommentarySource& source,
                     const HintSender& sendHint) {
    if (formula_.empty()) return false;
    engine.ClearErrorFlag();
    if (source.stock == nullptr) return false;
    std::unique_ptr<Stock> own;
    const Stock* stock = source.stock;
    if (source.periodicity != Periodicity::Daily) {
        if (source.cache != nullptr) {
            stock = &source.cache->Get(*source.stock, source.periodicity);
        } else {
            own = CompressQuotations(*source.stock, source.periodicity);
            stock = own.get();
        }
    }
    if (stock->Quotations.empty()) return false;

    FormulaRun run = engine.BeginRun(*stock);
    run.SetSelectedBar(source.selectedBar);
    const std::string text = formula_;
    run.Execute(text);
    output_ = CommentaryText(run.Output());
    failed_ = engine.ErrorFlag();
    if (sendHint) {
        HintData data;
        data.barCount = run.BarCount();
        data.buy = run.GetArray("buy");
        data.sell = run.GetArray("sell");
        data.runBars = run.BarCount();
        sendHint(data);
    }
    return true;
}

bool Commentary::Load(const std::filesystem::path& path, FormulaEngine& engine,
                      const CommentarySource& source, const HintSender& sendHint) {
    Result<std::string> text = LoadFormulaFile(path);
    if (!text) return false;
    formula_ = std::move(*text);
    Run(engine, source, sendHint);
    return true;
}

bool Commentary::Save(const std::filesystem::path& path) const {
    return SaveFormulaFile(path, formula_);
}

}  // namespace velmora
