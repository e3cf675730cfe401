#include "gui/DesktopDocumentHost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

#include "app/StockMaintenance.h"
#include "gui/GuiContext.h"
#include "gui/MainWindow.h"
#include "gui/chart/ChartWindow.h"

namespace velmora::gui {

namespace {

constexpr char kIdProperty[] = "velmoraDocumentId";
// Set on a sub-window closed through the automation model: its deletion comes later, but a
// script that closed it must no longer count it.
constexpr char kClosedProperty[] = "velmoraDocumentClosed";
constexpr int kFullRefresh = 7;

}  // namespace

DesktopDocumentHost::DesktopDocumentHost(MainWindow& window, GuiContext& context)
    : QObject(&window), window_(window), context_(context) {
    connect(window_.ChartArea(), &QMdiArea::subWindowActivated, this,
            &DesktopDocumentHost::RecordActive);
    connect(&context_, &GuiContext::chartsRefreshRequested, this,
            &DesktopDocumentHost::RecordActive);
}

QList<QMdiSubWindow*> DesktopDocumentHost::OpenSubWindows() const {
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* sub : window_.ChartArea()->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->property(kClosedProperty).toBool() && sub->widget() != nullptr) open << sub;
    }
    return open;
}

DocumentId DesktopDocumentHost::IdOf(QMdiSubWindow* sub) const {
    const QVariant id = sub->property(kIdProperty);
    if (id.isValid()) return id.toULongLong();
    // Windows opened by the user get their id when the model first sees them, in the order
    // they were opened.
    const DocumentId fresh = nextId_++;
    sub->setProperty(kIdProperty, QVariant::fromValue<qulonglong>(fresh));
    return fresh;
}

QMdiSubWindow* DesktopDocumentHost::SubWindow(DocumentId id) const {
    for (QMdiSubWindow* sub : OpenSubWindows()) {
        if (IdOf(sub) == id) return sub;
    }
    return nullptr;
}

QWidget* DesktopDocumentHost::Window(DocumentId id) const {
    QMdiSubWindow* sub = SubWindow(id);
    return sub != nullptr ? sub->widget() : nullptr;
}

std::vector<DocumentId> DesktopDocumentHost::Documents() const {
    std::vector<DocumentId> ids;
    for (QMdiSubWindow* sub : OpenSubWindows()) ids.push_back(IdOf(sub));
    return ids;
}

std::optional<DocumentId> DesktopDocumentHost::Active() const {
    const QList<QMdiSubWindow*> open = OpenSubWindows();
    if (open.isEmpty()) return std::nullopt;
    const QWidget* active = window_.ActiveChartWindow();
    for (QMdiSubWindow* sub : open) {
        if (sub->widget() == active) return IdOf(sub);
    }
    return IdOf(open.back());
}

bool DesktopDocumentHost::Exists(DocumentId id) const {
    return SubWindow(id) != nullptr;
}

std::string DesktopDocumentHost::Name(DocumentId id) const {
    QWidget* window = Window(id);
    if (window == nullptr) return {};
    const Stock* stock = context_.CurrentStock();
    if (auto* chart = qobject_cast<ChartWindow*>(window)) {
        stock = chart->OwnStock();
    } else if (Active() != id) {
        const auto it = shown_.find(id);
        if (it != shown_.end()) stock = it->second.Get();
    }
    return stock != nullptr ? std::string(stock->TickerText()) : std::string();
}

void DesktopDocumentHost::RecordActive() {
    const auto id = Active();
    if (!id) return;
    shown_.insert_or_assign(*id, StockRef(context_.Services().db, context_.CurrentStock()));
}

std::optional<DocumentId> DesktopDocumentHost::Add() {
    QWidget* chart = window_.OpenChartWindow();
    if (chart == nullptr) return std::nullopt;
    // As the "new window" command does: the windows side by side.
    window_.TileSideBySide();
    for (QMdiSubWindow* sub : OpenSubWindows()) {
        if (sub->widget() == chart) {
            const DocumentId id = IdOf(sub);
            shown_.insert_or_assign(id, StockRef(context_.Services().db, context_.CurrentStock()));
            return id;
        }
    }
    return std::nullopt;
}

std::optional<DocumentId> DesktopDocumentHost::Open(Stock& stock) {
    QWidget* chart = window_.OpenChartWindow();
    if (chart == nullptr) return std::nullopt;
    std::optional<DocumentId> id;
    for (QMdiSubWindow* sub : OpenSubWindows()) {
        if (sub->widget() == chart) id = IdOf(sub);
    }
    if (!id) return std::nullopt;
    shown_.insert_or_assign(*id, StockRef(context_.Services().db, &stock));
    // The stock becomes current in the new (active) window; the others keep theirs.
    context_.MakeCurrent(&stock, kChosenStockFlags);
    return id;
}

void DesktopDocumentHost::Close(DocumentId id) {
    QMdiSubWindow* sub = SubWindow(id);
    if (sub == nullptr) return;
    sub->setProperty(kClosedProperty, true);
    if (!sub->close()) {
        sub->setProperty(kClosedProperty, false);
        return;
    }
    shown_.erase(id);
}

void DesktopDocumentHost::CloseAll() {
    for (DocumentId id : Documents()) Close(id);
}

void DesktopDocumentHost::Activate(DocumentId id) {
    QMdiSubWindow* sub = SubWindow(id);
    if (sub == nullptr) return;
    window_.ChartArea()->setActiveSubWindow(sub);
    // The window's stock becomes current.
    context_.SetActiveChart(sub->widget());
}

void DesktopDocumentHost::Quit() {
    QMetaObject::invokeMethod(&window_, "close", Qt::QueuedConnection);
}

void DesktopDocumentHost::RefreshAll() {
    context_.RefreshCharts(kFullRefresh);
}

void DesktopDocumentHost::StockRemoving(const Stock& stock) {
    Database& db = context_.Services().db;
    const int position = db.PositionOf(&stock);
    Stock* next = nullptr;
    if (position + 1 < db.StockCount()) {
        next = db.StockAt(position + 1);
    } else if (position > 0) {
        next = db.StockAt(position - 1);
    }
    if (&stock == context_.CurrentStock()) context_.MakeCurrent(next, kFullRefresh);
    // Windows in the background showing it show the neighbour.
    for (QMdiSubWindow* sub : OpenSubWindows()) {
        if (auto* chart = qobject_cast<ChartWindow*>(sub->widget()))
            chart->StockRemoving(&stock, next);
    }
    // The tree's nodes refer to the stock: they are rebuilt once it has left the database.
    QMetaObject::invokeMethod(
        &context_, [context = &context_] { context->RebuildStockTree(true); },
        Qt::QueuedConnection);
}

}  // namespace velmora::gui
