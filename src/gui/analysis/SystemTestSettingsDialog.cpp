#include "gui/analysis/SystemTestSettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "gui/FormFields.h"

namespace velmora::gui {

namespace {

float ReadNumber(const QLineEdit* edit, float fallback) {
    bool ok = false;
    const float v = edit->text().trimmed().toFloat(&ok);
    return ok && std::isfinite(v) ? v : fallback;
}

QComboBox* MakePriceBox(TradePrice price, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems({QStringLiteral("Close"), QStringLiteral("Open"), QStringLiteral("High"),
                   QStringLiteral("Low"), QStringLiteral("Average")});
    const int index = static_cast<int>(price);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
    return box;
}

QSpinBox* MakeBarsBox(int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, 9999);
    box->setValue(value);
    return box;
}

// Three radio buttons in a row with their captions; the mode's button checked (none for an
// unknown mode).
std::array<QRadioButton*, 3> MakeModeRadios(const std::array<const char*, 3>& captions, int mode,
                                            QWidget* parent, QBoxLayout* row) {
    std::array<QRadioButton*, 3> radios{};
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < 3; ++i) {
        radios[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(captions[static_cast<std::size_t>(i)]), parent);
        group->addButton(radios[static_cast<std::size_t>(i)], i);
        row->addWidget(radios[static_cast<std::size_t>(i)]);
        radios[static_cast<std::size_t>(i)]->setChecked(i == mode);
    }
    return radios;
}

std::int32_t CheckedMode(const std::array<QRadioButton*, 3>& radios, std::int32_t fallback) {
    for (int i = 0; i < 3; ++i)
        if (radios[static_cast<std::size_t>(i)]->isChecked()) return i;
    return fallback;
}

}  // namespace

