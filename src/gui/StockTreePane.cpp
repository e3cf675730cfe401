#include "gui/StockTreePane.h"

#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "gui/QtUserInterface.h"
#include "gui/dialogs/StockDialogs.h"

namespace velmora::gui {

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

QFont TreeFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial")});
    font.setPointSizeF(8.5);
    return font;
}

// The five stock images: a small square in a colour per market number modulo 5.
const QIcon& StockIcon(int image) {
    static const std::array<QIcon, 5> icons = [] {
        const QColor colours[5] = {QColor(40, 110, 200), QColor(30, 150, 70), QColor(200, 120, 20),
                                   QColor(160, 40, 160), QColor(120, 120, 120)};
        std::array<QIcon, 5> made;
        for (int i = 0; i < 5; ++i) {
            QPixmap pixmap(12, 12);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.fillRect(2, 2, 8, 8, colours[i]);
            made[static_cast<std::size_t>(i)] = QIcon(pixmap);
        }
        return made;
    }();
    return icons[static_cast<std::size_t>(image >= 0 && image < 5 ? image : 0)];
}

// Remembers a flag for the length of a scope.
struct Guard {
    explicit Guard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Guard() { flag_ = old_; }
    bool& flag_;
    bool old_;
};

}  // namespace

StockTreePane::StockTreePane(GuiContext& context, QWidget* parent)
    : QDockWidget(QStringLiteral("Stock Tree"), parent),
      context_(context),
      tree_(context.Services().db, context.Services().prefs) {
    setObjectName(QStringLiteral("StockTree"));
    auto* tabs = new QTabWidget(this);
    view_ = new QTreeWidget(tabs);
    view_->setHeaderHidden(true);
    view_->setFont(TreeFont());
    view_->setUniformRowHeights(true);
    tabs->addTab(view_, QStringLiteral("Stocks"));
    tabs->setMinimumSize(80, 80);
    setWidget(tabs);

    connect(view_, &QTreeWidget::itemExpanded, this, &StockTreePane::OnExpanded);
    connect(view_, &QTreeWidget::itemCollapsed, this, &StockTreePane::OnCollapsed);
    connect(view_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &StockTreePane::ShowStockMenu);
    connect(&context_, &GuiContext::stockTreeRebuildRequested, this, &StockTreePane::Refresh);
    connect(&context_, &GuiContext::stockSelected, this, &StockTreePane::SelectStock);
}

void StockTreePane::Refresh(bool rebuild) {
    tree_.Refresh(rebuild);
    Mirror();
}

StockTree::Node* StockTreePane::NodeOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) return nullptr;
    return static_cast<StockTree::Node*>(item->data(0, kNodeRole).value<void*>());
}

QTreeWidgetItem* StockTreePane::ItemOf(const StockTree::Node* node) const {
    if (node == nullptr) return nullptr;
    // The path of positions from the root down, followed through the items.
    std::vector<int> path;
    const StockTree::Node* n = node;
    while (n->parent != nullptr) {
        path.push_back(n->IndexInParent());
        n = n->parent;
    }
    const int root = n->category;
    if (root < 0 || root >= view_->topLevelItemCount()) return nullptr;
    QTreeWidgetItem* item = view_->topLevelItem(root);
    for (auto it = path.rbegin(); it != path.rend() && item != nullptr; ++it) {
        item = *it < item->childCount() ? item->child(*it) : nullptr;
    }
    return item;
}

void StockTreePane::Fill(QTreeWidgetItem* item, StockTree::Node& node) {
    const QString label = QString::fromStdString(node.label);
    if (item->text(0) != label) item->setText(0, label);
    // The item keeps its node, which the expand, collapse and selection handlers change.
    item->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(&node)));
    item->setToolTip(0, QString::fromStdString(tree_.TooltipOf(node)));
    if (node.kind == StockTree::Kind::Stock) {
        item->setIcon(0, StockIcon(node.image));
    } else if (item->icon(0).isNull()) {
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    }
    if (node.kind != StockTree::Kind::Stock) {
        // A category node without children can still be expanded, which fills it.
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    } else {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    if (item->isExpanded() != node.expanded) item->setExpanded(node.expanded);
}

