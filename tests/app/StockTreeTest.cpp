#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StockTree.h"

namespace velmora {
namespace {

using Node = StockTree::Node;
using Root = StockTree::Root;

std::vector<std::string> Labels(const Node* node) {
    std::vector<std::string> labels;
    if (node == nullptr) return labels;
    for (const auto& child : node->children) labels.push_back(child->label);
    return labels;
}

struct StockTreeTest : ::testing::Test {
    Database db;
    Preferences prefs;
    StockTree tree{db, prefs};

    Stock& Add(const std::string& ticker, int market, int group, std::int32_t flags = 0) {
        Stock* s = db.AddStock(ticker);
        SetMarketID(*s, market);
        SetGroupID(*s, group);
        s->Flags = flags;
        return *s;
    }
    Node* MarketNode(int m) { return tree.MarketNode(m); }
};

TEST_F(StockTreeTest, StocksArePlacedUnderAllTheirMarketAndGroupAndTheirFlags) {
    Add("KETO", 7, 0);
    Add("ALBA", 9, 3, Stock::kFavouriteFlag);
    Add("WIG", 3, 0, Stock::kIndexFlag);
    db.Categories().Markets[7].Name.Set("Warsaw");
    tree.Refresh(true);

    ASSERT_NE(tree.RootNode(Root::All), nullptr);
    EXPECT_EQ(Labels(tree.RootNode(Root::All)), (std::vector<std::string>{"ALBA", "KETO", "WIG"}));
    // Market nodes in the order of their numbers, although market 7 was met first... and
    // market 3 last: each goes after the nearest lower-numbered node, or first.
    EXPECT_EQ(Labels(tree.RootNode(Root::Markets)),
              (std::vector<std::string>{"Market 3", "Warsaw", "Market 9"}));
    EXPECT_EQ(Labels(MarketNode(7)), std::vector<std::string>{"KETO"});
    EXPECT_EQ(Labels(tree.GroupNode(0)), (std::vector<std::string>{"KETO", "WIG"}));
    EXPECT_EQ(Labels(tree.RootNode(Root::Groups)),
              (std::vector<std::string>{"Group 0", "Group 3"}));
    EXPECT_EQ(Labels(tree.RootNode(Root::Favourites)), std::vector<std::string>{"ALBA"});
    EXPECT_EQ(Labels(tree.RootNode(Root::Indexes)), std::vector<std::string>{"WIG"});
    EXPECT_EQ(MarketNode(5), nullptr);
    EXPECT_EQ(tree.GroupNode(7), nullptr);

    // KETO appears exactly three times in the whole tree.
    int keto = 0;
    for (int r = 0; r < kStockTreeRootCount; ++r) {
        std::vector<const Node*> stack{tree.RootNode(static_cast<Root>(r))};
        while (!stack.empty()) {
            const Node* n = stack.back();
            stack.pop_back();
            if (n->kind == StockTree::Kind::Stock && n->label == "KETO") ++keto;
            for (const auto& c : n->children) stack.push_back(c.get());
        }
    }
    EXPECT_EQ(keto, 3);
}

TEST_F(StockTreeTest, CategoryNumbersBeyondTheTablesGetNoNode) {
    Add("FAR", 300, -4);
    tree.Refresh(true);
    EXPECT_EQ(Labels(tree.RootNode(Root::All)), std::vector<std::string>{"FAR"});
    EXPECT_TRUE(tree.RootNode(Root::Markets)->children.empty());
    EXPECT_TRUE(tree.RootNode(Root::Groups)->children.empty());
}

TEST_F(StockTreeTest, LabelsAndTooltipsFollowThePreferences) {
    Stock& s = Add("KETO", 0, 0);
    s.FullName.Set("Keto Mining");
    Add("BARE", 0, 0);
    prefs.SetFullNameTooltipsInTree(false);
    tree.Refresh(true);
    const Node& keto = *tree.RootNode(Root::All)->children[1];
    EXPECT_EQ(keto.label, "KETO");
    EXPECT_EQ(tree.TooltipOf(keto), "");

    prefs.SetFullNameInTree(true);
    prefs.SetFullNameTooltipsInTree(true);
    tree.Expand(*tree.RootNode(Root::All));
    EXPECT_EQ(Labels(tree.RootNode(Root::All)),
              (std::vector<std::string>{"BARE", "KETO (Keto Mining)"}));
    EXPECT_EQ(tree.TooltipOf(*tree.RootNode(Root::All)->children[1]), "Keto Mining");
    EXPECT_EQ(tree.TooltipOf(*tree.RootNode(Root::Markets)), "");
}

TEST_F(StockTreeTest, RefreshReusesNodesRelabelsCategoriesAndDropsTrailingChildren) {
    Add("A", 1, 0);
    Add("B", 1, 0);
    Add("C", 1, 0);
    tree.Refresh(true);
    Node* market = MarketNode(1);
    tree.Expand(*market);
    const Node* first = market->children[0].get();
    const Node* second = market->children[1].get();

    db.Categories().Markets[1].Name.Set("Renamed");
    ASSERT_TRUE(db.RemoveStock("A"));
    tree.Refresh(false);
    // The same nodes, relabelled in place: B moved into the first child, C into the second.
    EXPECT_EQ(MarketNode(1), market);
    EXPECT_EQ(market->label, "Renamed");
    ASSERT_EQ(market->children.size(), 2u);
    EXPECT_EQ(market->children[0].get(), first);
    EXPECT_EQ(market->children[1].get(), second);
    EXPECT_EQ(Labels(market), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(tree.StockOf(*market->children[0]), db.FindStock("B"));

    // A rebuild starts from new nodes.
    tree.Refresh(true);
    EXPECT_EQ(Labels(MarketNode(1)), (std::vector<std::string>{"B", "C"}));
}

TEST_F(StockTreeTest, ACollapsedNodeWithChildrenIsRefreshedOnlyWhenExpanded) {
    Add("B", 7, 0);
    tree.Refresh(true);
    Node* market = MarketNode(7);
    Node* all = tree.RootNode(Root::All);
    tree.Expand(*all);
    Add("A", 7, 0);
    Add("C", 2, 0);
    tree.Refresh(false);
    EXPECT_EQ(Labels(market), std::vector<std::string>{"B"});
    EXPECT_EQ(Labels(all), (std::vector<std::string>{"A", "B", "C"}));
    // A new category node starts empty and is filled at once.
    EXPECT_EQ(Labels(MarketNode(2)), std::vector<std::string>{"C"});

    // Expanding fills that node only: the collapsed group node keeps its one child.
    Add("D", 7, 0);
    tree.Expand(*market);
    EXPECT_EQ(Labels(market), (std::vector<std::string>{"A", "B", "D"}));
    EXPECT_EQ(Labels(all), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(Labels(tree.GroupNode(0)), std::vector<std::string>{"B"});

    // Expanded, it follows every refresh; collapsed again, it stays as it was.
    ASSERT_TRUE(db.RemoveStock("D"));
    tree.Refresh(false);
    EXPECT_EQ(Labels(market), (std::vector<std::string>{"A", "B"}));
    tree.Collapse(*market);
    ASSERT_TRUE(db.RemoveStock("A"));
    tree.Refresh(false);
    EXPECT_EQ(Labels(market), (std::vector<std::string>{"A", "B"}));
    // The node left behind no longer leads to a stock.
    EXPECT_EQ(tree.StockOf(*market->children[0]), nullptr);
}

TEST_F(StockTreeTest, SelectingFromOutsideSearchesTheRootsAfterTheSelectedOne) {
    Stock& a = Add("A", 1, 2, Stock::kFavouriteFlag);
    Stock& b = Add("B", 1, 2);
    tree.Refresh(true);
    const Node* inAll = tree.RootNode(Root::All)->children[0].get();
    // The selected node already refers to the stock: it stays.
    EXPECT_EQ(tree.FindForSelection(&a, inAll), inAll);
    // From a node under "All", the search starts at "Markets".
    EXPECT_EQ(tree.FindForSelection(&b, inAll), MarketNode(1)->children[1].get());
    // From "Groups", the roots after it come first: A is a favourite.
    const Node* inGroup = tree.GroupNode(2)->children[1].get();
    EXPECT_EQ(tree.FindForSelection(&a, inGroup),
              tree.RootNode(Root::Favourites)->children[0].get());
    // B is in no root after "Groups": the search starts over from "All".
    const Node* favourite = tree.RootNode(Root::Favourites)->children[0].get();
    EXPECT_EQ(tree.FindForSelection(&b, favourite), tree.RootNode(Root::All)->children[1].get());
    // Nothing selected: the first node in the tree.
    EXPECT_EQ(tree.FindForSelection(&b, nullptr), tree.RootNode(Root::All)->children[1].get());
    EXPECT_EQ(tree.FindForSelection(nullptr, inAll), nullptr);
}

}  // namespace
}  // namespace velmora
