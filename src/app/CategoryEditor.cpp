#include "app/CategoryEditor.h"

#include <algorithm>

namespace velmora {

int CategoryCount(CategoryKind kind) {
    switch (kind) {
        case CategoryKind::Markets:
            return kMarketCount;
        case CategoryKind::Groups:
            return kGroupCount;
        case CategoryKind::Sectors:
            return kSectorCount;
        case CategoryKind::Industries:
            return kIndustryCount;
    }
    return 0;
}

std::string CategoryName(const CategoryTables& t, CategoryKind kind, int index) {
    if (index < 0 || index >= CategoryCount(kind)) return {};
    switch (kind) {
        case CategoryKind::Markets:
            return t.Markets[index].Name.Str();
        case CategoryKind::Groups:
            return t.Groups[index].Name.Str();
        case CategoryKind::Sectors:
            return t.Sectors[index].Name.Str();
        case CategoryKind::Industries:
            return t.Industries[index].Name.Str();
    }
    return {};
}

bool SetCategoryName(CategoryTables& t, CategoryKind kind, int index, std::string_view name) {
    if (index < 0 || index >= CategoryCount(kind)) return false;
    switch (kind) {
        case CategoryKind::Markets:
            t.Markets[index].Name.Set(name);
            break;
        case CategoryKind::Groups:
            t.Groups[index].Name.Set(name);
            break;
        case CategoryKind::Sectors:
            t.Sectors[index].Name.Set(name);
            break;
        case CategoryKind::Industries:
            t.Industries[index].Name.Set(name);
            break;
    }
    return true;
}

// --- Categories dialog ----------------------------------------------------------------------

CategoryEditor::CategoryEditor(Database& db) : db_(db) {
    RefillSectorChoices();
}

const char* CategoryEditor::TabTitle(CategoryKind kind) {
    switch (kind) {
        case CategoryKind::Markets:
            return "Markets";
        case CategoryKind::Groups:
            return "Groups";
        case CategoryKind::Sectors:
            return "Sectors";
        case CategoryKind::Industries:
            return "Industries";
    }
    return "";
}

void CategoryEditor::Open() {
    tab_ = CategoryKind::Markets;
    RefillSectorChoices();
    FillNames();
    selected_ = -1;
    SelectRow(0);
}

void CategoryEditor::FillNames() {
    names_.clear();
    const int n = CategoryCount(tab_);
    names_.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) names_.push_back(CategoryName(db_.Categories(), tab_, i));
}

void CategoryEditor::EditName(int row, std::string name) {
    if (row < 0 || row >= static_cast<int>(names_.size())) return;
    names_[row] = std::move(name);
}

void CategoryEditor::StoreNames() {
    for (int i = 0; i < static_cast<int>(names_.size()); ++i) {
        SetCategoryName(db_.Categories(), tab_, i, names_[i]);
        // Show what the field kept.
        names_[i] = CategoryName(db_.Categories(), tab_, i);
    }
    if (tab_ == CategoryKind::Sectors) RefillSectorChoices();
}

void CategoryEditor::RefillSectorChoices() {
    sectorChoices_.clear();
    for (int i = 0; i < kSectorCount; ++i) {
        sectorChoices_.push_back(db_.Categories().Sectors[i].Name.Str());
    }
}

void CategoryEditor::LoadControls() {
    controls_ = CategorySettings{};
    if (selected_ < 0) return;
    CategoryTables& t = db_.Categories();
    switch (tab_) {
        case CategoryKind::Markets: {
            const Market& m = t.Markets[selected_];
            controls_.RSBase = m.RSBase.Str();
            controls_.BetaBase = m.BetaBase.Str();
            controls_.CompositesBase = m.CompositesBase.Str();
            controls_.ProfileTemplate = m.ProfileTemplate.Str();
            controls_.NewsTemplate = m.NewsTemplate.Str();
            break;
        }
        case CategoryKind::Groups:
            controls_.RSBase = t.Groups[selected_].RSBase.Str();
            break;
        case CategoryKind::Sectors:
            break;
        case CategoryKind::Industries:
            controls_.RSBase = t.Industries[selected_].RSBase.Str();
            controls_.SectorID = t.Industries[selected_].SectorID;
            break;
    }
}

