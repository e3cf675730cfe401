#pragma once
// The "Review" window: the stocks of one day as quotes, or ranked by their returns or their
// price/earnings and price/book-value ratios (QuickReview). Changing the type or the day, or
// OK in the filter dialog, fills the list again; double-clicking a row makes its stock
// current.

#include <QWidget>
#include <functional>

#include "analysis/QuickReview.h"

class QComboBox;
class QDateEdit;
class QTableWidget;

namespace velmora::gui {

class GuiContext;

inline constexpr char kQuickReviewCaption[] = "Review";

class QuickReviewWindow : public QWidget {
    Q_OBJECT
  public:
    // Opens on type 0 and the day given, and fills the list.
    QuickReviewWindow(GuiContext& context, PackedDate day, QWidget* parent = nullptr);

    QuickReview& Model() { return review_; }
    QComboBox* TypeBox() const { return type_; }
    QDateEdit* DateEdit() const { return date_; }
    QTableWidget* Table() const { return table_; }

    // The filter dialog of "Filter..."; true when closed with OK. The real dialog unless
    // replaced (tests).
    std::function<bool(StockFilter&)> editFilter;

  public slots:
    void DefineFilter();
    // Double-click: the stock named in the row's first column becomes current.
    void ShowRowStock(int row);
    // Shows the model's rows and columns.
    void ShowRows();

  private:
    GuiContext& context_;
    QuickReview review_;
    QComboBox* type_;
    QDateEdit* date_;
    QTableWidget* table_;
};

// The day the review opens on: the day of the bar the active chart's price title shows (its
// selected bar, else its last bar) when that chart shows the price pane; otherwise today.
PackedDate ReviewStartDay(GuiContext& context);

// "Quick &Review...": the main window's review window, created on first use and filled again
// for the start day on every later command.
QuickReviewWindow* ShowQuickReviewWindow(GuiContext& context, QWidget* mainWindow);

}  // namespace velmora::gui
