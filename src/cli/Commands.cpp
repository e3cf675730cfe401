#include "cli/Cli.h"

namespace velmora::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "", "the workspace path, number of stocks and quotations, first and last date",
         RunInfo},
        {"list", "", "one line per stock: ticker, quotations, first and last date, full name",
         RunList},
        {"quotes", "TICKER", "the quotations of a stock as CSV, oldest first", RunQuotes},
        {"import",
         "metastock DIR [--list] [--ticker T...] | teletext FILE...",
         "imports quotations: a Metastock directory, saved teletext pages", RunImport},
        {"sample-workspace", "DIR", "writes the synthetic sample database into DIR",
         RunSampleWorkspace},
        {"portfolio",
         "show [INDEX] | buy TICKER [--date D] [--price X] [--qty Q] | sell INDEX [--date D] "
         "[--price X] [--qty Q] | dividend INDEX AMOUNT | join INDEX | pay-in AMOUNT | "
         "pay-out AMOUNT | commission VALUE | table [set NAME=VALUE...]",
         "the portfolio manager on tarvik.portfolio: list, fields, trades, cash, commission table",
         RunPortfolio},
    };
    return commands;
}

}  // namespace velmora::cli
