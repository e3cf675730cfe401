#pragma once
// The documents of the automation model in the desktop program: the main window's chart
// windows, in the order they were opened. A document's id is kept on its sub-window, so a
// closed window's id never comes back. A document's name is its chart window's own stock, and
// activating a document makes that stock current.

#include <QObject>
#include <QPointer>
#include <map>

#include "automation/AutomationContext.h"
#include "automation/DocumentHost.h"

class QMdiSubWindow;

namespace velmora::gui {

class GuiContext;
class MainWindow;

class DesktopDocumentHost final : public QObject, public DocumentHost {
    Q_OBJECT
  public:
    DesktopDocumentHost(MainWindow& window, GuiContext& context);

    std::vector<DocumentId> Documents() const override;
    std::optional<DocumentId> Active() const override;
    bool Exists(DocumentId id) const override;
    std::string Name(DocumentId id) const override;
    std::optional<DocumentId> Add() override;
    std::optional<DocumentId> Open(Stock& stock) override;
    void Close(DocumentId id) override;
    void CloseAll() override;
    void Activate(DocumentId id) override;
    // Posts the main window's close: it runs once the script has returned to the event loop,
    // with the question about unsaved changes.
    void Quit() override;
    void RefreshAll() override;
    // A current stock that leaves the database gives way to its neighbour; the stock tree is
    // rebuilt once the removal is done.
    void StockRemoving(const Stock& stock) override;

    // The chart window of a document; null when it is closed.
    QWidget* Window(DocumentId id) const;

  private:
    QMdiSubWindow* SubWindow(DocumentId id) const;
    // The open sub-windows in order (those closed during a script are left out).
    QList<QMdiSubWindow*> OpenSubWindows() const;
    DocumentId IdOf(QMdiSubWindow* sub) const;
    // The active document now shows the current stock.
    void RecordActive();

    MainWindow& window_;
    GuiContext& context_;
    mutable DocumentId nextId_ = 1;
    mutable std::map<DocumentId, StockRef> shown_;
};

}  // namespace velmora::gui
