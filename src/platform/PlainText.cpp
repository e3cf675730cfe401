#include "platform/PlainText.h"

#include <string>

namespace velmora {

std::size_t FindTabOrLineBreak(std::string_view text) {
    return text.find_first_of("\t\n\r");
}

namespace {

// "WHAT RULE (it holds a tab at character N)" for the character at byte `at`.
Status Refusal(std::string_view what, const char* rule, std::string_view text, std::size_t at) {
    // Characters, not bytes: continuation bytes of UTF-8 sequences are not counted.
    std::size_t character = 1;
    for (std::size_t i = 0; i < at; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++character;
    }
    const char* name = text[at] == '\t'   ? "a tab"
                       : text[at] == '\n' ? "a line feed"
                                          : "a carriage return";
    std::string message(what);
    message.append(" ").append(rule).append(" (it holds ").append(name);
    message.append(" at character ").append(std::to_string(character)).append(")");
    return Status::Error(std::move(message));
}

}  // namespace

Status CheckPlainText(std::string_view what, std::string_view text) {
    const std::size_t at = FindTabOrLineBreak(text);
    if (at == std::string_view::npos) return Status::Ok();
    return Refusal(what, kPlainTextRule, text, at);
}

Status CheckNoTab(std::string_view what, std::string_view text) {
    const std::size_t at = text.find('\t');
    if (at == std::string_view::npos) return Status::Ok();
    return Refusal(what, kNoTabRule, text, at);
}

}  // namespace velmora
