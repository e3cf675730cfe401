#pragma once
// The address of the Profile pane: each market carries a profile address template, expanded
// with fields of the stock being shown.
//
// A template is copied as it is, except for placeholders "{" letter ... "}": the letter picks
// the field ('t' ticker, 'a' alias, 'i' web identifier, anything else nothing). "{t}" stands for
// the whole field; "{t2}" for the single character at position 2 of it (counted from 0).
// Everything up to and including the closing "}" belongs to the placeholder.

#include <optional>
#include <string>
#include <string_view>

#include "database/Categories.h"
#include "database/Stock.h"

namespace velmora {

// The expanded text is cut to 1023 characters.
inline constexpr std::size_t kMaxProfileAddress = 1023;

std::string ExpandProfileAddress(std::string_view addressTemplate, const Stock& stock);

// The stock's market's profile template expanded; empty when the market has none.
std::string ProfileAddressFor(const CategoryTables& categories, const Stock& stock);

// What the pane does when a stock becomes current: it follows the stock while it is visible,
// and an empty address leaves it on its previous page.
class ProfilePane {
  public:
    // Showing the pane navigates to the current stock's address (the browser is created on
    // first show). Returns the address to open, if any.
    std::optional<std::string> Show(const CategoryTables& categories, const Stock* current);
    void Hide() { visible_ = false; }
    bool Visible() const { return visible_; }
    bool BrowserCreated() const { return browserCreated_; }
    // A stock became current: the address to open, if any.
    std::optional<std::string> StockBecameCurrent(const CategoryTables& categories,
                                                  const Stock& stock);
    // The last address navigated to.
    const std::string& Address() const { return address_; }

  private:
    std::optional<std::string> Navigate(const CategoryTables& categories, const Stock& stock);

    bool visible_ = false;
    bool browserCreated_ = false;
    std::string address_;
};

}  // namespace velmora