void CategoryEditor::StoreControls() {
    if (selected_ < 0 || selected_ >= CategoryCount(tab_)) return;
    CategoryTables& t = db_.Categories();
    // FixedText keeps 15 bytes of a ticker and 127 of a template.
    switch (tab_) {
        case CategoryKind::Markets: {
            Market& m = t.Markets[selected_];
            m.RSBase.Set(controls_.RSBase);
            m.BetaBase.Set(controls_.BetaBase);
            m.CompositesBase.Set(controls_.CompositesBase);
            m.ProfileTemplate.Set(controls_.ProfileTemplate);
            m.NewsTemplate.Set(controls_.NewsTemplate);
            break;
        }
        case CategoryKind::Groups:
            t.Groups[selected_].RSBase.Set(controls_.RSBase);
            break;
        case CategoryKind::Sectors:
            break;
        case CategoryKind::Industries:
            t.Industries[selected_].RSBase.Set(controls_.RSBase);
            // The sector box offers only the 32 sectors.
            if (controls_.SectorID >= 0 && controls_.SectorID < kSectorCount) {
                t.Industries[selected_].SectorID = controls_.SectorID;
            }
            break;
    }
}

void CategoryEditor::SelectRow(int row) {
    if (row == selected_) return;
    StoreControls();
    selected_ = row >= 0 && row < static_cast<int>(names_.size()) ? row : -1;
    LoadControls();
}

void CategoryEditor::SetTab(CategoryKind kind) {
    StoreControls();
    StoreNames();
    tab_ = kind;
    FillNames();
    selected_ = -1;
    SelectRow(0);
}

std::vector<std::string> CategoryEditor::BaseTickerChoices() const {
    std::vector<std::string> tickers;
    for (const auto& s : db_.Stocks()) {
        if (s->IsIndex()) tickers.push_back(s->Ticker.Str());
    }
    return tickers;
}

void CategoryEditor::Ok() {
    StoreControls();
    StoreNames();
    db_.SetWorkspaceDirty(true);
}

// --- Assignments organizer -------------------------------------------------------------------

const char* AssignmentsOrganizer::ButtonTooltip(Button button) {
    switch (button) {
        case kCopySelectedRight:
            return "Copy selected items from left to right";
        case kCopyAllRight:
            return "Copy all items from left to right";
        case kCopySelectedLeft:
            return "Copy selected items from right to left";
        case kCopyAllLeft:
            return "Copy all items from right to left";
        case kExchangeSelected:
            return "Exchange selected items";
        case kExchangeAll:
            return "Exchange all items";
        case kButtonCount:
            break;
    }
    return "";
}

int AssignmentsOrganizer::CategoryOf(const Stock& stock, CategoryKind kind) {
    switch (kind) {
        case CategoryKind::Markets:
            return GetMarketID(stock);
        case CategoryKind::Groups:
            return GetGroupID(stock);
        case CategoryKind::Industries:
            return stock.IndustryID;
        case CategoryKind::Sectors:
            break;
    }
    return -1;
}

void AssignmentsOrganizer::Assign(Stock& stock, CategoryKind kind, int category) {
    switch (kind) {
        case CategoryKind::Markets:
            SetMarketID(stock, category);
            break;
        case CategoryKind::Groups:
            SetGroupID(stock, category);
            break;
        case CategoryKind::Industries:
            stock.IndustryID = category;
            break;
        case CategoryKind::Sectors:
            break;
    }
}

bool AssignmentsOrganizer::SetKind(CategoryKind kind) {
    if (kind == CategoryKind::Sectors) return false;
    kind_ = kind;
    Refill();
    return true;
}

void AssignmentsOrganizer::Choose(Side side, std::optional<int> category) {
    if (category && (*category < 0 || *category >= CategoryCount(kind_))) category.reset();
    chosen_[Index(side)] = category;
    Refill();
}

