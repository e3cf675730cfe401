// The scan and the backtest on several threads against the same runs on one thread, over a
// random universe loaded partially from disk: the rows, the report, the messages, the positions
// of errors the engine keeps and the database afterwards are the same, also when the run is
// cancelled or stopped by an error. The optimiser, whose combinations run side by side on
// several threads, likewise.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "analysis/BacktestReport.h"
#include "analysis/Backtester.h"
#include "analysis/Optimizer.h"
#include "analysis/ResultExport.h"
#include "analysis/ScanEngine.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"

namespace velmora {
namespace {

constexpr int kStocks = 48;
constexpr int kLoadUpto = 120;
// The relative strength against the stock itself holds only where the stock's own history
// reaches, so its older quotations must be those of the run.
constexpr std::string_view kRule =
    "buy = cross(macd(), signal()) * (relstrength(name()) > 0);\r\n"
    "sell = cross(signal(), macd()) * (relstrength(name()) > 0);";

// One database and everything a run on it touches.
struct Side {
    Database db;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors, &db};
    RecordingUserInterface ui;
    ResultList rows;
};

struct StockState {
    std::size_t quotations;
    PackedDate firstLoaded;
    std::int32_t skipped;
    bool operator==(const StockState&) const = default;
};

std::vector<StockState> StateOf(Database& db) {
    std::vector<StockState> state;
    for (int i = 0; i < db.StockCount(); ++i) {
        const Stock& s = *db.StockAt(i);
        state.push_back({s.Quotations.size(), s.FirstLoadedDate, s.SkippedCount});
    }
    return state;
}

std::vector<std::string> Texts(const ResultList& rows) {
    std::vector<std::string> texts;
    for (const ResultRow& row : rows) texts.push_back(row.Text);
    return texts;
}

class ParallelRunTest : public ::testing::Test {
  protected:
    ParallelRunTest() {
        // Random walks of 0 to 400 bars (a few stocks hold none), in two markets.
        Database source;
        std::mt19937 rng(20261209);
        std::uniform_int_distribution<int> length(0, 400);
        std::normal_distribution<float> step(0.0f, 0.02f);
        for (int i = 0; i < kStocks; ++i) {
            Stock& s = *source.AddStock("T" + std::to_string(100 + i));
            SetMarketID(s, i == 23 || i == 31 ? 2 : 1);
            const int bars = i % 11 == 5 ? 0 : length(rng);
            float close = 20;
            for (int j = 0; j < bars; ++j) {
                Quotation* q = source.AddQuotation(s, AddDays(MakeDate(2020, 1, 1), j));
                close *= std::exp(step(rng));
                q->Close = close;
                q->Open = close * 0.99f;
                q->High = close * 1.02f;
                q->Low = close * 0.97f;
                q->Volume = 1000 + j;
            }
        }
        EXPECT_TRUE(test::SaveWorkspaceIn(source, dir.path()));
        Preferences prefs;
        prefs.SetPartialLoading(true);
        prefs.SetLoadUpto(kLoadUpto);
        for (Side& side : sides) {
            side.db.SetWorkspaceDir(dir.path());
            EXPECT_TRUE(Workspace(side.db, prefs, side.ui).LoadWorkspace());
            // A changed stock keeps its full history once a run has loaded it.
            side.db.MarkModified(*side.db.StockAt(7));
        }
        EXPECT_NE(sides[0].db.StockAt(7)->FirstLoadedDate, kNoDate);
        selection.range = RangeMode::AllQuotations;
    }

    ScanOutcome Scan(Side& side, int threads, std::string_view formula = kRule) {
        ScanEngine scan(side.db, side.engine, side.ui);
        scan.SetThreads(threads);
        return scan.Run(formula, selection, side.rows);
    }

    // Everything a user sees of the two runs, and the databases they leave.
    void ExpectSameRuns() {
        EXPECT_EQ(Texts(sides[1].rows), Texts(sides[0].rows));
        EXPECT_EQ(sides[1].ui.progress.steps.size(), sides[0].ui.progress.steps.size());
        EXPECT_EQ(sides[1].ui.progress.closes, 1);
        EXPECT_EQ(sides[1].ui.messages, sides[0].ui.messages);
        EXPECT_EQ(sides[1].errors.reports, sides[0].errors.reports);
        EXPECT_EQ(sides[1].engine.ErrorFlag(), sides[0].engine.ErrorFlag());
        EXPECT_EQ(sides[1].engine.Diagnostics(), sides[0].engine.Diagnostics());
        EXPECT_EQ(StateOf(sides[1].db), StateOf(sides[0].db));
    }

