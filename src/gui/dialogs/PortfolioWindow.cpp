#include "gui/dialogs/PortfolioWindow.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/StockMaintenance.h"
#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "portfolio/PortfolioFigures.h"
#include "portfolio/PortfolioFile.h"

namespace velmora::gui {

namespace {

// Shown when a trade dialog's quantity or price cannot make a trade.
constexpr char kEnterTrade[] = "Please enter a ticker, a quantity above 0 and a price.";
// The ticker the buy dialog offers when there is no current stock.
constexpr char kDefaultBuyTicker[] = "WIG";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// An amount typed by the user: the number the text begins with, 0 for no number and for
// texts such as "inf" or "nan" that would poison the cash.
double Amount(const QString& text) {
    const double v = ReadAmount(text.trimmed().toStdString());
    return std::isfinite(v) ? v : 0;
}

// A number for an edit field, without an exponent below a trillion and without the noise of
// binary fractions (0.19 x 100 shows as 19).
QString Number(double v) {
    return QString::number(v, 'g', 12);
}

// A right-aligned value, never narrower than its text, and at least 16 average characters wide
// so that the columns stay put while the values change.
class ValueText final : public QLabel {
  public:
    explicit ValueText(QWidget* parent) : QLabel(parent) {
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    QSize minimumSizeHint() const override {
        QSize size = QLabel::minimumSizeHint();
        size.setWidth(std::max(size.width(), 16 * fontMetrics().averageCharWidth()));
        return size;
    }
};

QLabel* ValueLabel(QWidget* parent) {
    return new ValueText(parent);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TradeDialog::TradeDialog(Database& db, const Portfolio& portfolio, UserInterface& ui, Mode mode,
                         const std::string& ticker, double held, QWidget* parent)
    : QDialog(parent), db_(db), portfolio_(portfolio), ui_(ui), mode_(mode), held_(held) {
    setWindowTitle(mode == Mode::Buy ? QStringLiteral("Buy stocks")
                                     : QStringLiteral("Sell stocks"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    ticker_ = new QComboBox(this);
    ticker_->setEditable(true);
    ticker_->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& stock : db_.Stocks()) ticker_->addItem(ToQString(stock->TickerText()));
    ticker_->setEditText(Q(ticker));
    ticker_->setEnabled(mode == Mode::Buy);
    date_ = MakeDateEdit(QDate::currentDate(), this);
    price_ = new QLineEdit(this);
    quantity_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Ticker:"), ticker_);
    form->addRow(QStringLiteral("Date:"), date_);
    form->addRow(QStringLiteral("Price:"), price_);
    form->addRow(QStringLiteral("Qty:"), quantity_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TradeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    Propose(std::nullopt);
    connect(date_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!filling_) Propose(FromQDate(d));
    });
    // Another ticker: its last quotation is proposed, as on opening.
    connect(ticker_, &QComboBox::editTextChanged, this, [this] {
        if (!filling_) Propose(std::nullopt);
    });
}

void TradeDialog::Propose(std::optional<PackedDate> date) {
    const std::string ticker = ticker_->currentText().trimmed().toStdString();
    const TradeProposal p = ProposeTrade(db_, portfolio_, ticker, mode_ == Mode::Buy, held_, date);
    filling_ = true;
    if (p.Date != kNoDate) date_->setDate(ToQDate(p.Date));
    price_->setText(Q(p.Price));
    quantity_->setText(Q(p.Quantity));
    filling_ = false;
}

TradeDialog::Trade TradeDialog::Entered() const {
    Trade t;
    t.ticker = ticker_->currentText().trimmed().toStdString();
    t.date = FromQDate(date_->date());
    t.quantity = Amount(quantity_->text());
    t.price = Amount(price_->text());
    return t;
}

void TradeDialog::accept() {
    const Trade t = Entered();
    if (t.ticker.empty() || !(t.quantity > 0) || !(t.price >= 0)) {
        ui_.ShowMessage(kEnterTrade);
        return;
    }
    if (mode_ == Mode::Buy && t.quantity * t.price > portfolio_.AvailableMoney()) {
        ui_.ShowMessage(kNotEnoughMoney);
        return;
    }
    if (mode_ == Mode::Sell && t.quantity - held_ > kSellTolerance) {
        ui_.ShowMessage(kNotEnoughStocks);
        return;
    }
    QDialog::accept();
}

// ---------------------------------------------------------------------------------------------

CommissionTableDialog::CommissionTableDialog(const CommissionTable& table, double dividendTax,
                                             QWidget* parent)
    : QDialog(parent), table_(table), taxValue_(dividendTax) {
    setWindowTitle(QStringLiteral("Commission & tax table"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const auto edit = [this] {
        auto* e = new QLineEdit(this);
        e->setMaximumWidth(90);
        return e;
    };
    for (int row = 0; row < CommissionTable::kBands; ++row) {
        const auto r = static_cast<std::size_t>(row);
        if (row > 0) {
            grid->addWidget(new QLabel(QStringLiteral("from:"), this), row, 0);
            from_[r] = edit();
            // The lower bound is the row above's "upto:", which is the value kept.
            from_[r]->setReadOnly(true);
            from_[r]->setFocusPolicy(Qt::NoFocus);
            grid->addWidget(from_[r], row, 1);
        }
        if (row < CommissionTable::kThresholds) {
            grid->addWidget(new QLabel(QStringLiteral("upto:"), this), row, 2);
            upto_[r] = edit();
            grid->addWidget(upto_[r], row, 3);
            connect(upto_[r], &QLineEdit::editingFinished, this,
                    &CommissionTableDialog::TakeValues);
        }
        grid->addWidget(new QLabel(QStringLiteral("base:"), this), row, 4);
        base_[r] = edit();
        grid->addWidget(base_[r], row, 5);
        percent_[r] = edit();
        grid->addWidget(percent_[r], row, 6);
        auto* percentLabel = new QLabel(
            row == 0 ? QStringLiteral("% of value") : QStringLiteral("% of value above"), this);
        grid->addWidget(percentLabel, row, 7);
        if (row == 0) {
            // Below the first threshold the commission is the base amount alone: the band's
            // percentage is kept in the file but takes no part, so it cannot be edited.
            const QString why = QString::fromLatin1(kUnusedFirstPercent);
            percent_[r]->setEnabled(false);
            percent_[r]->setToolTip(why);
            percentLabel->setEnabled(false);
            percentLabel->setToolTip(why);
        }
    }
    layout->addLayout(grid);
    auto* taxRow = new QHBoxLayout;
    taxRow->addWidget(new QLabel(QStringLiteral("Dividend income tax:"), this));
    tax_ = edit();
    taxRow->addWidget(tax_);
    taxRow->addWidget(new QLabel(QStringLiteral("% of dividend value"), this));
    taxRow->addStretch(1);
    layout->addLayout(taxRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CommissionTableDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Show();
}

void CommissionTableDialog::Show() {
    for (std::size_t r = 0; r < CommissionTable::kBands; ++r) {
        if (from_[r] != nullptr) from_[r]->setText(Number(table_.Thresholds[r - 1]));
        if (upto_[r] != nullptr) upto_[r]->setText(Number(table_.Thresholds[r]));
        base_[r]->setText(Number(table_.Base[r]));
        percent_[r]->setText(Number(table_.Percent[r] * 100));
    }
    tax_->setText(Number(taxValue_ * 100));
}

void CommissionTableDialog::TakeValues() {
    for (std::size_t r = 0; r < CommissionTable::kBands; ++r) {
        if (upto_[r] != nullptr) table_.Thresholds[r] = Amount(upto_[r]->text());
        table_.Base[r] = Amount(base_[r]->text());
        // The first band's percentage is shown only; the stored value stays exactly as it was.
        if (r > 0) table_.Percent[r] = Amount(percent_[r]->text()) / 100;
    }
    taxValue_ = Amount(tax_->text()) / 100;
    Show();
}

void CommissionTableDialog::accept() {
    TakeValues();
    QDialog::accept();
}

// ---------------------------------------------------------------------------------------------

PortfolioWindow::PortfolioWindow(GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    runDialog = [](QDialog& dialog) { return dialog.exec(); };
    askText = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, title, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return text;
    };
    setWindowTitle(QStringLiteral("Portfolio manager"));
    setModal(true);

    auto* layout = new QHBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setColumnCount(3);
    list_->setHeaderLabels(
        {QStringLiteral("Ticker"), QStringLiteral("Qty"), QStringLiteral("Change")});
    list_->setColumnWidth(0, 80);
    list_->setColumnWidth(1, 50);
    list_->setColumnWidth(2, 70);
    FitColumnsToTitles(list_->header());
    list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAllColumnsShowFocus(true);
    list_->setMinimumWidth(220);
    layout->addWidget(list_, 1);

    auto* middle = new QVBoxLayout;
    auto* summaryBox = new QGroupBox(QStringLiteral("Portfolio"), this);
    auto* summaryGrid = new QGridLayout(summaryBox);
    for (std::size_t i = 0; i < summary_.size(); ++i) summary_[i] = ValueLabel(summaryBox);
    for (int i = 0; i < 6; ++i) {
        summaryGrid->addWidget(new QLabel(QString::fromLatin1(kSummaryCaptions[i]), summaryBox), i,
                               0);
        summaryGrid->addWidget(summary_[static_cast<std::size_t>(i)], i, 1);
    }
    // The two shares of the total stand beside the stock value and the cash.
    summaryGrid->addWidget(summary_[6], 2, 2);
    summaryGrid->addWidget(summary_[7], 3, 2);
    middle->addWidget(summaryBox);

    auto* positionBox = new QGroupBox(QStringLiteral("Position"), this);
    auto* positionForm = new QFormLayout(positionBox);
    for (std::size_t i = 0; i < position_.size(); ++i) {
        position_[i] = ValueLabel(positionBox);
        positionForm->addRow(QString::fromLatin1(kPositionCaptions[i]), position_[i]);
    }
    middle->addWidget(positionBox);
    middle->addStretch(1);
    layout->addLayout(middle);

    auto* side = new QVBoxLayout;
    const auto add = [this, side](const QString& text, void (PortfolioWindow::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        side->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    QPushButton* ok = add(QStringLiteral("OK"), &PortfolioWindow::accept);
    ok->setDefault(true);
    add(QStringLiteral("Cancel"), &PortfolioWindow::reject);
    side->addSpacing(12);
    add(QStringLiteral("Buy"), &PortfolioWindow::Buy);
    positionButtons_[0] = add(QStringLiteral("Sell"), &PortfolioWindow::Sell);
    positionButtons_[1] = add(QStringLiteral("Dividend"), &PortfolioWindow::Dividend);
    positionButtons_[2] = add(QStringLiteral("Join"), &PortfolioWindow::Join);
    side->addSpacing(12);
    add(QStringLiteral("Pay-in"), &PortfolioWindow::PayIn);
    add(QStringLiteral("Pay-out"), &PortfolioWindow::PayOut);
    side->addSpacing(12);
    add(QStringLiteral("&Settings"), &PortfolioWindow::Settings);
    side->addStretch(1);
    layout->addLayout(side);

    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowPosition(); });

    // Every opening starts from the file: changes of an earlier visit that was cancelled are
    // gone.
    read_ = ReadPortfolioFile(PortfolioPath(context_.Services().db.WorkspaceDir()), portfolio_);
    if (PortfolioDamaged(read_)) context_.Services().ui.ShowMessage(read_.ToString());
    Fill(0);
}

int PortfolioWindow::Selection() const {
    QTreeWidgetItem* item = list_->currentItem();
    return item != nullptr ? list_->indexOfTopLevelItem(item) : -1;
}

void PortfolioWindow::Select(int index) {
    if (index >= 0 && index < list_->topLevelItemCount()) {
        list_->setCurrentItem(list_->topLevelItem(index));
    }
}

QString PortfolioWindow::SummaryText(int index) const {
    return index >= 0 && index < static_cast<int>(summary_.size())
               ? summary_[static_cast<std::size_t>(index)]->text()
               : QString();
}

QString PortfolioWindow::PositionText(int index) const {
    return index >= 0 && index < static_cast<int>(position_.size())
               ? position_[static_cast<std::size_t>(index)]->text()
               : QString();
}

QPushButton* PortfolioWindow::Button(const QString& text) const {
    for (QPushButton* b : findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

void PortfolioWindow::Fill(int selection) {
    Database& db = context_.Services().db;
    {
        const QSignalBlocker block(list_);
        list_->clear();
        for (const PositionRow& row : PositionRows(db, portfolio_)) {
            auto* item =
                new QTreeWidgetItem(list_, {Q(row.Ticker), Q(row.Quantity), Q(row.Change)});
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
        if (list_->topLevelItemCount() > 0) {
            const int row =
                selection >= 0 && selection < list_->topLevelItemCount() ? selection : 0;
            list_->setCurrentItem(list_->topLevelItem(row));
        }
    }
    ShowSummary();
    ShowPosition();
}

void PortfolioWindow::ShowSummary() {
    const PortfolioSummary s = Summarize(context_.Services().db, portfolio_);
    const std::string* texts[] = {&s.Change,    &s.Yield,     &s.StockValue, &s.Cash,
                                  &s.TotalText, &s.RealValue, &s.StockShare, &s.CashShare};
    for (std::size_t i = 0; i < summary_.size(); ++i) summary_[i]->setText(Q(*texts[i]));
}

void PortfolioWindow::ShowPosition() {
    const int index = Selection();
    const bool any = portfolio_.ValidIndex(index);
    for (QPushButton* b : positionButtons_) b->setEnabled(any);
    const PositionFields f = DescribePosition(context_.Services().db, portfolio_, index);
    const std::string* texts[] = {&f.BuyDate, &f.Quantity,     &f.BuyPrice,
                                  &f.Value,   &f.PresentPrice, &f.PresentValue,
                                  &f.Change,  &f.Yield,        &f.Share};
    for (std::size_t i = 0; i < position_.size(); ++i) position_[i]->setText(Q(*texts[i]));
}

void PortfolioWindow::Buy() {
    Database& db = context_.Services().db;
    const Stock* current = context_.CurrentStock();
    const std::string ticker =
        current != nullptr ? std::string(current->TickerText()) : kDefaultBuyTicker;
    TradeDialog dialog(db, portfolio_, context_.Services().ui, TradeDialog::Mode::Buy, ticker, 0,
                       this);
    if (runDialog(dialog) != QDialog::Accepted) return;
    const TradeDialog::Trade t = dialog.Entered();
    // A ticker of the database is stored as the database spells it.
    const Stock* stock = db.FindStock(t.ticker);
    const std::string stored = stock != nullptr ? std::string(stock->TickerText()) : t.ticker;
    if (portfolio_.Buy(stored, DateToText(t.date), t.quantity, t.price) == TradeResult::Ok) {
        Fill(0);
    }
}

void PortfolioWindow::Sell() {
    const int index = Selection();
    if (!portfolio_.ValidIndex(index)) return;
    const Position& p = portfolio_.Positions[static_cast<std::size_t>(index)];
    TradeDialog dialog(context_.Services().db, portfolio_, context_.Services().ui,
                       TradeDialog::Mode::Sell, p.Ticker.Str(), p.Quantity(), this);
    if (runDialog(dialog) != QDialog::Accepted) return;
    const TradeDialog::Trade t = dialog.Entered();
    if (portfolio_.Sell(index, t.quantity, t.price) == TradeResult::Ok) Fill(0);
}

void PortfolioWindow::Dividend() {
    const int index = Selection();
    if (!portfolio_.ValidIndex(index)) return;
    const auto text =
        askText(QStringLiteral("Dividend"), QStringLiteral("Enter dividend amount per stock"));
    if (!text) return;
    portfolio_.Dividend(index, Amount(*text));
    ShowSummary();
    ShowPosition();
}

void PortfolioWindow::Join() {
    const int index = Selection();
    if (!portfolio_.ValidIndex(index)) return;
    const std::string ticker = portfolio_.Positions[static_cast<std::size_t>(index)].Ticker.Str();
    if (!portfolio_.Join(index)) return;
    // The joined position is the only one left with its ticker.
    int kept = 0;
    for (int i = 0; i < portfolio_.PositionCount(); ++i) {
        if (EqualNoCase(portfolio_.Positions[static_cast<std::size_t>(i)].Ticker.View(), ticker)) {
            kept = i;
            break;
        }
    }
    Fill(kept);
}

void PortfolioWindow::PayIn() {
    const auto text =
        askText(QStringLiteral("Cash pay-in"), QStringLiteral("Please enter the amount"));
    if (!text) return;
    portfolio_.PayIn(Amount(*text));
    ShowSummary();
    ShowPosition();
}

void PortfolioWindow::PayOut() {
    const auto text =
        askText(QStringLiteral("Cash pay-out"), QStringLiteral("Please enter the amount"));
    if (!text) return;
    if (portfolio_.PayOut(Amount(*text)) == TradeResult::NotEnoughMoney) {
        context_.Services().ui.ShowMessage(kNotEnoughMoney);
        return;
    }
    ShowSummary();
    ShowPosition();
}

void PortfolioWindow::Settings() {
    CommissionTableDialog dialog(portfolio_.Commissions, portfolio_.DividendTax, this);
    if (runDialog(dialog) != QDialog::Accepted) return;
    portfolio_.Commissions = dialog.Table();
    portfolio_.DividendTax = dialog.DividendTax();
    ShowSummary();
    ShowPosition();
}

void PortfolioWindow::accept() {
    Database& db = context_.Services().db;
    portfolio_.StoredStockValue = Summarize(db, portfolio_).PresentValue;
    const auto file = PortfolioPath(db.WorkspaceDir());
    UserInterface& ui = context_.Services().ui;
    // A file that could not be read is replaced only when the user says so.
    const bool replace =
        PortfolioDamaged(read_) &&
        ui.AskYesNo("The portfolio file\n'" + file.string() +
                    "'\ncould not be read when this window opened. Replace it with the "
                    "portfolio shown?\nThe old file is kept as '" +
                    file.string() + ".bak'.");
    if (PortfolioDamaged(read_) && !replace) return;
    if (const Status saved = SavePortfolio(file, portfolio_, read_, replace); !saved) {
        ui.ShowMessage(kPortfolioNotSaved);
        return;
    }
    read_ = Status::Ok();
    QDialog::accept();
}

void ShowPortfolioManager(GuiContext& context, QWidget* parent) {
    PortfolioWindow window(context, parent);
    window.exec();
}

}  // namespace velmora::gui
