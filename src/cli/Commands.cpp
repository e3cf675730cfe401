#include "cli/Cli.h"

namespace velmora::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "", "the workspace path, number of stocks and quotations, first and last date",
         RunInfo},
        {"list", "", "one line per stock: ticker, quotations, first and last date, full name",
         RunList},
        {"quotes", "TICKER", "the quotations of a stock as CSV, oldest first", RunQuotes},
        {"new", "DIR", "creates an empty workspace in DIR (its folders and workspace file)",
         RunNew},
        {"save-as", "DIR [--force]",
         "writes the whole workspace into DIR, which becomes a recent workspace", RunSaveAs},
        {"prefs", PrefsUsage(), "prints every preference as name=value; 'prefs set' changes them",
         RunPrefs},
        {"import",
         "ascii FILE... [--type N | --format FILE] | metastock DIR [--list] [--ticker T...] | "
         "teletext FILE...",
         "imports quotations: ASCII files, a Metastock directory, saved teletext pages", RunImport},
        {"eval",
         "TICKER (--formula TEXT | --formula-file F) [--print NAME,...] [--output] "
         "[--selected-bar I] [--periodicity daily|weekly|monthly]",
         "runs a QRX formula over a stock and prints its variables per bar as CSV", RunEval},
        {"functions", "[NAME] | --markdown",
         "the QRX functions, one line each; one in full; the whole reference as Markdown",
         RunFunctions},
        {"check", "FILE.qrx... | --formula TEXT",
         "checks formulas without running them on data: FILE:LINE:COLUMN: message per error",
         RunCheck},
        {"sample-workspace", "DIR [--ascii-dir QUOTES]",
         "writes the synthetic sample database into DIR (--ascii-dir: its quotations as text "
         "files into QUOTES instead)",
         RunSampleWorkspace},
        {"scan",
         "(--formula TEXT | --formula-file F) [--apply all|current=TICKER|filter] "
         "[--include CRITERIA] [--exclude CRITERIA] "
         "[--range all|last=N|days=N|from=yy-mm-dd,to=yy-mm-dd] [--threads N]\n"
         "CRITERIA: comma-separated market=N, group=N, sector=N, industry=N, favourites, "
         "indexes",
         "the buy and sell signals of a trading-rule formula, one result row per line", RunScan},
        {"backtest",
         "[--formula TEXT | --formula-file F] [scan options] [--equity V] "
         "[--positions long|short|both] [--commission table|percent=V|point=V] "
         "[--buy-price close|open|high|low|average] [--sell-price ...] [--buy-delay N] "
         "[--sell-delay N] [--stop none|percent=V|point=V] [--report FILE.html] [--no-overall] "
         "[--no-stock-summary] [--no-trade-list] [--export FILE.txt] [--json FILE] [--open] "
         "[--stats]",
         "simulated trades of a trading-rule formula (default: the MACD zero-line crossings), "
         "then the summary line; the HTML report, result export and figures as JSON; --stats "
         "adds the equity curves and their risk figures to the report and the JSON",
         RunBacktest},
        {"optimize",
         "(--formula TEXT | --formula-file F) [scan options] [backtest settings] "
         "[--sort net_profit|trades|percent_profitable|max_drawdown_percent|car_percent|sharpe|"
         "profit_factor] [--json FILE]",
         "the backtest once per combination of the formula's optimize(\"name\", default, min, "
         "max, step) parameters (full grid, at most 100,000): a row per combination with net "
         "profit, trades, % profitable, max drawdown %, CAR %, Sharpe and profit factor",
         RunOptimize},
        {"portfolio",
         "show [INDEX] | buy TICKER [--date D] [--price X] [--qty Q] | sell INDEX [--date D] "
         "[--price X] [--qty Q] | dividend INDEX AMOUNT | join INDEX | pay-in AMOUNT | "
         "pay-out AMOUNT | commission VALUE | table [set NAME=VALUE...]",
         "the portfolio manager on tarvik.portfolio: list, fields, trades, cash, commission table",
         RunPortfolio},
        {"stock",
         "new TICKER [--name TEXT] | delete TICKER | rename OLD NEW | set TICKER [--ticker T] "
         "[--name T] [--address T] [--alias T] [--country T] [--currency T] [--webid T] "
         "[--code N] [--issue N] [--nominal N] [--bookvalue N] [--market N] [--group N] "
         "[--industry N] [--continuous 0|1] [--favourite 0|1] [--index 0|1]",
         "creates, deletes, renames a stock or changes its Stock Information fields", RunStock},
        {"split", "TICKER --date yy-mm-dd --ratio R",
         "splits the history before the date by R new shares per old share", RunSplit},
        {"find-split", "TICKER [--after yy-mm-dd]",
         "the date and ratio of the next close that moved by more than 20 %", RunFindSplit},
        {"delete-session", "yy-mm-dd", "deletes the quotation of that date from every stock",
         RunDeleteSession},
        {"delete-quote", "TICKER yy-mm-dd", "deletes one quotation of a stock", RunDeleteQuote},
        {"set-quote",
         "TICKER yy-mm-dd --close C [--open O --high H --low L --volume V --openint I]",
         "stores a quotation as the quotation editor does", RunSetQuote},
        {"categories",
         "[markets|groups|sectors|industries] | rename KIND INDEX NAME | set KIND INDEX "
         "[--rs-base T] [--beta-base T] [--composites-base T] [--profile TEMPLATE] "
         "[--news TEMPLATE] [--sector N] | assign KIND FROM TO [TICKER...] | exchange KIND A B",
         "lists the category names (index<TAB>name); edits names and settings; moves stocks",
         RunCategories},
        {"review", "--type 0-7 --date yy-mm-dd [--include CRITERIA] [--exclude CRITERIA]",
         "the quick review's rows for a day (criteria: market=N,group=N,sector=N,industry=N,"
         "favourites,indexes)",
         RunReview},
        {"riskmap", "",
         "ticker, label, risk and yield (millionths) of every mapped stock, then the data range",
         RunRiskMap},
        {"composites",
         "[--volume] [--copy-volume] [--adv-dec] [--all | --last N | --from D --to D] "
         "[--market M]",
         "recomputes advance/decline data and index volumes of one or every market", RunComposites},
        {"chart",
         "TICKER --out FILE.png [--pdf FILE.pdf] [--size WxH] [--periodicity daily|weekly|monthly] "
         "[--type auto|line|candlesticks|bars] [--panes ID[:PERCENT],...] [--visible N] "
         "[--scroll N] [--selected-bar I] [--signals-formula-file F]",
         "renders the panes of a chart window of a stock into a PNG (or a PDF)", RunChart},
        {"study",
         "add TICKER --pane ID --tool trend|hline|vline|fibret|fibtime|text --from yy-mm-dd:VALUE "
         "[--to yy-mm-dd:VALUE] [--text T] | list TICKER | delete TICKER --pane ID "
         "(--index N | --all)",
         "adds, lists and deletes the drawing-tool studies of a stock's chart panes", RunStudy},
        {"charts",
         "list | show ID | set ID [--name N] [--formula-file F] [--auto | --min A --max B] "
         "[--grid level0,limits,50,percent,30/70,20/80,100,10/90,middle|none]",
         "the chart definitions of tarvik.charts: list, show one, change a custom one", RunCharts},
        {"commentary",
         "TICKER (--formula TEXT | --formula-file F) [--date yy-mm-dd] "
         "[--periodicity daily|weekly|monthly]",
         "the text a commentary formula writes for a stock (at the bar of --date)", RunCommentary},
        {"tools",
         "list | add NAME --command C [--args A] [--dir D] [--prompt] | remove N | "
         "move N up|down | run N [--args A]",
         "the custom tools of the Tools menu (numbered from 0): list, edit, start one", RunTools},
        {"script", "FILE.js [ARGS...]",
         "runs a JavaScript program on the automation model (createObject(\"Tarvik.Application\"))",
         RunScript},
    };
    return commands;
}

}  // namespace velmora::cli
