#include "app/StockTree.h"

#include <algorithm>

namespace velmora {

int StockTree::Node::IndexInParent() const {
    if (parent == nullptr) return -1;
    const auto& siblings = parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) return static_cast<int>(i);
    }
    return -1;
}

StockTree::StockTree(const Database& db, const Preferences& prefs) : db_(db), prefs_(prefs) {}

StockTree::Node* StockTree::MarketNode(int market) const {
    return market >= 0 && market < kMarketCount ? markets_[static_cast<std::size_t>(market)]
                                                : nullptr;
}

StockTree::Node* StockTree::GroupNode(int group) const {
    return group >= 0 && group < kGroupCount ? groups_[static_cast<std::size_t>(group)] : nullptr;
}

std::string StockTree::LabelOf(const Stock& stock) const {
    std::string label(stock.TickerText());
    const std::string_view fullName = stock.FullName.View();
    if (prefs_.FullNameInTree() && !fullName.empty()) {
        label += " (";
        label += fullName;
        label += ')';
    }
    return label;
}

std::string StockTree::TooltipOf(const Node& node) const {
    if (node.kind != Kind::Stock || !prefs_.FullNameTooltipsInTree()) return {};
    return node.tooltip.substr(0, 63);
}

Stock* StockTree::StockOf(const Node& node) const {
    if (node.kind != Kind::Stock || node.stock == nullptr) return nullptr;
    // Compared by address only: the node's stock may have been freed.
    for (const auto& stock : db_.Stocks()) {
        if (stock.get() == node.stock) return node.stock;
    }
    return nullptr;
}

void StockTree::BeginPass(Node& node, Node* fill) {
    node.used = 0;
    if (fill != nullptr) {
        node.pass = &node == fill ? Node::Pass::Fill : Node::Pass::Skip;
    } else {
        node.pass = !node.expanded && !node.children.empty() ? Node::Pass::Skip : Node::Pass::Fill;
    }
}

void StockTree::Refresh(bool rebuild, Node* fill) {
    if (rebuild) {
        for (auto& root : roots_) root.reset();
        markets_.fill(nullptr);
        groups_.fill(nullptr);
        fill = nullptr;
    }
    for (int i = 0; i < kStockTreeRootCount; ++i) {
        auto& root = roots_[static_cast<std::size_t>(i)];
        if (root) continue;
        root = std::make_unique<Node>();
        root->kind = Kind::Root;
        root->label = kStockTreeRootNames[i];
        root->category = i;
    }
    const CategoryTables& categories = db_.Categories();
    for (int i = 0; i < kMarketCount; ++i) {
        Node* node = markets_[static_cast<std::size_t>(i)];
        const std::string_view name = categories.Markets[static_cast<std::size_t>(i)].Name.View();
        if (node != nullptr && node->label != name) node->label = std::string(name);
    }
    for (int i = 0; i < kGroupCount; ++i) {
        Node* node = groups_[static_cast<std::size_t>(i)];
        const std::string_view name = categories.Groups[static_cast<std::size_t>(i)].Name.View();
        if (node != nullptr && node->label != name) node->label = std::string(name);
    }

    fill_ = fill;
    Node& all = *RootNode(Root::All);
    Node& favourites = *RootNode(Root::Favourites);
    Node& indexes = *RootNode(Root::Indexes);
    BeginPass(all, fill);
    BeginPass(favourites, fill);
    BeginPass(indexes, fill);
    for (Node* node : markets_) {
        if (node != nullptr) BeginPass(*node, fill);
    }
    for (Node* node : groups_) {
        if (node != nullptr) BeginPass(*node, fill);
    }

    for (const auto& owned : db_.Stocks()) {
        Stock& stock = *owned;
        Place(all, stock);
        // Category numbers beyond the tables have no node; such a stock is still under "All".
        const int market = GetMarketID(stock);
        if (market >= 0 && market < kMarketCount) Place(MarketNodeFor(market), stock);
        const int group = GetGroupID(stock);
        if (group >= 0 && group < kGroupCount) Place(GroupNodeFor(group), stock);
        if (stock.IsFavourite()) Place(favourites, stock);
        if (stock.IsIndex()) Place(indexes, stock);
    }

    Trim(all);
    Trim(favourites);
    Trim(indexes);
    for (Node* node : markets_) {
        if (node != nullptr) Trim(*node);
    }
    for (Node* node : groups_) {
        if (node != nullptr) Trim(*node);
    }
    fill_ = nullptr;
}

