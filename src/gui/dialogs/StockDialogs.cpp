#include "gui/dialogs/StockDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/dialogs/CategoryDialogs.h"
#include "gui/dialogs/QuotationEditorWindow.h"
#include "portfolio/PortfolioFile.h"

namespace velmora::gui {

namespace {

QString Q(std::string_view text) {
    return ToQString(text);
}

QSpinBox* NumberBox(QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(std::numeric_limits<std::int32_t>::min(),
                  std::numeric_limits<std::int32_t>::max());
    return box;
}

// A category box: one entry per table entry ("index: name"), the entry's index as its data.
// A stock's category outside the table gets an entry of its own so that OK keeps it.
template <typename Table>
QComboBox* CategoryBox(const Table& table, int value, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        box->addItem(QStringLiteral("%1: %2").arg(i).arg(Q(table[i].Name.View())), i);
    }
    int at = box->findData(value);
    if (at < 0) {
        box->addItem(QString::number(value), value);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
    return box;
}

PackedDate ToPackedDate(const QDate& date) {
    return MakeDate(date.year(), date.month(), date.day());
}

}  // namespace

// --- Stock Information -----------------------------------------------------------------------

StockInformationDialog::StockInformationDialog(GuiContext& context, Stock& stock, QWidget* parent)
    : QDialog(parent), context_(context), stock_(stock) {
    setWindowTitle(QString::fromLatin1(kStockInformationTitle));
    const StockInformation info = StockInformation::Of(stock);
    const CategoryTables& tables = context.Services().db.Categories();

    auto* form = new QFormLayout;
    const auto line = [this, form](const char* label, const std::string& text, int maxBytes) {
        auto* edit = new QLineEdit(Q(text), this);
        // The stored field keeps maxBytes - 1 bytes; the limit in characters is a guide only.
        edit->setMaxLength(maxBytes - 1);
        form->addRow(QString::fromLatin1(label), edit);
        return edit;
    };
    ticker_ = line("Ticker:", info.Ticker, 16);
    fullName_ = line("Full name:", info.FullName, 64);
    address_ = line("Address:", info.Address, 128);
    alias_ = line("Alias:", info.Alias, 16);
    country_ = line("Country:", info.Country, 40);
    currency_ = line("Currency:", info.Currency, 8);
    webId_ = line("Web ID:", info.WebID, 10);
    const auto number = [this, form](const char* label, std::int32_t value) {
        QSpinBox* box = NumberBox(this);
        box->setValue(value);
        form->addRow(QString::fromLatin1(label), box);
        return box;
    };
    code_ = number("Code:", info.Code);
    issue_ = number("Issue:", info.Issue);
    nominal_ = number("Nominal value:", info.NominalValue);
    book_ = number("Book value:", info.BookValue);
    market_ = CategoryBox(tables.Markets, info.Market, this);
    form->addRow(QStringLiteral("Market:"), market_);
    group_ = CategoryBox(tables.Groups, info.Group, this);
    form->addRow(QStringLiteral("Group:"), group_);
    industry_ = CategoryBox(tables.Industries, info.Industry, this);
    form->addRow(QStringLiteral("Industry:"), industry_);
    continuous_ = new QCheckBox(QStringLiteral("Continuous"), this);
    continuous_->setChecked(info.Continuous);
    favourite_ = new QCheckBox(QStringLiteral("Favourite"), this);
    favourite_->setChecked(info.Favourite);
    index_ = new QCheckBox(QStringLiteral("Index"), this);
    index_->setChecked(info.Index);
    auto* flags = new QHBoxLayout;
    flags->addWidget(continuous_);
    flags->addWidget(favourite_);
    flags->addWidget(index_);
    flags->addStretch(1);
    form->addRow(QString(), flags);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

StockInformation StockInformationDialog::Fields() const {
    StockInformation info = StockInformation::Of(stock_);
    info.Ticker = ticker_->text().trimmed().toStdString();
    info.FullName = fullName_->text().toStdString();
    info.Address = address_->text().toStdString();
    info.Alias = alias_->text().trimmed().toStdString();
    info.Country = country_->text().toStdString();
    info.Currency = currency_->text().toStdString();
    info.WebID = webId_->text().toStdString();
    info.Code = code_->value();
    info.Issue = issue_->value();
    info.NominalValue = nominal_->value();
    info.BookValue = book_->value();
    info.Market = market_->currentData().toInt();
    info.Group = group_->currentData().toInt();
    info.Industry = industry_->currentData().toInt();
    info.Continuous = continuous_->isChecked();
    info.Favourite = favourite_->isChecked();
    info.Index = index_->isChecked();
    return info;
}

void StockInformationDialog::accept() {
    if (!context_.Maintenance().ApplyStockInformation(stock_, Fields())) return;
    context_.RefreshCharts(0);
    QDialog::accept();
}

// --- Split -----------------------------------------------------------------------------------

SplitStockDialog::SplitStockDialog(GuiContext& context, SplitDialog logic, QWidget* parent)
    : QDialog(parent), context_(context), logic_(std::move(logic)) {
    setWindowTitle(QStringLiteral("Split"));
    date_ = new QDateEdit(this);
    // Dates are kept with two-digit years: 1951 to 2050 read back as themselves.
    date_->setDateRange(QDate(1951, 1, 1), QDate(2050, 12, 31));
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setCalendarPopup(true);
    AllowTypedDates(date_);
    ratio_ = new QLineEdit(this);
    auto* find = new QPushButton(QStringLiteral("Find next"), this);
    find->setAutoDefault(false);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Split date:"), date_);
    form->addRow(QStringLiteral("Ratio:"), ratio_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(find, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(find, &QPushButton::clicked, this, &SplitStockDialog::FindNext);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    Show();
}

void SplitStockDialog::Show() {
    const QDate date = ToQDate(logic_.Date(), QDate());
    if (date.isValid()) date_->setDate(date);
    ratio_->setText(Q(logic_.RatioText()));
}

void SplitStockDialog::FindNext() {
    // The search goes on after the date shown, which the user may have typed.
    logic_.SetDate(ToPackedDate(date_->date()));
    if (!logic_.FindNext()) {
        context_.Services().ui.ShowMessage("No further split found after " +
                                           date_->date().toString(Qt::ISODate).toStdString() + ".");
    }
    Show();
}

void SplitStockDialog::accept() {
    logic_.SetDate(ToPackedDate(date_->date()));
    logic_.SetRatioText(ratio_->text().trimmed().toStdString());
    GuiServices& s = context_.Services();
    // The positions bought before the split follow it in the workspace's portfolio file.
    const auto file = PortfolioPath(s.db.WorkspaceDir());
    Portfolio portfolio;
    // A damaged portfolio file is left as it is: its positions are not split.
    const Status read = ReadPortfolioFile(file, portfolio);
    if (PortfolioDamaged(read)) s.ui.ShowMessage(read.ToString() + "; its positions are not split");
    const bool havePortfolio = read.IsOk();
    const int result =
        logic_.Ok(context_.Maintenance(), s.ui, havePortfolio ? &portfolio : nullptr);
    if (result == 0) return;  // the ratio was refused with its message
    if (result == 2 && !SavePortfolio(file, portfolio, read, false)) {
        s.ui.ShowMessage(kPortfolioNotSaved);
    }
    context_.RefreshCharts(0);
    QDialog::accept();
}

// --- Stock finder ----------------------------------------------------------------------------

StockFinderDialog::StockFinderDialog(Database& db, QWidget* parent) : QDialog(parent), db_(db) {
    setWindowTitle(QStringLiteral("Find stock"));
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("Ticker or name"));
    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Ticker"), QStringLiteral("Full name")});
    list_->setRootIsDecorated(false);
    list_->setColumnWidth(0, 110);
    FitColumnsToTitles(list_->header());
    list_->setMinimumSize(360, 280);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(filter_, &QLineEdit::textChanged, this, &StockFinderDialog::Fill);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    Fill(QString());
}

void StockFinderDialog::Fill(const QString& text) {
    list_->clear();
    const QString wanted = text.trimmed();
    for (const auto& stock : db_.Stocks()) {
        const QString ticker = Q(stock->TickerText());
        const QString name = Q(stock->FullName.View());
        if (!wanted.isEmpty() && !ticker.contains(wanted, Qt::CaseInsensitive) &&
            !name.contains(wanted, Qt::CaseInsensitive)) {
            continue;
        }
        new QTreeWidgetItem(list_, {ticker, name});
    }
    // The best match first: a ticker equal to the text, else the first one listed.
    QTreeWidgetItem* best = list_->topLevelItem(0);
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->text(0).compare(wanted, Qt::CaseInsensitive) == 0) {
            best = list_->topLevelItem(i);
            break;
        }
    }
    if (best != nullptr) list_->setCurrentItem(best);
}

Stock* StockFinderDialog::Chosen() const {
    const QTreeWidgetItem* item = list_->currentItem();
    if (item == nullptr || !item->isSelected()) return nullptr;
    return db_.FindStock(item->text(0).toStdString());
}

// --- Commands --------------------------------------------------------------------------------

void ShowStockInformation(GuiContext& context, QWidget* parent) {
    Stock* stock = context.CurrentStock();
    if (stock == nullptr) return;
    StockInformationDialog dialog(context, *stock, parent);
    dialog.exec();
}

void ShowSplit(GuiContext& context, QWidget* parent) {
    auto logic = context.Maintenance().OpenSplitDialog(ToPackedDate(QDate::currentDate()));
    if (!logic) return;
    SplitStockDialog dialog(context, std::move(*logic), parent);
    dialog.exec();
}

void ShowStockFinder(GuiContext& context, QWidget* parent) {
    StockFinderDialog dialog(context.Services().db, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    if (Stock* stock = dialog.Chosen()) context.MakeCurrent(stock, kChosenStockFlags);
}

void AddStockMaintenanceActions(GuiContext& context, QMenu* edit, QWidget* parent) {
    edit->addSeparator();
    QAction* info = edit->addAction(QStringLiteral("Stock &Information..."), parent,
                                    [&context, parent] { ShowStockInformation(context, parent); });
    QAction* split = edit->addAction(QStringLiteral("S&plit..."), parent,
                                     [&context, parent] { ShowSplit(context, parent); });
    QAction* find = edit->addAction(QStringLiteral("&Find stock..."), parent,
                                    [&context, parent] { ShowStockFinder(context, parent); });
    find->setShortcut(QKeySequence::Find);
    edit->addSeparator();
    edit->addAction(QStringLiteral("Quotations &editor..."), parent,
                    [&context, parent] { ShowQuotationEditor(context, parent); });
    edit->addAction(QStringLiteral("Cate&gories..."), parent,
                    [&context, parent] { ShowCategories(context, parent); });
    edit->addAction(QStringLiteral("&Organize assignments..."), parent,
                    [&context, parent] { ShowAssignmentsOrganizer(context, parent); });
    // Stock Information and Split work on the current stock.
    QObject::connect(edit, &QMenu::aboutToShow, parent, [&context, info, split] {
        info->setEnabled(context.CurrentStock() != nullptr);
        split->setEnabled(context.CurrentStock() != nullptr);
    });
}

}  // namespace velmora::gui
