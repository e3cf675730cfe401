#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

using Result = test_support::CliRun;
using test_support::Lines;

Result Exec(const fs::path& profile, const std::string& workspace, const std::string& name,
            std::vector<std::string> args) {
    return test_support::RunCliCommandAt(profile, workspace, name, std::move(args));
}

TEST(PrefsCommand, PrintsEveryPreferenceAndSetWritesTheFile) {
    test::TempDir profile;
    const Result shown = Exec(profile.path(), "", "prefs", {});
    ASSERT_EQ(shown.status, 0);
    const auto lines = Lines(shown.out);
    EXPECT_EQ(lines.size(), 84u);  // 48 fields, 20 colour settings and 16 palette entries
    EXPECT_EQ(lines.front(), "fat_line_chart=0");
    EXPECT_EQ(lines.back(), "add_full_name_to_ticker_in_ticker_box=0");
    for (const char* expected :
         {"enable_partial_database_loading=0", "load_upto=250", "default_rs_base=WIG",
          "colour_price=1", "colour_study_trendline=7", "palette_0=0xaaa", "palette_15=0xc46",
          "parabolic_sar_accel_step=0.02", "default_database_path=data",
          "default_number_of_quotations_in_a_chart=159"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
    }
    EXPECT_FALSE(fs::exists(profile / "tarvik.prefs"));  // printing writes nothing

    ASSERT_EQ(Exec(profile.path(), "", "prefs",
                   {"set", "load_upto", "1000", "palette_3", "0x123", "default_rs_base", "ABC",
                    "parabolic_sar_maximum", "0.25", "enable_partial_database_loading", "1"})
                  .status,
              0);
    const auto bytes = test::ReadBytes(profile / "tarvik.prefs");
    ASSERT_EQ(bytes.size(), 672u);
    EXPECT_EQ(bytes[8 + 630] | bytes[8 + 631] << 8, 1000);
    EXPECT_EQ(bytes[8 + 88 + 6] | bytes[8 + 88 + 7] << 8, 0x123);
    const auto after = Lines(Exec(profile.path(), "", "prefs", {}).out);
    for (const char* expected :
         {"load_upto=1000", "palette_3=0x123", "default_rs_base=ABC", "parabolic_sar_maximum=0.25",
          "enable_partial_database_loading=1"}) {
        EXPECT_NE(std::find(after.begin(), after.end(), expected), after.end()) << expected;
    }
}

TEST(PrefsCommand, BadSettingsChangeNothing) {
    test::TempDir profile;
    ASSERT_EQ(Exec(profile.path(), "", "prefs", {"set", "load_upto", "7"}).status, 0);
    const auto before = test::ReadBytes(profile / "tarvik.prefs");
    // One bad pair spoils the whole command: the good pair before it is not written either.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"set", "load_upto", "8", "no_such_pref", "1"},
                                               {"set", "rsi_range", "70000"},
                                               {"set", "rsi_range", "-1"},
                                               {"set", "load_upto", "12x"},
                                               {"set", "palette_1", "0x1000"},
                                               {"set", "parabolic_sar_maximum", "nan"},
                                               {"set", "default_rs_base", std::string(32, 'T')},
                                               {"set", "load_upto"},
                                               {"bogus"}}) {
        const Result r = Exec(profile.path(), "", "prefs", args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(test::ReadBytes(profile / "tarvik.prefs"), before);
}

TEST(PrefsCommand, DatabasePathIsTakenRelativeToTheProfile) {
    test::TempDir profile;
    ASSERT_EQ(Exec(profile.path(), "", "sample-workspace", {(profile / "mine").string()}).status,
              0);
    ASSERT_EQ(Exec(profile.path(), "", "prefs", {"set", "default_database_path", "mine"}).status,
              0);
    const Result info = Exec(profile.path(), "", "info", {});
    ASSERT_EQ(info.status, 0);
    EXPECT_EQ(Lines(info.out).at(0), "workspace\t" + (profile / "mine").string());
    EXPECT_NE(info.out.find("stocks\t39"), std::string::npos);
}

TEST(CategoriesCommand, PrintsEachTableAndIndustriesWithTheirSector) {
    test::TempDir profile, ws;
    test::WriteText(profile / "tarvik.sectors", "Finance\nEnergy\n");
    test::WriteText(profile / "tarvik.industries", "0 Banks\n1 Oil\n40 Lost\n");
    // A workspace without workspace file (only its stock folders) is named by the profile's
    // category files.
    fs::create_directory(ws / "_");
    const Result ind = Exec(profile.path(), ws.path().string(), "categories", {"industries"});
    ASSERT_EQ(ind.status, 0);
    const auto lines = Lines(ind.out);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "0\tBanks\t0\tFinance");
    EXPECT_EQ(lines[1], "1\tOil\t1\tEnergy");
    EXPECT_EQ(lines[2], "2\tLost\t40\t");
    EXPECT_EQ(lines[3], "3\tIndustry 3\t0\tFinance");

    const auto sectors =
        Lines(Exec(profile.path(), ws.path().string(), "categories", {"sectors"}).out);
    ASSERT_EQ(sectors.size(), 32u);
    EXPECT_EQ(sectors[31], "31\tSector 31");
    const auto all = Lines(Exec(profile.path(), ws.path().string(), "categories", {}).out);
    EXPECT_EQ(all.size(), 256u + 256u + 32u + 256u);
    EXPECT_EQ(all[0], "markets\t0\tMarket 0");
    EXPECT_EQ(Exec(profile.path(), ws.path().string(), "categories", {"stocks"}).status, 2);
}

TEST(SaveAsCommand, CopiesTheWholeWorkspaceAndRemembersIt) {
    test::TempDir profile, root;
    const std::string a = (root / "a").string(), b = (root / "b").string();
    ASSERT_EQ(Exec(profile.path(), "", "sample-workspace", {a}).status, 0);
    // Partial loading on: the copy still holds every quotation.
    ASSERT_EQ(Exec(profile.path(), "", "prefs",
                   {"set", "enable_partial_database_loading", "1", "load_upto", "50"})
                  .status,
              0);
    const Result saved = Exec(profile.path(), a, "save-as", {b});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(Exec(profile.path(), a, "list", {}).out, Exec(profile.path(), b, "list", {}).out);
    EXPECT_EQ(Exec(profile.path(), a, "quotes", {"WIG"}).out,
              Exec(profile.path(), b, "quotes", {"WIG"}).out);
    EXPECT_NE(test::ReadText(profile / "settings.ini").find("[Recent File List]\nFile1=" + b),
              std::string::npos);

    test::WriteText(root / "c" / "readme.txt", "foreign");
    EXPECT_EQ(Exec(profile.path(), a, "save-as", {(root / "c").string()}).status, 1);
    EXPECT_EQ(Exec(profile.path(), a, "save-as", {}).status, 2);
}

}  // namespace
}  // namespace velmora::cli