void AssignmentsOrganizer::Refill() {
    for (int i = 0; i < 2; ++i) {
        lists_[i].clear();
        stocks_[i].clear();
        selection_[i].clear();
        if (!chosen_[i]) continue;
        for (const auto& s : db_.Stocks()) {
            if (CategoryOf(*s, kind_) != *chosen_[i]) continue;
            lists_[i].push_back(s->Ticker.Str());
            stocks_[i].push_back(s.get());
        }
    }
}

void AssignmentsOrganizer::SetSelection(Side side, std::set<int> rows) {
    const int n = static_cast<int>(lists_[Index(side)].size());
    std::erase_if(rows, [n](int r) { return r < 0 || r >= n; });
    selection_[Index(side)] = std::move(rows);
}

bool AssignmentsOrganizer::Enabled(Button button) const {
    const bool leftAny = !lists_[0].empty(), rightAny = !lists_[1].empty();
    const bool leftSel = !selection_[0].empty(), rightSel = !selection_[1].empty();
    // A copy needs a category to copy into.
    const bool bothChosen = chosen_[0] && chosen_[1];
    switch (button) {
        case kCopySelectedRight:
            return bothChosen && leftSel;
        case kCopyAllRight:
            return bothChosen && leftAny;
        case kCopySelectedLeft:
            return bothChosen && rightSel;
        case kCopyAllLeft:
            return bothChosen && rightAny;
        case kExchangeSelected:
            return bothChosen && leftSel && rightSel;
        case kExchangeAll:
            return bothChosen && leftAny && rightAny;
        case kButtonCount:
            break;
    }
    return false;
}

std::vector<Stock*> AssignmentsOrganizer::Take(Side side, bool selectedOnly) {
    const int i = Index(side);
    if (!selectedOnly) return stocks_[i];
    std::vector<Stock*> taken;
    for (int row : selection_[i]) taken.push_back(stocks_[i][row]);
    return taken;
}

void AssignmentsOrganizer::Move(const std::vector<Stock*>& stocks, Side to) {
    const int category = *chosen_[Index(to)];
    for (Stock* s : stocks) {
        Assign(*s, kind_, category);
        db_.MarkModified(*s);
    }
}

bool AssignmentsOrganizer::CopySelected(Side from) {
    if (!Enabled(from == Side::Left ? kCopySelectedRight : kCopySelectedLeft)) return false;
    Move(Take(from, true), from == Side::Left ? Side::Right : Side::Left);
    Refill();
    return true;
}

bool AssignmentsOrganizer::CopyAll(Side from) {
    if (!Enabled(from == Side::Left ? kCopyAllRight : kCopyAllLeft)) return false;
    Move(Take(from, false), from == Side::Left ? Side::Right : Side::Left);
    Refill();
    return true;
}

bool AssignmentsOrganizer::ExchangeSelected() {
    if (!Enabled(kExchangeSelected)) return false;
    // Both sets are taken before either moves, so the two categories swap them.
    const auto left = Take(Side::Left, true), right = Take(Side::Right, true);
    Move(left, Side::Right);
    Move(right, Side::Left);
    Refill();
    return true;
}

bool AssignmentsOrganizer::ExchangeAll() {
    if (!Enabled(kExchangeAll)) return false;
    const auto left = Take(Side::Left, false), right = Take(Side::Right, false);
    Move(left, Side::Right);
    Move(right, Side::Left);
    Refill();
    return true;
}

bool AssignmentsOrganizer::Press(Button button) {
    switch (button) {
        case kCopySelectedRight:
            return CopySelected(Side::Left);
        case kCopyAllRight:
            return CopyAll(Side::Left);
        case kCopySelectedLeft:
            return CopySelected(Side::Right);
        case kCopyAllLeft:
            return CopyAll(Side::Right);
        case kExchangeSelected:
            return ExchangeSelected();
        case kExchangeAll:
            return ExchangeAll();
        case kButtonCount:
            break;
    }
    return false;
}

void AssignmentsOrganizer::Close() {
    if (closed_) closed_();
}

}  // namespace velmora
