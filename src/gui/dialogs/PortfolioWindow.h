#pragma once
// The "Portfolio manager" window: the positions list with each position's quantity and change,
// the whole portfolio's figures, the selected position's figures, and the buttons that buy,
// sell, book dividends, join positions, pay cash in and out and edit the commission table.
// It works on a copy of the portfolio file loaded at opening; OK writes the file, Cancel
// drops every change. The "Buy stocks" / "Sell stocks" trade dialog and the "Commission & tax
// table" dialog live here too.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "database/Database.h"
#include "database/PackedDate.h"
#include "platform/UserInterface.h"
#include "portfolio/Portfolio.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace velmora::gui {

class GuiContext;

// "Buy stocks" (buy mode) or "Sell stocks" (sell mode, ticker fixed to the position's).
class TradeDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { Buy, Sell };
    struct Trade {
        std::string ticker;
        PackedDate date = kNoDate;
        double quantity = 0;
        double price = 0;
    };

    // In buy mode `held` is unused; in sell mode it is the position's quantity. The portfolio
    // gives the available money and the commission.
    TradeDialog(Database& db, const Portfolio& portfolio, UserInterface& ui, Mode mode,
                const std::string& ticker, double held, QWidget* parent = nullptr);

    QComboBox* TickerBox() const { return ticker_; }
    QDateEdit* DateEdit() const { return date_; }
    QLineEdit* PriceEdit() const { return price_; }
    QLineEdit* QuantityEdit() const { return quantity_; }
    // The fields as entered; text that is no number reads as 0.
    Trade Entered() const;

    // Refuses, with the dialog left open, a purchase the available money does not cover, a
    // sale of more than is held, and a quantity or price that is no use.
    void accept() override;

  private:
    void Propose(std::optional<PackedDate> date);

    Database& db_;
    const Portfolio& portfolio_;
    UserInterface& ui_;
    Mode mode_;
    double held_;
    QComboBox* ticker_;
    QDateEdit* date_;
    QLineEdit* price_;
    QLineEdit* quantity_;
    bool filling_ = false;
};

// "Commission & tax table": the five bands with their thresholds, base amounts and
// percentages, and the dividend income tax; percentages are shown multiplied by 100.
class CommissionTableDialog : public QDialog {
    Q_OBJECT
  public:
    CommissionTableDialog(const CommissionTable& table, double dividendTax,
                          QWidget* parent = nullptr);

    // Row 0 has no "from:" edit and row 4 no "upto:" edit (null).
    QLineEdit* FromEdit(int row) const { return from_[static_cast<std::size_t>(row)]; }
    QLineEdit* UptoEdit(int row) const { return upto_[static_cast<std::size_t>(row)]; }
    QLineEdit* BaseEdit(int row) const { return base_[static_cast<std::size_t>(row)]; }
    QLineEdit* PercentEdit(int row) const { return percent_[static_cast<std::size_t>(row)]; }
    QLineEdit* TaxEdit() const { return tax_; }

    // Takes every edit's value (each threshold from its "upto:" edit) and shows them again.
    void TakeValues();
    const CommissionTable& Table() const { return table_; }
    double DividendTax() const { return taxValue_; }

    void accept() override;

  private:
    void Show();

    CommissionTable table_;
    double taxValue_;
    std::array<QLineEdit*, CommissionTable::kBands> from_{};
    std::array<QLineEdit*, CommissionTable::kBands> upto_{};
    std::array<QLineEdit*, CommissionTable::kBands> base_{};
    std::array<QLineEdit*, CommissionTable::kBands> percent_{};
    QLineEdit* tax_ = nullptr;
};

class PortfolioWindow : public QDialog {
    Q_OBJECT
  public:
    // Loads the portfolio file of the context's workspace (a missing or foreign file gives an
    // empty portfolio).
    PortfolioWindow(GuiContext& context, QWidget* parent = nullptr);

    // How the window runs its trade and commission dialogs (exec() unless replaced) and asks
    // for an amount (title, prompt; nothing when cancelled). Tests replace them.
    std::function<int(QDialog&)> runDialog;
    std::function<std::optional<QString>(const QString& title, const QString& prompt)> askText;

    const Portfolio& Account() const { return portfolio_; }
    QTreeWidget* List() const { return list_; }
    int Selection() const;
    void Select(int index);
    // The texts beside the captions of kSummaryCaptions (the two shares follow their values:
    // index 6 the stock share, 7 the cash share) and of kPositionCaptions.
    QString SummaryText(int index) const;
    QString PositionText(int index) const;
    QPushButton* Button(const QString& text) const;

    // OK: the present stock value is stored and the file written; the window stays open when
    // the file cannot be written.
    void accept() override;

  public slots:
    void Buy();
    void Sell();
    void Dividend();
    void Join();
    void PayIn();
    void PayOut();
    void Settings();

  private:
    void Fill(int selection);
    void ShowSummary();
    void ShowPosition();

    GuiContext& context_;
    Portfolio portfolio_;
    Status read_;  // how the portfolio file was read when the window opened
    QTreeWidget* list_;
    std::array<QLabel*, 8> summary_{};
    std::array<QLabel*, 9> position_{};
    std::array<QPushButton*, 3> positionButtons_{};
};

// Opens the modal window over the context's workspace.
void ShowPortfolioManager(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
