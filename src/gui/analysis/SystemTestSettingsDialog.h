#pragma once
// The modal "System test settings" dialog over the backtester's settings: equity, positions,
// commission, entry and exit prices and delays, the maximum loss stop, the trailing stop, the
// parts of the report and the loading of older quotations. It edits a copy; OK hands it back.

#include <QDialog>
#include <array>

#include "analysis/SystemTestSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace velmora::gui {

inline constexpr char kSystemTestSettingsCaption[] = "System test settings";

class SystemTestSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SystemTestSettingsDialog(const SystemTestSettings& settings,
                                      QWidget* parent = nullptr);

    // The settings as the controls show them; a number field that does not read as a number
    // keeps the value the dialog opened with.
    SystemTestSettings Settings() const;

    QLineEdit* InitialEquity() const { return equity_; }
    QComboBox* Positions() const { return positions_; }
    QRadioButton* CommissionMode(int mode) const { return commission_[mode]; }
    QLineEdit* CommissionValue() const { return commissionValue_; }
    QComboBox* BuyPrice() const { return buyPrice_; }
    QSpinBox* BuyDelay() const { return buyDelay_; }
    QComboBox* SellPrice() const { return sellPrice_; }
    QSpinBox* SellDelay() const { return sellDelay_; }
    QRadioButton* StopMode(int mode) const { return stop_[mode]; }
    QLineEdit* StopValue() const { return stopValue_; }
    QRadioButton* TrailingMode(int mode) const { return trailing_[mode]; }
    QSpinBox* TrailingPeriods() const { return trailingPeriods_; }
    QLineEdit* TrailingRisk() const { return trailingRisk_; }
    // "Formula", "Settings", "Overall summary", "Stock summary", "Trade list".
    QCheckBox* ReportBox(int i) const { return report_[i]; }
    QCheckBox* LoadRemaining() const { return loadRemaining_; }
    QCheckBox* ExtendedStatisticsBox() const { return extendedStatistics_; }

  private:
    SystemTestSettings initial_;
    QLineEdit* equity_;
    QComboBox* positions_;
    std::array<QRadioButton*, 3> commission_{};
    QLineEdit* commissionValue_;
    QComboBox* buyPrice_;
    QSpinBox* buyDelay_;
    QComboBox* sellPrice_;
    QSpinBox* sellDelay_;
    std::array<QRadioButton*, 3> stop_{};
    QLineEdit* stopValue_;
    std::array<QRadioButton*, 3> trailing_{};
    QSpinBox* trailingPeriods_;
    QLineEdit* trailingRisk_;
    std::array<QCheckBox*, 5> report_{};
    QCheckBox* loadRemaining_;
    QCheckBox* extendedStatistics_;
};

// The modal dialog; true (settings replaced by the edits) when closed with OK.
bool EditSystemTestSettings(SystemTestSettings& settings, QWidget* parent);

}  // namespace velmora::gui