SystemTestSettingsDialog::SystemTestSettingsDialog(const SystemTestSettings& s, QWidget* parent)
    : QDialog(parent), initial_(s) {
    setWindowTitle(QString::fromLatin1(kSystemTestSettingsCaption));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QFormLayout;
    equity_ = MakeNumberEdit(s.InitialEquity, this);
    top->addRow(QStringLiteral("Initial equity:"), equity_);
    positions_ = new QComboBox(this);
    positions_->addItems(
        {QStringLiteral("Long"), QStringLiteral("Short"), QStringLiteral("Long and short")});
    positions_->setCurrentIndex(s.Positions >= 1 && s.Positions <= 3 ? s.Positions - 1 : 0);
    top->addRow(QStringLiteral("Positions:"), positions_);
    layout->addLayout(top);

    auto* commissionBox = new QGroupBox(QStringLiteral("Commission"), this);
    auto* commissionRow = new QHBoxLayout(commissionBox);
    commission_ = MakeModeRadios({"use portfolio commission table", "percent", "point"},
                                 s.CommissionMode, commissionBox, commissionRow);
    commissionValue_ = MakeNumberEdit(s.CommissionValue, commissionBox);
    commissionRow->addWidget(commissionValue_);
    layout->addWidget(commissionBox);

    auto* prices = new QGridLayout;
    buyPrice_ = MakePriceBox(s.BuyPrice, this);
    buyDelay_ = MakeBarsBox(s.BuyDelay, this);
    sellPrice_ = MakePriceBox(s.SellPrice, this);
    sellDelay_ = MakeBarsBox(s.SellDelay, this);
    prices->addWidget(new QLabel(QStringLiteral("Buy price:"), this), 0, 0);
    prices->addWidget(buyPrice_, 0, 1);
    prices->addWidget(new QLabel(QStringLiteral("Buy delay:"), this), 0, 2);
    prices->addWidget(buyDelay_, 0, 3);
    prices->addWidget(new QLabel(QStringLiteral("Sell price:"), this), 1, 0);
    prices->addWidget(sellPrice_, 1, 1);
    prices->addWidget(new QLabel(QStringLiteral("Sell delay:"), this), 1, 2);
    prices->addWidget(sellDelay_, 1, 3);
    layout->addLayout(prices);

    auto* stopBox = new QGroupBox(QStringLiteral("Maximum loss stop"), this);
    auto* stopRow = new QHBoxLayout(stopBox);
    stop_ = MakeModeRadios({"disabled", "percent", "point"}, s.StopMode, stopBox, stopRow);
    stopRow->addWidget(new QLabel(QStringLiteral("loss:"), stopBox));
    stopValue_ = MakeNumberEdit(s.StopValue, stopBox);
    stopRow->addWidget(stopValue_);
    layout->addWidget(stopBox);

    auto* trailingBox = new QGroupBox(QStringLiteral("Trailing stop"), this);
    auto* trailingRow = new QHBoxLayout(trailingBox);
    trailing_ = MakeModeRadios({"disabled", "percent", "point"}, s.TrailingStopMode, trailingBox,
                               trailingRow);
    trailingRow->addWidget(new QLabel(QStringLiteral("periods:"), trailingBox));
    trailingPeriods_ = MakeBarsBox(s.TrailingStopPeriods, trailingBox);
    trailingRow->addWidget(trailingPeriods_);
    trailingRow->addWidget(new QLabel(QStringLiteral("risk:"), trailingBox));
    trailingRisk_ = MakeNumberEdit(s.TrailingStopRisk, trailingBox);
    trailingRow->addWidget(trailingRisk_);
    layout->addWidget(trailingBox);

    auto* reportBox = new QGroupBox(QStringLiteral("Report"), this);
    auto* reportRow = new QHBoxLayout(reportBox);
    const std::array<const char*, 5> reportCaptions = {"Formula", "Settings", "Overall summary",
                                                       "Stock summary", "Trade list"};
    const std::array<std::int32_t, 5> reportValues = {s.ReportFormula, s.ReportSettings,
                                                      s.ReportOverallSummary, s.ReportStockSummary,
                                                      s.ReportTradeList};
    for (std::size_t i = 0; i < report_.size(); ++i) {
        report_[i] = new QCheckBox(QString::fromLatin1(reportCaptions[i]), reportBox);
        report_[i]->setChecked(reportValues[i] != 0);
        reportRow->addWidget(report_[i]);
    }
    layout->addWidget(reportBox);

    loadRemaining_ = new QCheckBox(QStringLiteral("Load remaining quotes if necessary"), this);
    loadRemaining_->setChecked(s.LoadRemainingQuotes != 0);
    layout->addWidget(loadRemaining_);

    extendedStatistics_ = new QCheckBox(QStringLiteral("Extended statistics"), this);
    extendedStatistics_->setChecked(s.ExtendedStatistics != 0);
    layout->addWidget(extendedStatistics_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

SystemTestSettings SystemTestSettingsDialog::Settings() const {
    SystemTestSettings s = initial_;
    s.InitialEquity = ReadNumber(equity_, initial_.InitialEquity);
    s.Positions = positions_->currentIndex() + 1;
    s.CommissionMode = CheckedMode(commission_, initial_.CommissionMode);
    s.CommissionValue = ReadNumber(commissionValue_, initial_.CommissionValue);
    s.BuyPrice = static_cast<TradePrice>(buyPrice_->currentIndex());
    s.BuyDelay = buyDelay_->value();
    s.SellPrice = static_cast<TradePrice>(sellPrice_->currentIndex());
    s.SellDelay = sellDelay_->value();
    s.StopMode = CheckedMode(stop_, initial_.StopMode);
    s.StopValue = ReadNumber(stopValue_, initial_.StopValue);
    s.TrailingStopMode = CheckedMode(trailing_, initial_.TrailingStopMode);
    s.TrailingStopPeriods = trailingPeriods_->value();
    s.TrailingStopRisk = ReadNumber(trailingRisk_, initial_.TrailingStopRisk);
    s.ReportFormula = report_[0]->isChecked() ? 1 : 0;
    s.ReportSettings = report_[1]->isChecked() ? 1 : 0;
    s.ReportOverallSummary = report_[2]->isChecked() ? 1 : 0;
    s.ReportStockSummary = report_[3]->isChecked() ? 1 : 0;
    s.ReportTradeList = report_[4]->isChecked() ? 1 : 0;
    s.LoadRemainingQuotes = loadRemaining_->isChecked() ? 1 : 0;
    s.ExtendedStatistics = extendedStatistics_->isChecked() ? 1 : 0;
    return s;
}

bool EditSystemTestSettings(SystemTestSettings& settings, QWidget* parent) {
    SystemTestSettingsDialog dialog(settings, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    settings = dialog.Settings();
    return true;
}

}  // namespace velmora::gui