    test::TempDir dir;
    std::array<Side, 2> sides;  // one thread, four threads
    AnalysisSelection selection;
};

TEST_F(ParallelRunTest, ScanOnFourThreadsListsWhatOneThreadLists) {
    ASSERT_EQ(Scan(sides[0], 1), ScanOutcome::Completed);
    ASSERT_EQ(Scan(sides[1], 4), ScanOutcome::Completed);
    EXPECT_GT(sides[0].rows.Size(), 100u);
    ExpectSameRuns();
    // The changed stock was left with its full history, the others with their recent bars.
    EXPECT_EQ(sides[1].db.StockAt(7)->FirstLoadedDate, kNoDate);
    EXPECT_EQ(sides[1].db.StockAt(8)->Quotations.size(), std::size_t{kLoadUpto});
}

TEST_F(ParallelRunTest, BacktestOnFourThreadsGivesTheSameRowsReportAndExport) {
    SystemTestSettings settings;
    settings.Positions = 3;
    settings.BuyDelay = 1;
    std::array<BacktestResults, 2> results;
    for (int i = 0; i < 2; ++i) {
        Backtester backtester(sides[i].db, sides[i].engine, sides[i].ui);
        backtester.SetThreads(i == 0 ? 1 : 4);
        ASSERT_EQ(backtester.Run(kRule, selection, settings, sides[i].rows, results[i]),
                  BacktestOutcome::Completed);
    }
    ExpectSameRuns();
    ASSERT_GT(results[0].Stocks.size(), 10u);
    ASSERT_EQ(sides[1].rows.Size(), sides[0].rows.Size());
    for (std::size_t r = 0; r < sides[0].rows.Size(); ++r) {
        EXPECT_EQ(sides[1].rows[r].EquityAfter, sides[0].rows[r].EquityAfter) << r;
    }
    RecordingUserInterface ui;
    const auto report0 = BuildBacktestReport(results[0], sides[0].rows, settings, ui.progress);
    const auto report1 = BuildBacktestReport(results[1], sides[1].rows, settings, ui.progress);
    ASSERT_TRUE(report0.has_value());
    EXPECT_EQ(report1, report0);
    const std::size_t shown = sides[0].rows.Size() - 1;
    EXPECT_EQ(ResultExportText(kRule, sides[1].rows, shown, results[1].SummaryLine()),
              ResultExportText(kRule, sides[0].rows, shown, results[0].SummaryLine()));
}

TEST_F(ParallelRunTest, CancelStopsAtTheSameStock) {
    for (Side& side : sides) side.ui.progress.cancelAt = 20;
    ASSERT_EQ(Scan(sides[0], 1), ScanOutcome::Cancelled);
    ASSERT_EQ(Scan(sides[1], 3), ScanOutcome::Cancelled);
    EXPECT_EQ(sides[1].ui.progress.steps.back().index, 20);
    ExpectSameRuns();
}

TEST_F(ParallelRunTest, FormulaErrorStopsAfterTheSameStock) {
    // Stocks of market 1 measure themselves against T100; those of market 2 (T123 and T131)
    // find no base and report an error: the run ends after T123, whose rows stay.
    for (Side& side : sides) side.db.Categories().Markets[1].RSBase.Set("T100");
    const std::string rule =
        "buy = cross(macd(), signal()) * (relstrength(\"none\") > 0);\r\n"
        "sell = cross(signal(), macd());";
    ASSERT_EQ(Scan(sides[0], 1, rule), ScanOutcome::FormulaError);
    ASSERT_EQ(Scan(sides[1], 4, rule), ScanOutcome::FormulaError);
    EXPECT_EQ(sides[1].ui.progress.steps.back().caption, "T123");
    EXPECT_EQ(sides[1].errors.reports.size(), 1u);
    EXPECT_EQ(SplitColumns(sides[1].rows[sides[1].rows.Size() - 1].Text).front(), "T123");
    ExpectSameRuns();
}

TEST_F(ParallelRunTest, AnErrorLeavesTheEngineThePositionsOfOneThread) {
    // With f = 14 and s = 24 (the defaults, and the fifth combination) T123 finds no base in
    // line 3, where the run stops; T131, later, fails in line 4 whenever f = 14 (in the sixth
    // combination only there), so a worker ahead of the one stopping the run makes other marks.
    for (Side& side : sides) side.db.Categories().Markets[1].RSBase.Set("T100");
    constexpr std::string_view rule =
        "f = optimize(\"f\", 14, 10, 14, 2); s = optimize(\"s\", 24, 24, 26, 2);\r\n"
        "base = writeif(f > 12 AND s < 26, \"none\", name());\r\n"
        "buy = cross(macd(f, s), 0) * (relstrength(base) > 0);\r\n"
        "sell = cross(0, macd(f, s)) *\r\n"
        "    (relstrength(writeif(f > 12 AND name() == \"T131\", \"none\", name())) > 0);";
    const auto grid = OptimizationGrid::Of(rule);
    ASSERT_TRUE(grid);
    const auto backtest = [&](Side& side, int threads) {
        Backtester backtester(side.db, side.engine, side.ui);
        backtester.SetThreads(threads);
        BacktestResults results;
        return backtester.Run(rule, selection, SystemTestSettings{}, side.rows, results);
    };
    const auto optimize = [&](Side& side, int threads) {
        Optimizer optimizer(side.db, side.engine, side.ui);
        optimizer.SetThreads(threads);
        std::vector<OptimizationRow> rows;
        return optimizer.Run(rule, *grid, selection, SystemTestSettings{}, rows);
    };
    struct Case {
        const char* name;
        int threads;  // six combinations: side by side on three threads, stock by stock on four
        std::function<AnalysisOutcome(Side&, int)> run;
    };
    const std::array<Case, 4> cases{{
        {"scan", 3, [&](Side& side, int threads) { return Scan(side, threads, rule); }},
        {"backtest", 3, backtest},
        {"optimisation side by side", 3, optimize},
        {"optimisation stock by stock", 4, optimize},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run(sides[0], 1), AnalysisOutcome::FormulaError);
        EXPECT_EQ(c.run(sides[1], c.threads), AnalysisOutcome::FormulaError);
        const std::vector<FormulaDiagnostic>& marks = sides[0].engine.Diagnostics();
        ASSERT_EQ(marks.size(), 1u);
        EXPECT_EQ(marks[0].line, 3);
        EXPECT_EQ(marks[0].column, 31);
        EXPECT_EQ(sides[1].engine.Diagnostics(), marks);
    }
}

// Six combinations: two rounds side by side on three threads.
class OptimizationRunTest : public ParallelRunTest {
  protected:
    static constexpr std::string_view kGridRule =
        "f = optimize(\"f\", 12, 10, 14, 2); s = optimize(\"s\", 26, 24, 26, 2);\r\n"
        "buy = cross(macd(f, s), 0) * (relstrength(name()) > 0);\r\n"
        "sell = cross(0, macd(f, s)) * (relstrength(name()) > 0);";

