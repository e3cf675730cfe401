#include "formula/Evaluator.h"

#include <algorithm>
#include <cstring>

#include "database/Categories.h"
#include "database/Database.h"
#include "database/Stock.h"
#include "formula/FormulaEngine.h"
#include "formula/Kernels.h"
#include "formula/Parser.h"
#include "formula/Scanner.h"
#include "formula/Vocabulary.h"

namespace velmora {

namespace {

constexpr std::size_t kMaxReport = FormulaEngine::kMaxReport;

// Line and column (from 1; the column in bytes) of a byte offset of the text.
void LineAndColumn(std::string_view text, std::size_t offset, int& line, int& column) {
    const std::string_view before = text.substr(0, offset);
    const std::size_t lineStart = before.rfind('\n');
    line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    column =
        1 + static_cast<int>(lineStart == std::string_view::npos ? offset : offset - lineStart - 1);
}

}  // namespace

// --- a run ---------------------------------------------------------------------------------

std::uint64_t Evaluator::BeginRun(const Stock& stock, const Stock* original) {
    EndRun();
    stock_ = &stock;
    original_ = original;
    barCount_ = static_cast<int>(stock.Quotations.size());
    // At least one element, so that an array is never a null pointer, even without bars.
    const std::size_t size = std::max<std::size_t>(static_cast<std::size_t>(barCount_), 1);
    for (auto& a : prices_) a.assign(size, 0.0f);
    for (int i = 0; i < barCount_; ++i) {
        const Quotation& q = stock.Quotations[static_cast<std::size_t>(i)];
        prices_[0][i] = q.Close;
        prices_[1][i] = q.Open;
        prices_[2][i] = q.High;
        prices_[3][i] = q.Low;
        prices_[4][i] = (q.Close + q.High + q.Low) / 3.0f;
        prices_[5][i] = static_cast<float>(q.Volume);
        prices_[6][i] = static_cast<float>(q.OpenInt);
    }
    marketBuilt_ = false;
    RegisterSymbols();
    selectedBar_ = barCount_ - 1;
    activeRun_ = ++runCount_;
    return activeRun_;
}

void Evaluator::RegisterSymbols() {
    symbols_.Clear();
    for (const MathFunction& f : MathFunctions()) {
        symbols_.AddSymbol(f.name, SymbolKind::MathFunc)->math = f.routine;
    }
    for (const BuiltinEntry& e : BuiltinTable()) {
        symbols_.AddSymbol(e.name, SymbolKind::Func)->builtin = &e;
    }
    for (const auto* names : {&kPriceArrayNames, &kPriceArrayShortNames}) {
        for (std::size_t i = 0; i < names->size(); ++i) {
            Symbol* s = symbols_.AddSymbol((*names)[i], SymbolKind::Ident);
            s->state = SymbolState::PriceArray;
            s->value = Value::Array(prices_[i].data());
        }
    }
}

void Evaluator::SetSelectedBar(int index) {
    selectedBar_ = (index == -1 || index == barCount_) ? barCount_ - 1 : index;
}

void Evaluator::Execute(std::string_view text) {
    Scanner scanner(text);
    scanner_ = &scanner;
    mark_ = {};
    ParseFormula(*this, scanner);
    EndStatement();
    scanner_ = nullptr;
    // No argument list outlives a parse.
    freeArgLists_.clear();
    for (ArgList& list : argLists_) {
        list.values.clear();
        freeArgLists_.push_back(&list);
    }
}

const float* Evaluator::GetArray(std::string_view name) {
    const Symbol* s = symbols_.FindSymbol(name);
    if (s == nullptr || s->kind != SymbolKind::Ident) return nullptr;
    if (s->value.IsArray()) return s->value.array;
    if (s->value.IsNumber()) return Broadcast(s->value.number);
    return nullptr;
}

const char* Evaluator::GetString(std::string_view name) {
    const Symbol* s = symbols_.FindSymbol(name);
    if (s == nullptr || s->kind != SymbolKind::Ident || !s->value.IsString()) return nullptr;
    return s->value.text;
}

float Evaluator::GetNumber(std::string_view name) {
    const Symbol* s = symbols_.FindSymbol(name);
    if (s == nullptr || s->kind != SymbolKind::Ident || !s->value.IsNumber()) return 0.0f;
    return s->value.number;
}

void Evaluator::EndRun() {
    activeRun_ = 0;
    stock_ = nullptr;
    original_ = nullptr;
    barCount_ = 0;
    symbols_.Clear();
    // The price arrays keep their capacity for the next run.
    for (auto& a : prices_) a.clear();
    for (auto& a : market_) a.clear();
    marketBuilt_ = false;
    pool_.FreeAll();
    unclaimed_.clear();
    std::string().swap(output_);
    argLists_.clear();
    freeArgLists_.clear();
}

std::vector<std::string> Evaluator::AssignedVariables() const {
    std::vector<std::string> names;
    for (const Symbol& s : symbols_.Symbols()) {
        if (s.kind == SymbolKind::Ident && s.state == SymbolState::Assigned)
            names.push_back(s.name);
    }
    return names;
}

// --- error reports ---------------------------------------------------------------------------

void Evaluator::ReportFormulaError(std::string_view message) {
    std::string_view text = scanner_ ? scanner_->Text() : std::string_view();
    const std::size_t pos = scanner_ ? std::min(scanner_->Position(), text.size()) : 0;
    // The current line up to the scan position, with the line break before it. Only the last
    // kMaxReport characters can appear in the report, so the search for the line break looks
    // no further back (a text of one long line with many errors stays linear).
    const std::size_t window = pos > kMaxReport ? pos - kMaxReport : 0;
    std::size_t start = window;
    if (pos > window) {
        const std::size_t lineBreak = text.substr(window, pos - window).rfind('\n');
        if (lineBreak != std::string_view::npos) start = window + lineBreak;
    }
    std::string_view piece = text.substr(start, pos - start);
    // piece, "\n", piece.size() - 1 spaces, "^\n\n", message: a line too long for the report
    // loses its beginning, so that the caret and the message stay.
    const std::size_t fixed = 4 + message.size();
    if (2 * piece.size() + fixed > kMaxReport + 1) {
        const std::size_t room = fixed < kMaxReport ? (kMaxReport + 1 - fixed) / 2 : 0;
        piece = piece.substr(piece.size() - std::min(room, piece.size()));
        // Do not start inside a UTF-8 sequence.
        while (!piece.empty() && (static_cast<unsigned char>(piece.front()) & 0xC0) == 0x80) {
            piece.remove_prefix(1);
        }
    }
    std::string report;
    report.reserve(2 * piece.size() + fixed);
    report += piece;
    report += '\n';
    report.append(piece.empty() ? 0 : piece.size() - 1, ' ');
    report += "^\n\n";
    report += message;
    if (report.size() > kMaxReport) report.resize(kMaxReport);
    AddDiagnostic(text, message);
    ShowReport(report);
}

void Evaluator::ShowReport(std::string_view report) {
    errorFlag_ = true;
    errors_.ShowFormulaError(report);
}

void Evaluator::AddDiagnostic(std::string_view text, std::string_view message) {
    if (diagnostics_.size() >= FormulaEngine::kMaxDiagnostics) return;
    FormulaDiagnostic d;
    d.begin = std::min(mark_.begin, text.size());
    d.end = std::clamp(mark_.end, d.begin, text.size());
    LineAndColumn(text, d.begin, d.line, d.column);
    LineAndColumn(text, d.end, d.endLine, d.endColumn);
    while (!message.empty() && message.back() == '\n') message.remove_suffix(1);
    d.message.assign(message);
    diagnostics_.push_back(std::move(d));
}

void Evaluator::KeepDiagnostics(std::span<const FormulaDiagnostic> diagnostics) {
    const std::size_t room = FormulaEngine::kMaxDiagnostics - diagnostics_.size();
    diagnostics = diagnostics.first(std::min(room, diagnostics.size()));
    diagnostics_.insert(diagnostics_.end(), diagnostics.begin(), diagnostics.end());
}

void Evaluator::ReportOutOfMemory() {
    ReportFormulaError("Out of memory\n");
}

// --- memory ----------------------------------------------------------------------------------

float* Evaluator::NewArray() {
    const std::size_t n = std::max<std::size_t>(static_cast<std::size_t>(barCount_), 1);
    void* p = pool_.Allocate(n * sizeof(float));
    if (p == nullptr) {
        ReportOutOfMemory();
        return nullptr;
    }
    // Arrays made while a text runs belong to its statements; one made for a reader between
    // texts (GetArray) lives until the run ends.
    if (scanner_ != nullptr) unclaimed_.push_back(static_cast<float*>(p));
    return static_cast<float*>(p);
}

float* Evaluator::Broadcast(float v) {
    float* a = NewArray();
    if (a != nullptr) std::fill(a, a + barCount_, v);
    return a;
}

const char* Evaluator::NewString(std::string_view text) {
    char* p = static_cast<char*>(pool_.Allocate(text.size() + 1));
    if (p == nullptr) {
        ReportOutOfMemory();
        return nullptr;
    }
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p[text.size()] = '\0';
    return p;
}

// --- market arrays ---------------------------------------------------------------------------

float* Evaluator::MarketArray(MarketField field) {
    if (!marketBuilt_) BuildMarketArrays();
    return market_[static_cast<std::size_t>(field)].data();
}

void Evaluator::BuildMarketArrays() {
    const std::size_t size = std::max<std::size_t>(static_cast<std::size_t>(barCount_), 1);
    for (auto& a : market_) a.assign(size, EMPTY);
    marketBuilt_ = true;
    if (db_ == nullptr || stock_ == nullptr) return;
    const int id = GetMarketID(*stock_);
    if (id < 0 || id >= kMarketCount) return;
    const std::vector<ADQuotation>& records =
        db_->Categories().Markets[static_cast<std::size_t>(id)].ADQuotations;
    // Laid onto the bars by position from the newest backwards, not by date.
    const std::size_t count = std::min(records.size(), static_cast<std::size_t>(barCount_));
    for (std::size_t j = 0; j < count; ++j) {
        const ADQuotation& r = records[records.size() - 1 - j];
        const std::size_t bar = static_cast<std::size_t>(barCount_) - 1 - j;
        market_[0][bar] = static_cast<float>(r.AdvIssues);
        market_[1][bar] = static_cast<float>(r.DecIssues);
        market_[2][bar] = static_cast<float>(r.UncIssues);
        market_[3][bar] = r.AdvVolume;
        market_[4][bar] = r.DecVolume;
        market_[5][bar] = r.UncVolume;
    }
}

// --- operators -------------------------------------------------------------------------------

namespace {

// An operator with a string operand: two strings join with + and compare with the comparison
// operators (by their bytes, true as 1); anything else is an error.
Value StringOp(Evaluator& evaluator, Value left, Value right, BinaryOperator op) {
    if (left.IsString() && right.IsString()) {
        const int cmp = std::strcmp(left.text, right.text);
        switch (op) {
            case BinaryOperator::Add: {
                std::string joined(left.text);
                joined += right.text;
                const char* s = evaluator.NewString(joined);
                return s ? Value::String(s) : Value::None();
            }
            case BinaryOperator::Lt:
                return Value::Number(cmp < 0 ? 1.0f : 0.0f);
            case BinaryOperator::Gt:
                return Value::Number(cmp > 0 ? 1.0f : 0.0f);
            case BinaryOperator::Le:
                return Value::Number(cmp <= 0 ? 1.0f : 0.0f);
            case BinaryOperator::Ge:
                return Value::Number(cmp >= 0 ? 1.0f : 0.0f);
            case BinaryOperator::Eq:
                return Value::Number(cmp == 0 ? 1.0f : 0.0f);
            case BinaryOperator::Ne:
                return Value::Number(cmp != 0 ? 1.0f : 0.0f);
            default:
                break;
        }
    }
    evaluator.ReportFormulaError("Operation not allowed\n");
    return Value::None();
}

}  // namespace

Value Evaluator::BinaryOp(Value left, Value right, BinaryOperator op) {
    if (left.IsNone() || right.IsNone()) return Value::None();
    if (left.IsString() || right.IsString()) return StringOp(*this, left, right, op);
    if (left.IsNumber() && right.IsNumber()) {
        return Value::Number(ScalarOp(op, left.number, right.number));
    }
    float* out = NewArray();
    if (out == nullptr) return Value::None();
    const auto n = static_cast<std::size_t>(barCount_);
    if (left.IsArray() && right.IsArray()) {
        ArrayArrayOp(op, left.array, right.array, out, n);
    } else if (left.IsArray()) {
        ArrayScalarOp(op, left.array, right.number, out, n);
    } else {
        ScalarArrayOp(op, left.number, right.array, out, n);
    }
    return Value::Array(out);
}

namespace {

// Applies f to a number, or to each element of an array into a new one; EMPTY stays EMPTY.
template <class F>
Value ElementWise(Evaluator& evaluator, Value v, F f) {
    if (v.IsNumber()) return Value::Number(v.number == EMPTY ? EMPTY : f(v.number));
    float* out = evaluator.NewArray();
    if (out == nullptr) return Value::None();
    const float* in = v.array;
    const int n = evaluator.BarCount();
    for (int i = 0; i < n; ++i) {
        const float x = in[i];
        const float r = f(x);
        out[i] = x == EMPTY ? EMPTY : r;
    }
    return Value::Array(out);
}

}  // namespace

Value Evaluator::Negate(Value v) {
    if (v.IsNone()) return v;
    if (v.IsString()) {
        ReportFormulaError("Bad argument\n");
        return Value::None();
    }
    return ElementWise(*this, v, [](float x) { return -x; });
}

Value Evaluator::LogicalNot(Value v) {
    if (v.IsNone()) return v;
    if (v.IsString()) {
        ReportFormulaError("Bad argument\n");
        return Value::None();
    }
    return ElementWise(*this, v, [](float x) { return x == 0.0f ? 1.0f : 0.0f; });
}

Value Evaluator::ApplyMath(Value v, MathRoutine routine) {
    if (v.IsNone() || routine == nullptr) return Value::None();
    if (v.IsString()) {
        ReportFormulaError("Bad argument\n");
        return Value::None();
    }
    return ElementWise(*this, v, [routine](float x) {
        return static_cast<float>(routine(static_cast<double>(x)));
    });
}

Value Evaluator::Assign(Symbol& symbol, Value v) {
    if (symbol.state == SymbolState::PriceArray && symbol.value.IsArray() && v.IsArray()) {
        // New data for the price array itself: every variable sharing it, and the built-ins
        // that read it, see the change.
        if (v.array != symbol.value.array) {
            std::memmove(symbol.value.array, v.array,
                         static_cast<std::size_t>(barCount_) * sizeof(float));
        }
    } else {
        if (symbol.value.IsArray() && symbol.value.array != v.array) {
            unclaimed_.push_back(symbol.value.array);
        }
        symbol.value = v;
        symbol.state = SymbolState::Assigned;
    }
    return symbol.value;
}

void Evaluator::EndStatement() {
    if (unclaimed_.empty()) return;
    // Only variables hold arrays from one statement to the next (argument lists and the
    // parser's values are gone by now); price arrays are not the pool's.
    std::sort(unclaimed_.begin(), unclaimed_.end());
    unclaimed_.erase(std::unique(unclaimed_.begin(), unclaimed_.end()), unclaimed_.end());
    for (const Symbol& s : symbols_.Symbols()) {
        if (s.kind != SymbolKind::Ident || !s.value.IsArray()) continue;
        const auto it = std::lower_bound(unclaimed_.begin(), unclaimed_.end(), s.value.array);
        if (it != unclaimed_.end() && *it == s.value.array) unclaimed_.erase(it);
        if (unclaimed_.empty()) return;
    }
    for (float* a : unclaimed_) pool_.Free(a);
    unclaimed_.clear();
}

void Evaluator::WriteStatement(Value v) {
    if (!v.IsString()) return;
    const std::size_t length = std::strlen(v.text);
    if (!pool_.HasRoomFor(output_.size() + length + 1)) {
        ReportOutOfMemory();
        return;
    }
    output_.append(v.text, length);
    output_ += '\n';
}

// --- argument lists and built-in calls ------------------------------------------------------

ArgList* Evaluator::EmptyArgs() {
    if (!freeArgLists_.empty()) {
        ArgList* list = freeArgLists_.back();
        freeArgLists_.pop_back();
        list->values.clear();
        return list;
    }
    return &argLists_.emplace_back();
}

ArgList* Evaluator::ArgsOf(Value v) {
    ArgList* list = EmptyArgs();
    list->values.push_back(v);
    return list;
}

ArgList* Evaluator::AddArg(ArgList* list, Value v) {
    list->values.push_back(v);
    return list;
}

Value Evaluator::CallBuiltin(const Symbol& symbol, ArgList* list) {
    const BuiltinEntry* entry = symbol.builtin;
    std::vector<Value> written;
    if (list != nullptr) {
        written.swap(list->values);
        freeArgLists_.push_back(list);
    }
    if (entry == nullptr) return Value::None();
    const int n = static_cast<int>(written.size());
    const int total = entry->Total();
    if (total < n) {
        ReportFormulaError("Too many arguments\n");
        return Value::None();
    }
    if (total == 0) return entry->handler(*this, 0, nullptr);

    std::vector<Value> args(static_cast<std::size_t>(total));
    const int arrays = entry->arrays;
    const int strings = arrays + entry->strings;
    // Checked from the last written argument to the first; the first mismatch ends the call.
    for (int j = n - 1; j >= 0; --j) {
        Value a = written[static_cast<std::size_t>(j)];
        bool ok;
        if (j < arrays) {
            ok = !a.IsString();
            if (ok && a.IsNumber()) {
                float* filled = Broadcast(a.number);
                if (filled == nullptr) return Value::None();
                a = Value::Array(filled);
            }
        } else if (j < strings) {
            ok = a.IsString();
        } else {
            ok = a.IsNumber();
        }
        if (!ok) {
            ReportFormulaError("Bad args\n");
            return Value::None();
        }
        args[static_cast<std::size_t>(j)] = a;
    }
    if (n < entry->Required()) {
        ReportFormulaError("Missing arguments\n");
        return Value::None();
    }
    for (int j = n; j < total; ++j) {
        args[static_cast<std::size_t>(j)] = Value::Number(entry->defaults[j - entry->Required()]);
    }
    return entry->handler(*this, total, args.data());
}

}  // namespace velmora
