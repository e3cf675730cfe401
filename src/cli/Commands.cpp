#include "cli/Cli.h"

namespace velmora::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "", "the workspace path, number of stocks and quotations, first and last date",
         RunInfo},
        {"list", "", "one line per stock: ticker, quotations, first and last date, full name",
         RunList},
        {"quotes", "TICKER", "the quotations of a stock as CSV, oldest first", RunQuotes},
        {"sample-workspace", "DIR", "writes the synthetic sample database into DIR",
         RunSampleWorkspace},
    };
    return commands;
}

}  // namespace velmora::cli
