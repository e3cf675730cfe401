#pragma once
// The stock tree without its widget: five root nodes ("All", "Markets", "Groups",
// "Favourites", "Indexes"), a node per market and group that has stocks, and the stock nodes
// under them. The tree keeps no data of its own; a refresh walks the database's stock list and
// reuses the existing nodes position by position, so that a widget mirroring it keeps its
// items (and their expansion) where nothing changed.
//
// A node that holds stocks and is collapsed while it already has children is passed over by a
// refresh: its children are refreshed when it is expanded.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/Preferences.h"

namespace velmora {

inline constexpr int kStockTreeRootCount = 5;
inline constexpr const char* kStockTreeRootNames[kStockTreeRootCount] = {"All", "Markets", "Groups",
                                                                         "Favourites", "Indexes"};

class StockTree {
  public:
    enum class Root { All = 0, Markets = 1, Groups = 2, Favourites = 3, Indexes = 4 };
    enum class Kind { Root, Market, Group, Stock };

    struct Node {
        Kind kind = Kind::Stock;
        std::string label;
        std::string tooltip;     // the stock's full name (stock nodes)
        Stock* stock = nullptr;  // stock nodes; may be stale under a passed-over node
        int category = -1;       // market or group number; the root index for roots
        int image = 0;           // stock nodes: the market number modulo 5
        bool expanded = false;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;

        int IndexInParent() const;

      private:
        friend class StockTree;
        enum class Pass { Untouched, Fill, Skip };
        Pass pass = Pass::Untouched;
        std::size_t used = 0;
    };

    StockTree(const Database& db, const Preferences& prefs);

    // Rebuilds (every node deleted first) or refreshes the tree from the stock list. With
    // `fill`, only that node's children are refreshed and every other node is passed over.
    void Refresh(bool rebuild, Node* fill = nullptr);
    // The user expanded a node: a node without children is filled. True when the tree changed.
    bool Expand(Node& node);
    void Collapse(Node& node) { node.expanded = false; }

    // The root nodes, created by the first refresh; null before.
    Node* RootNode(Root root) const { return roots_[static_cast<std::size_t>(root)].get(); }
    // The node of a market or group number; null until a stock of it has been placed.
    Node* MarketNode(int market) const;
    Node* GroupNode(int group) const;

    // The stock a node refers to, when that stock is still in the database (a node under a
    // passed-over node may refer to a stock removed since).
    Stock* StockOf(const Node& node) const;
    // The label of a stock's node: the ticker, or "ticker (full name)" when the preference
    // asks for it and the full name is not empty.
    std::string LabelOf(const Stock& stock) const;
    // The tooltip of a node: the stock's full name when the preference is on, else empty.
    std::string TooltipOf(const Node& node) const;

    // Selecting a stock from outside: the selected node when it already refers to the stock;
    // otherwise the first node referring to it, searched depth-first through the root nodes
    // after the selected node's root, then through the whole tree. Null when there is none.
    Node* FindForSelection(const Stock* stock, const Node* selected) const;

  private:
    void BeginPass(Node& node, Node* fill);
    void Place(Node& parent, Stock& stock);
    Node& MarketNodeFor(int market);
    Node& GroupNodeFor(int group);
    Node& CategoryNodeFor(std::array<Node*, 256>& table, Node& root, Kind kind, int id,
                          const std::string& name);
    void Trim(Node& node);

    const Database& db_;
    const Preferences& prefs_;
    std::array<std::unique_ptr<Node>, kStockTreeRootCount> roots_;
    std::array<Node*, 256> markets_{};
    std::array<Node*, 256> groups_{};
    Node* fill_ = nullptr;  // during a refresh: the one node to fill, if any
};

}  // namespace velmora
