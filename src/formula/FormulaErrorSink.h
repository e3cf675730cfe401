#pragma once
// Where formula error reports go: the "QRX Error" window of the desktop program, stderr for the
// command-line tool, a list for the tests. The report is shown and the run continues.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class UserInterface;

inline constexpr std::string_view kFormulaErrorTitle = "QRX Error";

class FormulaErrorSink {
  public:
    virtual ~FormulaErrorSink() = default;
    // Shows one report (a window titled kFormulaErrorTitle with the report and a "Close"
    // button); returns when the user has closed it.
    virtual void ShowFormulaError(std::string_view report) = 0;
};

// Writes "QRX Error", the report and an empty line to a stream (stderr by default).
class ConsoleFormulaErrorSink final : public FormulaErrorSink {
  public:
    explicit ConsoleFormulaErrorSink(std::FILE* out = stderr) : out_(out) {}
    void ShowFormulaError(std::string_view report) override;

  private:
    std::FILE* out_;
};

// Passes each report to UserInterface::ShowMessage, headed by the title.
class UserInterfaceFormulaErrorSink final : public FormulaErrorSink {
  public:
    explicit UserInterfaceFormulaErrorSink(UserInterface& ui) : ui_(ui) {}
    void ShowFormulaError(std::string_view report) override;

  private:
    UserInterface& ui_;
};

// Keeps the reports, for tests and batch runs.
class RecordingFormulaErrorSink final : public FormulaErrorSink {
  public:
    void ShowFormulaError(std::string_view report) override { reports.emplace_back(report); }
    std::vector<std::string> reports;
};

}  // namespace velmora
