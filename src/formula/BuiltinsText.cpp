// The built-ins with behaviour of their own: the values and texts at the selected bar
// (lastvalue, writeval, writeif, date), the bound stock's names, relative strength against a
// base stock, the market arrays, and the parameters of an optimisation.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/Categories.h"
#include "database/Database.h"
#include "database/Stock.h"
#include "formula/BuiltinHandlers.h"
#include "formula/IndicatorMath.h"
#include "platform/StringFormat.h"

namespace velmora::builtins {

namespace {

// The element of an array at the selected bar; EMPTY when the selected bar lies outside the
// bars (callers never select one, but a stray index must not read outside the array).
float AtSelectedBar(Evaluator& e, const float* array) {
    return e.SelectedBarValid() ? array[e.SelectedBar()] : EMPTY;
}

Value Text(Evaluator& e, std::string_view text) {
    const char* s = e.NewString(text);
    return s != nullptr ? Value::String(s) : Value::None();
}

// The C format of writeval: the format number printed with "%2.1f" gives the width (its whole
// part) and the precision (its first decimal), so 8.3 gives "%8.3f" and 1.2 gives "%1.2f". A
// number that is not finite gives the default 8.3, and the width is held to 1000 characters so
// that a formula cannot ask for a text of unbounded size.
std::string WriteValFormat(float f) {
    char number[64];
    if (!std::isfinite(f)) f = 8.3f;
    f = std::clamp(f, -1000.0f, 1000.0f);
    std::snprintf(number, sizeof number, "%2.1f", static_cast<double>(f));
    // number is "[-]W.P" with W whole digits and one decimal P.
    const char* text = number;
    while (*text == ' ') ++text;
    const bool left = *text == '-';
    if (left) ++text;
    char* dot = nullptr;
    long width = std::strtol(text, &dot, 10);
    const int precision =
        (dot != nullptr && *dot == '.' && dot[1] >= '0' && dot[1] <= '9') ? dot[1] - '0' : 3;
    width = std::min(width, 1000L);
    char format[32];
    std::snprintf(format, sizeof format, "%%%s%ld.%df", left ? "-" : "", width, precision);
    return format;
}

template <MarketField kField>
Value MarketHandler(Evaluator& e) {
    return Value::Array(e.MarketArray(kField));
}

// The stock named as relative-strength base by one of the bound stock's categories.
Stock* CategoryBase(Database& db, const FixedText<16>& base) {
    if (base.View().empty()) return nullptr;
    return db.FindStock(base.View());
}

}  // namespace

Value LastValue(Evaluator& e, int, const Value* a) {
    const float x = AtSelectedBar(e, a[0].array);
    return Value::Number(x == EMPTY ? 0.0f : x);
}

Value WriteIf(Evaluator& e, int, const Value* a) {
    // The texts themselves, not copies; an EMPTY condition chooses the false text.
    return IsTrue(AtSelectedBar(e, a[0].array)) ? a[1] : a[2];
}

Value WriteVal(Evaluator& e, int, const Value* a) {
    const float x = AtSelectedBar(e, a[0].array);
    if (x == EMPTY) return Text(e, "{EMPTY}");
    const std::string format = WriteValFormat(a[1].number);
    const auto print = [&format](double v) {
        const int length = std::snprintf(nullptr, 0, format.c_str(), v);
        if (length < 0) return std::string();
        std::string out(static_cast<std::size_t>(length) + 1, '\0');
        std::snprintf(out.data(), out.size(), format.c_str(), v);
        out.resize(static_cast<std::size_t>(length));
        return out;
    };
    const std::string out = print(static_cast<double>(x));
    // A tiny negative value shows as zero, without the minus sign ("0.000", not "-0.000").
    return Text(e, x < 0 && PrintsAsZero(out) ? print(0.0) : out);
}

Value Name(Evaluator& e, int, const Value*) {
    return Text(e, e.BoundStock() != nullptr ? e.BoundStock()->Ticker.View() : std::string_view());
}

Value FullName(Evaluator& e, int, const Value*) {
    return Text(e,
                e.BoundStock() != nullptr ? e.BoundStock()->FullName.View() : std::string_view());
}

Value Date(Evaluator& e, int, const Value*) {
    const Stock* stock = e.BoundStock();
    if (stock == nullptr || !e.SelectedBarValid() ||
        static_cast<std::size_t>(e.SelectedBar()) >= stock->Quotations.size()) {
        return Text(e, "");
    }
    const PackedDate d = stock->Quotations[static_cast<std::size_t>(e.SelectedBar())].Date;
    char text[12];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", DateYear(d) % 100, DateMonth(d), DateDay(d));
    return Text(e, text);
}

Value RelStrength(Evaluator& e, int, const Value* a) {
    Database* db = e.GetDatabase();
    const Stock* stock = e.BoundStock();
    Stock* base = nullptr;
    if (db != nullptr && stock != nullptr) {
        base = db->FindStock(a[0].text);
        // No stock of that ticker: the base named by the stock's group, then its industry, then
        // its market, and at last the stock "WIG".
        const CategoryTables& categories = db->Categories();
        const int group = GetGroupID(*stock);
        if (base == nullptr && group >= 0 && group < kGroupCount) {
            base = CategoryBase(*db, categories.Groups[static_cast<std::size_t>(group)].RSBase);
        }
        if (base == nullptr && stock->IndustryID >= 0 && stock->IndustryID < kIndustryCount) {
            base = CategoryBase(
                *db, categories.Industries[static_cast<std::size_t>(stock->IndustryID)].RSBase);
        }
        const int market = GetMarketID(*stock);
        if (base == nullptr && market >= 0 && market < kMarketCount) {
            base = CategoryBase(*db, categories.Markets[static_cast<std::size_t>(market)].RSBase);
        }
        if (base == nullptr) base = db->FindStock("WIG");
    }
    const Stock* const baseStock = e.AsBound(base);
    if (baseStock == nullptr) {
        e.ReportFormulaError("Relative strength base stock not found");
        return Value::None();
    }
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    const int n = e.BarCount();
    std::span<const Quotation> quotes = stock->Quotations;
    quotes = quotes.first(std::min<std::size_t>(quotes.size(), static_cast<std::size_t>(n)));
    indicators::RelativeStrength(quotes, baseStock->Quotations, out);
    std::fill(out + quotes.size(), out + n, EMPTY);
    return Value::Array(out);
}

Value Optimize(Evaluator& e, int, const Value* a) {
    const auto found = e.Parameters().find(std::string_view(a[0].text));
    return Value::Number(found != e.Parameters().end() ? found->second : a[1].number);
}

Value AdvIssues(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::AdvIssues>(e);
}
Value DecIssues(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::DecIssues>(e);
}
Value UncIssues(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::UncIssues>(e);
}
Value AdvVolume(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::AdvVolume>(e);
}
Value DecVolume(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::DecVolume>(e);
}
Value UncVolume(Evaluator& e, int, const Value*) {
    return MarketHandler<MarketField::UncVolume>(e);
}

}  // namespace velmora::builtins
