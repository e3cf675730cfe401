#include "formula/FormulaErrorSink.h"

#include "platform/UserInterface.h"

namespace velmora {

void ConsoleFormulaErrorSink::ShowFormulaError(std::string_view report) {
    std::fprintf(out_, "%.*s\n%.*s", static_cast<int>(kFormulaErrorTitle.size()),
                 kFormulaErrorTitle.data(), static_cast<int>(report.size()), report.data());
    std::fputs(!report.empty() && report.back() == '\n' ? "\n" : "\n\n", out_);
    std::fflush(out_);
}

void UserInterfaceFormulaErrorSink::ShowFormulaError(std::string_view report) {
    ui_.ShowAlignedReport(kFormulaErrorTitle, report);
}

}  // namespace velmora
