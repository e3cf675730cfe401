#include "gui/dialogs/CompositesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"

namespace velmora::gui {

namespace {

// After a computation the charts show the new volumes and advance/decline lines.
constexpr int kRepaint = 0;

constexpr std::array<const char*, 3> kFlagLabels = {
    "Volume for base index", "Copy Volume to all indexes", "Number of advancing/declining issues"};
constexpr std::array<int, 3> kFlagBits = {kCompositeVolume, kCompositeCopyVolume, kCompositeAdvDec};

}  // namespace

CompositesDialog::CompositesDialog(GuiContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QString::fromLatin1(kCompositesToolCaption));
    auto* layout = new QVBoxLayout(this);

    auto* what = new QGroupBox(QStringLiteral("Compute"), this);
    auto* whatLayout = new QVBoxLayout(what);
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i] = new QCheckBox(QString::fromLatin1(kFlagLabels[i]), what);
        whatLayout->addWidget(flags_[i]);
    }
    layout->addWidget(what);

    auto* quotes = new QGroupBox(QStringLiteral("Quotations"), this);
    auto* quotesLayout = new QGridLayout(quotes);
    range_[0] = new QRadioButton(QStringLiteral("All quotes"), quotes);
    range_[1] = new QRadioButton(QStringLiteral("Last n quotes:"), quotes);
    range_[2] = new QRadioButton(QStringLiteral("Date range:"), quotes);
    count_ = new QLineEdit(QStringLiteral("1"), quotes);
    count_->setValidator(new QIntValidator(1, 1000000000, count_));
    from_ = MakeDateEdit(QDate::currentDate(), quotes);
    to_ = MakeDateEdit(QDate::currentDate(), quotes);
    range_[1]->setChecked(true);
    quotesLayout->addWidget(range_[0], 0, 0);
    quotesLayout->addWidget(range_[1], 1, 0);
    quotesLayout->addWidget(count_, 1, 1);
    quotesLayout->addWidget(range_[2], 2, 0);
    quotesLayout->addWidget(from_, 2, 1);
    quotesLayout->addWidget(new QLabel(QStringLiteral("to"), quotes), 2, 2);
    quotesLayout->addWidget(to_, 2, 3);
    layout->addWidget(quotes);

    auto* markets = new QGroupBox(QStringLiteral("Markets"), this);
    auto* marketsLayout = new QGridLayout(markets);
    allMarkets_ = new QRadioButton(QStringLiteral("All markets"), markets);
    thisMarket_ = new QRadioButton(QStringLiteral("This market:"), markets);
    market_ = new QComboBox(markets);
    const CategoryTables& categories = context_.Services().db.Categories();
    for (int m = 0; m < kMarketCount; ++m) {
        market_->addItem(ToQString(categories.Markets[static_cast<std::size_t>(m)].Name.View()));
    }
    allMarkets_->setChecked(true);
    marketsLayout->addWidget(allMarkets_, 0, 0);
    marketsLayout->addWidget(thisMarket_, 1, 0);
    marketsLayout->addWidget(market_, 1, 1);
    layout->addWidget(markets);

    auto* buttons = new QHBoxLayout;
    auto* calculate = new QPushButton(QStringLiteral("Calculate"), this);
    auto* remove = new QPushButton(QStringLiteral("Delete"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    remove->setAutoDefault(false);
    close->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(calculate);
    buttons->addWidget(remove);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(calculate, &QPushButton::clicked, this, &CompositesDialog::Calculate);
    connect(remove, &QPushButton::clicked, this, &CompositesDialog::Delete);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

CompositesRequest CompositesDialog::Request(int* market) const {
    CompositesRequest request;
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        if (flags_[i]->isChecked()) request.flags |= kFlagBits[i];
    }
    if (range_[0]->isChecked()) {
        request.count = -1;
    } else if (range_[1]->isChecked()) {
        request.count = count_->text().trimmed().toInt();
    } else {
        request.count = 0;
    }
    request.from = FromQDate(from_->date());
    request.to = FromQDate(to_->date());
    request.market = market_->currentIndex();
    if (market != nullptr) *market = thisMarket_->isChecked() ? market_->currentIndex() : -1;
    return request;
}

void CompositesDialog::Calculate() {
    int market = -1;
    const CompositesRequest request = Request(&market);
    GuiServices& s = context_.Services();
    const std::string base = s.prefs.DefaultRSBase();
    if (market >= 0) {
        CompositesResult result;
        const int done = ComputeComposites(s.db, base, request, &result);
        if (!result.history) s.ui.ShowMessage(result.history.ToString());
        if (done == 0 && result.history) {
            s.ui.ShowMessage(
                "The composites base index of this market belongs to another "
                "market; nothing was computed.");
        }
    } else {
        ComputeCompositesAllMarkets(s.db, base, request, s.ui.Progress());
        s.ui.Progress().Close();
    }
    context_.RefreshCharts(kRepaint);
}

void CompositesDialog::Delete() {
    int market = -1;
    Request(&market);
    GuiServices& s = context_.Services();
    if (DeleteAdvanceDecline(s.db, s.ui, market)) context_.RefreshCharts(kRepaint);
}

void ShowCompositesTool(GuiContext& context, QWidget* parent) {
    CompositesDialog dialog(context, parent);
    dialog.exec();
}

}  // namespace velmora::gui
