#pragma once
// The "Composites recalculation tool": which composites to compute ("Volume for base index",
// "Copy Volume to all indexes", "Number of advancing/declining issues"), over which quotations
// of the base index (all, the last n, a date range) and for which markets (all, or one of the
// 256). "Calculate" computes them, "Delete" releases the advance/decline records after asking,
// "Close" closes.

#include <QDialog>
#include <array>

#include "database/Composites.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora::gui {

class GuiContext;

inline constexpr char kCompositesToolCaption[] = "Composites recalculation tool";

class CompositesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CompositesDialog(GuiContext& context, QWidget* parent = nullptr);

    QCheckBox* FlagBox(int i) const { return flags_[static_cast<std::size_t>(i)]; }
    // 0 "All quotes", 1 "Last n quotes:", 2 "Date range:".
    QRadioButton* RangeButton(int i) const { return range_[static_cast<std::size_t>(i)]; }
    QLineEdit* CountEdit() const { return count_; }
    QDateEdit* FromEdit() const { return from_; }
    QDateEdit* ToEdit() const { return to_; }
    QRadioButton* AllMarketsButton() const { return allMarkets_; }
    QRadioButton* ThisMarketButton() const { return thisMarket_; }
    QComboBox* MarketBox() const { return market_; }

    // The request the controls describe (market: the chosen one, -1 for all markets).
    CompositesRequest Request(int* market) const;

  public slots:
    void Calculate();
    void Delete();

  private:
    GuiContext& context_;
    std::array<QCheckBox*, 3> flags_{};
    std::array<QRadioButton*, 3> range_{};
    QLineEdit* count_;
    QDateEdit* from_;
    QDateEdit* to_;
    QRadioButton* allMarkets_;
    QRadioButton* thisMarket_;
    QComboBox* market_;
};

// "&Calculate composites...": the tool as a modal dialog.
void ShowCompositesTool(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
