#pragma once
// What the automation objects ask of the program's windows: the open chart-window documents,
// in the document list's order, and the main window's close and refresh requests. The desktop
// program implements it over its chart windows; a host without windows (the command-line
// tool) uses NullDocumentHost.
//
// A document is known by an id the host gives it; the id of a closed document is never reused,
// so a wrapper of a closed document finds nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/Stock.h"

namespace velmora {

using DocumentId = std::uint64_t;

class DocumentHost {
  public:
    virtual ~DocumentHost() = default;

    // The open documents in order.
    virtual std::vector<DocumentId> Documents() const = 0;
    // The document of the main window's active view; none when no chart window is open.
    virtual std::optional<DocumentId> Active() const = 0;
    virtual bool Exists(DocumentId id) const = 0;
    // The ticker of the stock the document shows, or empty.
    virtual std::string Name(DocumentId id) const = 0;

    // A new chart window, as the "new window" command opens it; none when it cannot be opened.
    virtual std::optional<DocumentId> Add() = 0;
    // A new chart window on the stock, which becomes current in the main window; the window is
    // redrawn.
    virtual std::optional<DocumentId> Open(Stock& stock) = 0;
    virtual void Close(DocumentId id) = 0;
    virtual void CloseAll() = 0;
    // Makes the document's first view the main window's active view.
    virtual void Activate(DocumentId id) = 0;

    // Posts a close request to the main window (the normal close path with its save question).
    virtual void Quit() = 0;
    // Refreshes every chart window for the current stock.
    virtual void RefreshAll() = 0;
    // Told before a stock leaves the database, so that windows showing it can let go of it.
    virtual void StockRemoving(const Stock& /*stock*/) {}
};

// No windows: no documents, nothing opens; Quit and RefreshAll are recorded only.
class NullDocumentHost final : public DocumentHost {
  public:
    std::vector<DocumentId> Documents() const override { return {}; }
    std::optional<DocumentId> Active() const override { return std::nullopt; }
    bool Exists(DocumentId) const override { return false; }
    std::string Name(DocumentId) const override { return {}; }
    std::optional<DocumentId> Add() override { return std::nullopt; }
    std::optional<DocumentId> Open(Stock&) override { return std::nullopt; }
    void Close(DocumentId) override {}
    void CloseAll() override {}
    void Activate(DocumentId) override {}
    void Quit() override { quitRequested = true; }
    void RefreshAll() override { ++refreshRequests; }

    bool quitRequested = false;
    int refreshRequests = 0;
};

}  // namespace velmora
