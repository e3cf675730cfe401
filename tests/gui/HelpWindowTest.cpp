#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "gui/dialogs/HelpWindow.h"

namespace velmora::gui {
namespace {

// The manual's pages come from its folder, links between them are followed, the function
// reference comes from the built-in table, and a missing page says where it was looked for.
TEST(HelpWindow, ShowsManualPagesAndTheGeneratedReference) {
    test::TempDir dir;
    test::WriteText(dir.path() / "index.md", "# Start here\n\n[Next page](next.md)\n");
    test::WriteText(dir.path() / "next.md", "# The next page\n");
    HelpWindow window(dir.path(), nullptr);

    window.ShowPage(QStringLiteral("index.md"));
    EXPECT_TRUE(window.Browser()->toPlainText().startsWith(QStringLiteral("Start here")));
    window.Browser()->setSource(QUrl(QStringLiteral("next.md")));
    EXPECT_TRUE(window.Browser()->toPlainText().startsWith(QStringLiteral("The next page")));

    window.ShowPage(QStringLiteral("functions.md"));
    EXPECT_TRUE(window.Browser()->toPlainText().contains(QStringLiteral("ema(array, periods)")));

    window.ShowPage(QStringLiteral("absent.md"));
    EXPECT_TRUE(window.Browser()->toPlainText().contains(QStringLiteral("absent.md")));
}

}  // namespace
}  // namespace velmora::gui
