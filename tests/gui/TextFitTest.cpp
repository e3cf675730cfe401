// Every dialog and tool window, in the program's font and in a larger one, shows its caption,
// its labels, its buttons, its column titles and the cells of its lists whole.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "gui/ChartGuiSupport.h"
#include "gui/DialogCaptions.h"
#include "gui/StartupScreens.h"
#include "gui/analysis/AnalysisWindow.h"
#include "gui/analysis/QuickReviewWindow.h"
#include "gui/analysis/SystemTestSettingsDialog.h"
#include "gui/dialogs/CategoryDialogs.h"
#include "gui/dialogs/CommentaryWindow.h"
#include "gui/dialogs/CompositesDialog.h"
#include "gui/dialogs/CustomizeToolsDialog.h"
#include "gui/dialogs/FilterSettingsDialog.h"
#include "gui/dialogs/ImportDialogs.h"
#include "gui/dialogs/IndicatorBuilderDialog.h"
#include "gui/dialogs/PortfolioWindow.h"
#include "gui/dialogs/PreferencesDialog.h"
#include "gui/dialogs/QuotationEditorWindow.h"
#include "gui/dialogs/StockDialogs.h"
#include "gui/dialogs/StudyPropertiesDialog.h"
#include "portfolio/Portfolio.h"

namespace velmora {
namespace {

using Make = std::function<std::unique_ptr<QWidget>(test::GuiFixture&)>;

template <typename W, typename... Args>
Make Window(Args... args) {
    return [=](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
        if constexpr (std::is_constructible_v<W, gui::GuiContext&, Args...>) {
            return std::make_unique<W>(f.context, args...);
        } else {
            return std::make_unique<W>(args...);
        }
    };
}

// The texts the window shows cut: the caption narrower than the window, a label or button
// squeezed below the width of its text, a column narrower than its title or its cells.
std::vector<std::string> CutTexts(QWidget& window) {
    std::vector<std::string> cut;
    QFont bold = window.font();
    bold.setBold(true);
    if (window.width() < QFontMetrics(bold).horizontalAdvance(window.windowTitle()))
        cut.push_back("caption " + window.windowTitle().toStdString());
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisible() && !label->wordWrap() && !label->text().isEmpty() &&
            label->width() < label->sizeHint().width())
            cut.push_back("label " + label->text().toStdString());
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty() &&
            qobject_cast<const QToolButton*>(button) == nullptr &&
            button->width() < button->sizeHint().width())
            cut.push_back("button " + button->text().toStdString());
    }
    for (const QHeaderView* header : window.findChildren<QHeaderView*>()) {
        if (!header->isVisible() || header->orientation() != Qt::Horizontal) continue;
        for (int c = 0; c < header->count(); ++c) {
            const auto* view = qobject_cast<const QAbstractItemView*>(header->parentWidget());
            const int cells = view != nullptr ? view->sizeHintForColumn(c) : 0;
            if (!header->isSectionHidden(c) &&
                header->sectionSize(c) < std::max(header->sectionSizeHint(c), cells))
                cut.push_back(
                    "column " +
                    header->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        }
    }
    return cut;
}

TEST(TextFit, EveryDialogShowsItsCaptionLabelsButtonsColumnTitlesAndCellsWhole) {
    test::EnsureWidgetsApplication();
    gui::DialogCaptionWidth widen;
    qApp->installEventFilter(&widen);
    const QFont programFont = QApplication::font();
    QFont large = programFont;
    large.setPointSizeF(programFont.pointSizeF() * 1.5);
    static const Portfolio portfolio;
    const std::vector<std::pair<const char*, Make>> windows = {
        {"Preferences", Window<gui::PreferencesDialog>()},
        {"Palette editor", Window<gui::PaletteEditorDialog>(std::array<int, kPaletteSize>{})},
        {"Stock Information",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::StockInformationDialog>(f.context, *f.stock);
         }},
        {"Split",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::SplitStockDialog>(
                 f.context, *f.context.Maintenance().OpenSplitDialog(MakeDate(2005, 6, 1)));
         }},
        {"Find stock",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::StockFinderDialog>(f.db);
         }},
        {"Quotations editor", Window<gui::QuotationEditorWindow>()},
        {"Categories", Window<gui::CategoriesDialog>()},
        {"Assignments organizer", Window<gui::AssignmentsOrganizerDialog>()},
        {"Automatic analysis", Window<gui::AnalysisWindow>()},
        {"System test settings", Window<gui::SystemTestSettingsDialog>(SystemTestSettings{})},
        {"Filter settings",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::FilterSettingsDialog>(StockFilter{}, f.db.Categories());
         }},
        {"Review",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             // Prices of six digits, wider than the columns' first widths.
             for (Quotation& q : f.stock->Quotations) {
                 q.Close *= 1000;
                 q.Open *= 1000;
                 q.High *= 1000;
                 q.Low *= 1000;
             }
             return std::make_unique<gui::QuickReviewWindow>(f.context, MakeDate(2005, 6, 1));
         }},
        {"Customize tools",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             static CustomTools tools;
             return std::make_unique<gui::CustomizeToolsDialog>(tools, f.settings);
         }},
        {"Indicator Builder",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::IndicatorBuilderDialog>(f.charts, f.settings, [] {});
         }},
        {"Commentary", Window<gui::CommentaryWindow>()},
        {"Portfolio manager", Window<gui::PortfolioWindow>()},
        {"Commission & tax table", Window<gui::CommissionTableDialog>(CommissionTable{}, 0.0)},
        {"Buy stocks",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::TradeDialog>(f.db, portfolio, f.ui,
                                                       gui::TradeDialog::Mode::Buy, "TEST", 0.0);
         }},
        {"Composites recalculation tool", Window<gui::CompositesDialog>()},
        {"Metastock importer", Window<gui::MetastockImportDialog>()},
        {"Trend line properties",
         Window<gui::TrendLinePropertiesDialog>(TrendLineProperties{}, ChartPalette{})},
        {"Text box properties",
         Window<gui::TextBoxPropertiesDialog>(TextBoxProperties{}, ChartPalette{})},
        {"Tip of the Day",
         [](test::GuiFixture& f) -> std::unique_ptr<QWidget> {
             return std::make_unique<gui::TipOfTheDayDialog>(f.settings);
         }},
    };
    for (const QFont& font : {programFont, large}) {
        QApplication::setFont(font);
        for (const auto& [name, make] : windows) {
            test::GuiFixture f;
            const std::unique_ptr<QWidget> window = make(f);
            window->show();
            EXPECT_EQ(window->windowTitle(), name);
            EXPECT_EQ(CutTexts(*window), std::vector<std::string>{})
                << name << " at " << font.pointSizeF() << " pt";
            window->hide();
        }
    }
    QApplication::setFont(programFont);
    qApp->removeEventFilter(&widen);
}

}  // namespace
}  // namespace velmora
