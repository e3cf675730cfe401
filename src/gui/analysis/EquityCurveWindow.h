#pragma once
// The "Equity curve" window of the automatic analysis: the mark-to-market equity of the last
// back test's whole test (the curve of its extended statistics) and its drawdown from the peak
// in percent, drawn in two panels with their highest and lowest values and the first and last
// dates.

#include <QWidget>
#include <vector>

#include "analysis/EquityStatistics.h"

namespace velmora::gui {

inline constexpr char kEquityCurveCaption[] = "Equity curve";

class EquityCurveWindow : public QWidget {
    Q_OBJECT
  public:
    explicit EquityCurveWindow(QWidget* parent = nullptr);

    void SetCurve(std::vector<EquityPoint> curve);
    const std::vector<EquityPoint>& Curve() const { return curve_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<EquityPoint> curve_;
    std::vector<double> drawdown_;
};

}  // namespace velmora::gui
