#pragma once
// The "Stock Tree" docking pane: a tab strip with the one tab "Stocks" over a tree widget that
// mirrors the StockTree. It refreshes when the context asks for a rebuild, selects the stock
// made current from elsewhere, and makes the stock of a node the user selects current.

#include <QDockWidget>

#include "app/StockTree.h"
#include "gui/GuiContext.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::gui {

class StockTreePane : public QDockWidget {
    Q_OBJECT
  public:
    explicit StockTreePane(GuiContext& context, QWidget* parent = nullptr);

    StockTree& Model() { return tree_; }
    QTreeWidget* TreeWidget() const { return view_; }
    // The tree item of a model node (null when the node is not shown).
    QTreeWidgetItem* ItemOf(const StockTree::Node* node) const;
    StockTree::Node* NodeOf(const QTreeWidgetItem* item) const;

  public slots:
    void Refresh(bool rebuild);
    void SelectStock(const velmora::Stock* stock);

  signals:
    // "Open in new window" of the right-click menu (the stock is current by then).
    void openInNewWindowRequested();

  private:
    void Mirror();
    void MirrorChildren(StockTree::Node& node, QTreeWidgetItem* item);
    void Fill(QTreeWidgetItem* item, StockTree::Node& node);
    void OnExpanded(QTreeWidgetItem* item);
    void OnCollapsed(QTreeWidgetItem* item);
    void OnCurrentChanged(QTreeWidgetItem* item);
    // The right-click menu of a stock: open in a new window, stock information, delete, and
    // add to (or remove from) the favourites.
    void ShowStockMenu(const QPoint& pos);

    GuiContext& context_;
    StockTree tree_;
    QTreeWidget* view_ = nullptr;
    bool syncing_ = false;
};

}  // namespace velmora::gui
