#pragma once
// The stock maintenance dialogs of the Edit menu: "Stock Information" (edits a stock's fields
// and renames it), the split dialog (date picker, ratio and "Find next" over the probable
// splits of the history) and the stock finder (a filtered list of tickers and full names).
// The logic is StockMaintenance's; the dialogs only show and collect its fields.

#include <QDialog>
#include <optional>

#include "app/StockMaintenance.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QSpinBox;
class QTreeWidget;

namespace velmora::gui {

class GuiContext;

inline constexpr char kStockInformationTitle[] = "Stock Information";

class StockInformationDialog : public QDialog {
    Q_OBJECT
  public:
    StockInformationDialog(GuiContext& context, Stock& stock, QWidget* parent = nullptr);

    // The fields as the controls hold them.
    StockInformation Fields() const;

    QLineEdit* TickerEdit() const { return ticker_; }
    QLineEdit* FullNameEdit() const { return fullName_; }
    QLineEdit* AliasEdit() const { return alias_; }
    QSpinBox* IssueBox() const { return issue_; }
    QSpinBox* NominalBox() const { return nominal_; }
    QComboBox* MarketBox() const { return market_; }
    QComboBox* GroupBox() const { return group_; }
    QCheckBox* FavouriteBox() const { return favourite_; }
    QCheckBox* IndexBox() const { return index_; }

    // OK: stores the fields; a ticker taken by another stock keeps the dialog open.
    void accept() override;

  private:
    GuiContext& context_;
    Stock& stock_;
    QLineEdit *ticker_, *fullName_, *address_, *alias_, *country_, *currency_, *webId_;
    QSpinBox *code_, *issue_, *nominal_, *book_;
    QComboBox *market_, *group_, *industry_;
    QCheckBox *continuous_, *favourite_, *index_;
};

class SplitStockDialog : public QDialog {
    Q_OBJECT
  public:
    // Opens on the current stock (its older quotations loaded) with the first probable split
    // found; the date picker starts at `initialDate` when there is none.
    SplitStockDialog(GuiContext& context, SplitDialog logic, QWidget* parent = nullptr);

    QDateEdit* DateEdit() const { return date_; }
    QLineEdit* RatioEdit() const { return ratio_; }
    const SplitDialog& Logic() const { return logic_; }

    // OK: splits the history by the picker's date and the ratio; the workspace's portfolio
    // file follows. A ratio that is not a positive number keeps the dialog open.
    void accept() override;

  public slots:
    // "Find next": the next probable split after the shown date, or a message that there is
    // none (the date and the ratio then stay).
    void FindNext();

  private:
    void Show();

    GuiContext& context_;
    SplitDialog logic_;
    QDateEdit* date_;
    QLineEdit* ratio_;
};

// The stock finder: a text box over the list of every stock; typing narrows the list to the
// stocks whose ticker or full name contains the text (any case).
class StockFinderDialog : public QDialog {
    Q_OBJECT
  public:
    StockFinderDialog(Database& db, QWidget* parent = nullptr);

    QLineEdit* FilterEdit() const { return filter_; }
    QTreeWidget* List() const { return list_; }
    // The chosen stock (the selected row); null when none is selected.
    Stock* Chosen() const;

  private:
    void Fill(const QString& text);

    Database& db_;
    QLineEdit* filter_;
    QTreeWidget* list_;
};

// The commands: the "Stock Information" dialog of the current stock; the Split dialog of the
// current stock; the stock finder (the chosen stock becomes current).
void ShowStockInformation(GuiContext& context, QWidget* parent);
void ShowSplit(GuiContext& context, QWidget* parent);
void ShowStockFinder(GuiContext& context, QWidget* parent);

// The Edit menu's entries of these commands (and of the quotation editor and the category
// dialogs), added after the entries already there.
void AddStockMaintenanceActions(GuiContext& context, QMenu* edit, QWidget* parent);

}  // namespace velmora::gui
