// "default.layout" bytes opened as a chart window opens them. The panes must be 1 to 16 with
// laid-out heights that fill the window; a layout that loaded is saved and opened again and
// must give the same text. Then a few pane commands run on what was read, in a window of
// another height.

#include <cstdint>
#include <numeric>

#include "FuzzSupport.h"
#include "chart/ChartWindowModel.h"

using namespace velmora;

namespace {

void CheckPanes(const ChartWindowModel& model) {
    if (model.PaneCount() < 1 || model.PaneCount() > ProportionalSplitter::kMaxRows ||
        model.Splitter().RowCount() != model.PaneCount()) {
        __builtin_trap();
    }
    const auto rects = model.Layout();
    if (static_cast<int>(rects.size()) != model.PaneCount()) __builtin_trap();
    // A window lower than its splitter bars cannot hold its panes; any other one must.
    const bool fits =
        model.ClientHeight() >= (model.PaneCount() - 1) * ProportionalSplitter::kBarSize;
    for (const auto& r : rects) {
        if (r.height < 0 || r.top < 0 || (fits && r.top + r.height > model.ClientHeight())) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("layout");
    static const ChartTable table;
    const auto file = dir / kLayoutFileName;
    fuzz::WriteFile(file, data, size);
    ChartWindowModel model(table);
    const auto status = model.Open(file);
    CheckPanes(model);
    if (!status) return 0;
    const std::string text = model.LayoutText();
    if (!model.SaveLayout(file)) return 0;
    ChartWindowModel again(table);
    if (!again.Open(file) || again.LayoutText() != text) {
        __builtin_trap();
    }
    model.SetClientHeight(size % 2000);
    CheckPanes(model);
    model.BlankPane();
    model.Arrange();
    CheckPanes(model);
    while (model.CanClose()) model.Close();
    CheckPanes(model);
    return 0;
}