void StockTreePane::MirrorChildren(StockTree::Node& node, QTreeWidgetItem* item) {
    const int count = static_cast<int>(node.children.size());
    for (int i = 0; i < count; ++i) {
        StockTree::Node& child = *node.children[static_cast<std::size_t>(i)];
        QTreeWidgetItem* childItem = i < item->childCount() ? item->child(i) : nullptr;
        if (childItem == nullptr) {
            childItem = new QTreeWidgetItem();
            item->addChild(childItem);
        }
        MirrorChildren(child, childItem);
        Fill(childItem, child);
    }
    while (item->childCount() > count) delete item->takeChild(item->childCount() - 1);
}

void StockTreePane::Mirror() {
    Guard guard(syncing_);
    for (int r = 0; r < kStockTreeRootCount; ++r) {
        StockTree::Node* root = tree_.RootNode(static_cast<StockTree::Root>(r));
        if (root == nullptr) continue;
        QTreeWidgetItem* item = r < view_->topLevelItemCount() ? view_->topLevelItem(r) : nullptr;
        if (item == nullptr) {
            item = new QTreeWidgetItem();
            view_->addTopLevelItem(item);
        }
        MirrorChildren(*root, item);
        Fill(item, *root);
    }
}

void StockTreePane::SelectStock(const Stock* stock) {
    const StockTree::Node* selected = NodeOf(view_->currentItem());
    StockTree::Node* found = tree_.FindForSelection(stock, selected);
    // Selecting shows the node: its collapsed ancestors are expanded (and so refreshed, which
    // may move the stock to another node), from the root down.
    for (int depth = 0; depth < 4 && found != nullptr && found != selected; ++depth) {
        StockTree::Node* collapsed = nullptr;
        for (StockTree::Node* a = found->parent; a != nullptr; a = a->parent) {
            if (!a->expanded) collapsed = a;
        }
        if (collapsed == nullptr) break;
        tree_.Expand(*collapsed);
        Mirror();
        found = tree_.FindForSelection(stock, selected);
    }
    if (found == nullptr || found == selected) return;
    if (QTreeWidgetItem* item = ItemOf(found)) {
        Guard guard(syncing_);
        view_->setCurrentItem(item);
        view_->scrollToItem(item);
    }
}

void StockTreePane::OnExpanded(QTreeWidgetItem* item) {
    if (syncing_) return;
    StockTree::Node* node = NodeOf(item);
    if (node == nullptr) return;
    if (tree_.Expand(*node)) Mirror();
}

void StockTreePane::OnCollapsed(QTreeWidgetItem* item) {
    if (syncing_) return;
    if (StockTree::Node* node = NodeOf(item)) tree_.Collapse(*node);
}

void StockTreePane::ShowStockMenu(const QPoint& pos) {
    const StockTree::Node* node = NodeOf(view_->itemAt(pos));
    Stock* stock = node != nullptr ? tree_.StockOf(*node) : nullptr;
    if (stock == nullptr) return;
    // The menu's commands work on the current stock.
    if (context_.CurrentStock() != stock) context_.MakeCurrent(stock, kChosenStockFlags);
    QMenu menu(this);
    menu.addAction(QStringLiteral("Open in new &window"), this,
                   [this] { emit openInNewWindowRequested(); });
    menu.addAction(QStringLiteral("Stock &Information..."), this,
                   [this] { ShowStockInformation(context_, this); });
    menu.addAction(QStringLiteral("&Delete stock"), this,
                   [this] { context_.Maintenance().DeleteCurrentStock(); });
    menu.addSeparator();
    const bool favourite = stock->IsFavourite();
    menu.addAction(favourite ? QStringLiteral("Remove from &favourites")
                             : QStringLiteral("Add to &favourites"),
                   this, [this, stock] {
                       stock->Flags ^= Stock::kFavouriteFlag;
                       context_.Services().db.MarkModified(*stock);
                       // The "Favourites" branch shows the change.
                       context_.MakeCurrent(
                           stock, kCurrentRebuildTree | kCurrentSelect | kCurrentStockOnly);
                   });
    menu.exec(view_->viewport()->mapToGlobal(pos));
}

void StockTreePane::OnCurrentChanged(QTreeWidgetItem* item) {
    if (syncing_) return;
    const StockTree::Node* node = NodeOf(item);
    if (node == nullptr) return;
    if (Stock* stock = tree_.StockOf(*node)) context_.MakeCurrent(stock, kChosenStockFlags);
}

}  // namespace velmora::gui
