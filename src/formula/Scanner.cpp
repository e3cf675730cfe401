#include "formula/Scanner.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace velmora {

namespace {

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EqualsKeyword(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c != static_cast<unsigned char>(keyword[i])) return false;
    }
    return true;
}

}  // namespace

float DecimalToFloat(std::string_view literal) {
    float value = 0.0f;
    const auto [ptr, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), value,
                                           std::chars_format::general);
    (void)ptr;
    if (ec != std::errc::result_out_of_range) return value;
    // Out of range: decide between overflow and underflow from the decimal exponent of the
    // first significant digit.
    long long scale = 0;  // position of the first significant digit relative to the point
    bool seenPoint = false, seenDigit = false;
    long long intDigits = 0, leadingFractionZeros = 0;
    std::size_t i = 0;
    for (; i < literal.size(); ++i) {
        const char c = literal[i];
        if (c == '.') {
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            if (!seenDigit && c == '0') {
                if (seenPoint) ++leadingFractionZeros;
                continue;
            }
            if (!seenDigit) seenDigit = true;
            if (!seenPoint) ++intDigits;
        } else {
            break;
        }
    }
    scale = seenDigit ? (intDigits > 0 ? intDigits : -leadingFractionZeros) : 0;
    long long exponent = 0;
    bool negative = false;
    if (i < literal.size() && (literal[i] == 'e' || literal[i] == 'E')) {
        ++i;
        if (i < literal.size() && (literal[i] == '+' || literal[i] == '-')) {
            negative = literal[i] == '-';
            ++i;
        }
        for (; i < literal.size() && literal[i] >= '0' && literal[i] <= '9'; ++i) {
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (literal[i] - '0');
        }
    }
    const long long magnitude = scale + (negative ? -exponent : exponent);
    return magnitude > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
}

Scanner::Scanner(std::string_view text) : text_(text) {
    const std::size_t nul = text_.find('\0');
    if (nul != std::string_view::npos) text_ = text_.substr(0, nul);
}

bool Scanner::SkipBlanksAndComments() {
    const std::size_t start = pos_;
    for (;;) {
        while (!AtEnd() && IsBlank(Peek())) ++pos_;
        if (Peek() == 0xFF) break;
        if (Peek() == '/' && Peek(1) == '/') {
            pos_ += 2;
            while (!AtEnd() && Peek() != '\n' && Peek() != '\r') ++pos_;
            if (!AtEnd()) ++pos_;  // the line break ends the comment
            continue;
        }
        if (Peek() == '/' && Peek(1) == '*') {
            // The search for "*/" starts at the star of "/*", so "/*/" is a whole comment.
            const std::size_t close = text_.find("*/", pos_ + 1);
            pos_ = close == std::string_view::npos ? text_.size() : close + 2;
            continue;
        }
        break;
    }
    return pos_ != start;
}

Token Scanner::Next() {
    if (!ended_) SkipBlanksAndComments();
    const std::size_t begin = pos_;
    Token token = ended_ ? Token() : NextToken();
    token.begin = begin;
    token.end = pos_;
    return token;
}

Token Scanner::NextToken() {
    Token token;
    const unsigned char c = Peek();
    if (AtEnd() || c == 0xFF) return token;

    const unsigned char d = Peek(1);
    if (d == '=' && (c == '!' || c == '=' || c == '>' || c == '<')) {
        pos_ += 2;
        token.kind = c == '!'   ? TokenKind::Ne
                     : c == '=' ? TokenKind::Eq
                     : c == '>' ? TokenKind::Ge
                                : TokenKind::Le;
        return token;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(d))) return ScanNumber();
    if (c == '"') return ScanString();
    if (IsLetter(c)) return ScanIdentifier();
    ++pos_;
    if (c == '~') {
        ended_ = true;
        return token;
    }
    // Anything else, a lone "." included, is the character itself.
    token.kind = TokenKind::Char;
    token.ch = c;
    return token;
}

Token Scanner::ScanNumber() {
    const std::size_t start = pos_;
    while (IsDigit(Peek())) ++pos_;
    if (Peek() == '.') {
        ++pos_;
        while (IsDigit(Peek())) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
        std::size_t e = 1;
        if (Peek(e) == '+' || Peek(e) == '-') ++e;
        if (IsDigit(Peek(e))) {
            pos_ += e;
            while (IsDigit(Peek())) ++pos_;
        }
    }
    Token token;
    token.kind = TokenKind::Number;
    token.number = DecimalToFloat(text_.substr(start, pos_ - start));
    return token;
}

Token Scanner::ScanString() {
    Token token;
    token.kind = TokenKind::String;
    ++pos_;  // the opening quote
    while (!AtEnd()) {
        const char c = text_[pos_++];
        if (c == '"') break;
        if (c == '\\') {
            if (AtEnd()) break;
            const char e = text_[pos_++];
            token.text.push_back(e == 'n' ? '\n' : e);
        } else {
            token.text.push_back(c);
        }
    }
    return token;
}

Token Scanner::ScanIdentifier() {
    const std::size_t start = pos_;
    while (IsLetter(Peek()) || IsDigit(Peek())) ++pos_;
    std::string_view word = text_.substr(start, pos_ - start);
    if (word.size() > kMaxIdentifier) word = word.substr(0, kMaxIdentifier);
    Token token;
    if (EqualsKeyword(word, "AND")) {
        token.kind = TokenKind::And;
    } else if (EqualsKeyword(word, "OR")) {
        token.kind = TokenKind::Or;
    } else if (EqualsKeyword(word, "NOT")) {
        token.kind = TokenKind::Not;
    } else {
        token.kind = TokenKind::Identifier;
        token.text.assign(word);
    }
    return token;
}

}  // namespace velmora
