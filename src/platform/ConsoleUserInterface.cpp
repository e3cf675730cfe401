#include "platform/ConsoleUserInterface.h"

#include <unistd.h>

namespace velmora {

ConsoleProgress::ConsoleProgress(std::FILE* out)
    : out_(out), terminal_(out != nullptr && isatty(fileno(out)) != 0) {}

bool ConsoleProgress::Step(int index, int total, std::string_view detail,
                           std::string_view caption) {
    if (!terminal_) return true;
    const int percent = total > 0 ? static_cast<int>(100LL * index / total) : 0;
    const int filled = percent * 30 / 100;
    std::fprintf(out_, "\r%.*s [%.*s%*s] %3d%% %-24.24s", static_cast<int>(caption.size()),
                 caption.data(), filled, "##############################", 30 - filled, "", percent,
                 std::string(detail).c_str());
    std::fflush(out_);
    shown_ = true;
    return true;
}

void ConsoleProgress::Close() {
    if (shown_) {
        std::fputs("\r\033[K", out_);
        std::fflush(out_);
        shown_ = false;
    }
}

ConsoleUserInterface::ConsoleUserInterface(std::FILE* out) : out_(out), progress_(out) {}

void ConsoleUserInterface::ShowMessage(std::string_view text) {
    std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
}

bool ConsoleUserInterface::AskYesNo(std::string_view question) {
    std::fprintf(out_, "%.*s [%s]\n", static_cast<int>(question.size()), question.data(),
                 defaultAnswer_ ? "Yes" : "No");
    return defaultAnswer_;
}

std::optional<std::string> ConsoleUserInterface::AskString(std::string_view prompt,
                                                           std::string_view initial) {
    std::fprintf(out_, "%.*s [%.*s]: ", static_cast<int>(prompt.size()), prompt.data(),
                 static_cast<int>(initial.size()), initial.data());
    if (in_ == nullptr) {
        std::fprintf(out_, "\n");
        return std::string(initial);
    }
    std::fflush(out_);
    std::string line;
    int c;
    while ((c = std::fgetc(in_)) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return std::string(initial);
    return line;
}

void ConsoleUserInterface::SetStatusText(std::string_view text) {
    if (verbose_) std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace velmora