bool StockTree::Expand(Node& node) {
    node.expanded = true;
    if (node.kind == Kind::Stock) return false;
    // The node's children were passed over while it was collapsed: bring them up to date.
    Refresh(false, &node);
    return true;
}

void StockTree::Place(Node& parent, Stock& stock) {
    if (parent.pass != Node::Pass::Fill) return;
    std::string label = LabelOf(stock);
    const int image = (GetMarketID(stock) % 5 + 5) % 5;
    if (parent.used < parent.children.size()) {
        Node& child = *parent.children[parent.used];
        if (child.stock != &stock || child.label != label) {
            child.label = std::move(label);
            child.stock = &stock;
            child.image = image;
        }
        child.tooltip = std::string(stock.FullName.View());
    } else {
        auto child = std::make_unique<Node>();
        child->kind = Kind::Stock;
        child->label = std::move(label);
        child->tooltip = std::string(stock.FullName.View());
        child->stock = &stock;
        child->image = image;
        child->parent = &parent;
        parent.children.push_back(std::move(child));
    }
    ++parent.used;
}

StockTree::Node& StockTree::MarketNodeFor(int market) {
    return CategoryNodeFor(markets_, *RootNode(Root::Markets), Kind::Market, market,
                           db_.Categories().Markets[static_cast<std::size_t>(market)].Name.Str());
}

StockTree::Node& StockTree::GroupNodeFor(int group) {
    return CategoryNodeFor(groups_, *RootNode(Root::Groups), Kind::Group, group,
                           db_.Categories().Groups[static_cast<std::size_t>(group)].Name.Str());
}

StockTree::Node& StockTree::CategoryNodeFor(std::array<Node*, 256>& table, Node& root, Kind kind,
                                            int id, const std::string& name) {
    Node*& slot = table[static_cast<std::size_t>(id)];
    if (slot != nullptr) return *slot;
    // After the node of the nearest lower-numbered category that has one, or first.
    std::size_t position = 0;
    for (int lower = id - 1; lower >= 0; --lower) {
        const Node* before = table[static_cast<std::size_t>(lower)];
        if (before == nullptr) continue;
        position = static_cast<std::size_t>(before->IndexInParent()) + 1;
        break;
    }
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->label = name;
    node->category = id;
    node->parent = &root;
    slot = node.get();
    BeginPass(*node, fill_);
    root.children.insert(root.children.begin() + static_cast<std::ptrdiff_t>(position),
                         std::move(node));
    return *slot;
}

void StockTree::Trim(Node& node) {
    if (node.pass == Node::Pass::Fill && node.children.size() > node.used) {
        node.children.resize(node.used);
    }
    node.pass = Node::Pass::Untouched;
}

namespace {

StockTree::Node* FindStockNode(const StockTree::Node& node, const Stock* stock) {
    for (const auto& child : node.children) {
        if (child->kind == StockTree::Kind::Stock && child->stock == stock) return child.get();
        if (StockTree::Node* found = FindStockNode(*child, stock)) return found;
    }
    return nullptr;
}

}  // namespace

StockTree::Node* StockTree::FindForSelection(const Stock* stock, const Node* selected) const {
    if (stock == nullptr) return nullptr;
    if (selected != nullptr && selected->kind == Kind::Stock && selected->stock == stock) {
        return const_cast<Node*>(selected);
    }
    int first = 0;
    if (selected != nullptr) {
        const Node* root = selected;
        while (root->parent != nullptr) root = root->parent;
        first = root->category + 1;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = pass == 0 ? first : 0; i < kStockTreeRootCount; ++i) {
            const Node* root = roots_[static_cast<std::size_t>(i)].get();
            if (root == nullptr) continue;
            if (Node* found = FindStockNode(*root, stock)) return found;
        }
        if (first == 0) break;
    }
    return nullptr;
}

}  // namespace velmora
