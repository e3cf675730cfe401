#pragma once
// The QRX scanner: turns a formula text into tokens, one at a time. Blanks (space, tab, carriage
// return, line feed), line comments ("//" to the end of the line) and block comments ("/*" to
// "*/") are skipped; the text ends at its end, at a NUL byte, at byte 0xFF or at "~".
//
// The scanner knows nothing of symbols: an identifier comes back as its text (letters and
// digits, at most 79 characters; a longer one is cut and the rest of it skipped), and the
// parser looks it up. Any byte sequence is safe to scan.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

enum class TokenKind {
    End,         // end of text
    Number,      // `number` holds the value
    String,      // `text` holds the value, escapes resolved
    Identifier,  // `text` holds the name
    And,
    Or,
    Not,
    Eq,    // ==
    Ne,    // !=
    Ge,    // >=
    Le,    // <=
    Char,  // any other single character, in `ch`
};

// Bytes [begin, end) of a formula text.
struct TextSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Token {
    TokenKind kind = TokenKind::End;
    float number = 0.0f;
    std::string text;
    unsigned char ch = 0;
    // Where the token lies in the text: bytes [begin, end); the end of text is an empty token
    // where the scan stopped.
    std::size_t begin = 0;
    std::size_t end = 0;
};

class Scanner {
  public:
    static constexpr std::size_t kMaxIdentifier = 79;

    // The text is used up to its first NUL byte; it must outlive the scanner.
    explicit Scanner(std::string_view text);

    Token Next();

    // The scan position (bytes consumed) and the text, for the error report.
    std::size_t Position() const { return pos_; }
    std::string_view Text() const { return text_; }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    unsigned char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? static_cast<unsigned char>(text_[pos_ + ahead]) : 0;
    }
    // Skips blanks and comments; false when nothing was skipped.
    bool SkipBlanksAndComments();
    // The token at the scan position, blanks and comments already skipped.
    Token NextToken();
    Token ScanNumber();
    Token ScanString();
    Token ScanIdentifier();

    std::string_view text_;
    std::size_t pos_ = 0;
    bool ended_ = false;  // "~" was met: everything after it is ignored
};

// The value of a decimal literal (digits, optional fraction, optional exponent) as a 32-bit
// float, rounded to nearest; too large gives infinity, too small gives 0.
float DecimalToFloat(std::string_view literal);

}  // namespace velmora
