#include "app/ProfileAddress.h"

namespace velmora {

namespace {

std::optional<std::string_view> FieldFor(char letter, const Stock& stock) {
    switch (letter) {
        case 't':
            return stock.Ticker.View();
        case 'a':
            return stock.Alias.View();
        case 'i':
            return stock.WebID.View();
        default:
            return std::nullopt;
    }
}

}  // namespace

std::string ExpandProfileAddress(std::string_view addressTemplate, const Stock& stock) {
    std::string out;
    auto append = [&out](std::string_view text) {
        if (out.size() >= kMaxProfileAddress) return;
        out.append(text.substr(0, kMaxProfileAddress - out.size()));
    };
    std::size_t i = 0;
    const std::size_t n = addressTemplate.size();
    while (i < n) {
        const char c = addressTemplate[i];
        if (c != '{') {
            append(addressTemplate.substr(i, 1));
            ++i;
            continue;
        }
        ++i;  // past '{'
        if (i >= n) break;
        const auto field = FieldFor(addressTemplate[i], stock);
        ++i;  // past the letter
        if (i < n && addressTemplate[i] == '}') {
            if (field) append(*field);
        } else {
            // The digits that follow give the position of the one character wanted.
            std::size_t pos = 0;
            bool overflow = false;
            while (i < n && addressTemplate[i] >= '0' && addressTemplate[i] <= '9') {
                if (pos > 100000) overflow = true;
                pos = pos * 10 + static_cast<std::size_t>(addressTemplate[i] - '0');
                if (pos > 100000) overflow = true;
                ++i;
            }
            if (field && !overflow && pos < field->size()) append(field->substr(pos, 1));
        }
        // Skip the rest of the placeholder with its closing brace.
        while (i < n && addressTemplate[i] != '}') ++i;
        if (i < n) ++i;
    }
    return out;
}

std::string ProfileAddressFor(const CategoryTables& categories, const Stock& stock) {
    const int market = GetMarketID(stock);
    if (market < 0 || market >= kMarketCount) return {};
    return ExpandProfileAddress(categories.Markets[market].ProfileTemplate.View(), stock);
}

std::optional<std::string> ProfilePane::Navigate(const CategoryTables& categories,
                                                 const Stock& stock) {
    std::string address = ProfileAddressFor(categories, stock);
    if (address.empty()) return std::nullopt;
    address_ = address;
    return address;
}

std::optional<std::string> ProfilePane::Show(const CategoryTables& categories,
                                             const Stock* current) {
    visible_ = true;
    browserCreated_ = true;
    if (current == nullptr) return std::nullopt;
    return Navigate(categories, *current);
}

std::optional<std::string> ProfilePane::StockBecameCurrent(const CategoryTables& categories,
                                                           const Stock& stock) {
    if (!visible_) return std::nullopt;
    return Navigate(categories, stock);
}

}  // namespace velmora