    std::array<std::vector<OptimizationRow>, 2> Optimize(AnalysisOutcome expected) {
        const auto grid = OptimizationGrid::Of(kGridRule);
        EXPECT_TRUE(grid && grid->Combinations() == 6);
        std::array<std::vector<OptimizationRow>, 2> rows;
        for (int i = 0; i < 2; ++i) {
            Optimizer optimizer(sides[i].db, sides[i].engine, sides[i].ui);
            optimizer.SetThreads(i == 0 ? 1 : 3);
            EXPECT_EQ(optimizer.Run(kGridRule, *grid, selection, SystemTestSettings{}, rows[i]),
                      expected);
        }
        ExpectSameRuns();
        EXPECT_EQ(rows[1], rows[0]);
        return rows;
    }
};

TEST_F(OptimizationRunTest, SideBySideGivesTheRowsProgressAndDatabaseOfOneThread) {
    const auto rows = Optimize(AnalysisOutcome::Completed);
    ASSERT_EQ(rows[0].size(), 6u);
    EXPECT_NE(rows[0][0].NetProfit, rows[0][5].NetProfit);
    EXPECT_EQ(sides[1].ui.progress.steps.size(), 6u * kStocks);
    EXPECT_EQ(sides[1].db.StockAt(7)->FirstLoadedDate, kNoDate);
}

TEST_F(OptimizationRunTest, CancelKeepsTheCombinationsDoneBeforeIt) {
    // In the first combination before the changed stock T107 ran (it stays partially loaded),
    // then in the fourth.
    for (const int at : {5, 3 * kStocks + 5}) {
        for (Side& side : sides) {
            side.ui.progress = {};
            side.ui.progress.cancelAt = at;
        }
        const auto rows = Optimize(AnalysisOutcome::Cancelled);
        EXPECT_EQ(rows[1].size(), static_cast<std::size_t>(at / kStocks));
        EXPECT_EQ(sides[1].ui.progress.steps.back().index, at);
        EXPECT_EQ(sides[1].db.StockAt(7)->FirstLoadedDate != kNoDate, at < kStocks);
    }
}

}  // namespace
}  // namespace velmora
