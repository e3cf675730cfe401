#pragma once
// UserInterface on a terminal: messages go to stderr, questions are answered by a default the
// caller sets, the progress dialog becomes a bar on stderr when stderr is a terminal.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace velmora {

class ConsoleProgress final : public ProgressReporter {
  public:
    explicit ConsoleProgress(std::FILE* out);
    bool Step(int index, int total, std::string_view detail, std::string_view caption) override;
    void Close() override;

  private:
    std::FILE* out_;
    bool terminal_;
    bool shown_ = false;
};

class ConsoleUserInterface final : public UserInterface {
  public:
    explicit ConsoleUserInterface(std::FILE* out = stderr);
    void ShowMessage(std::string_view text) override;
    bool AskYesNo(std::string_view question) override;
    // Reads one line from `in` (the prompt and initial text shown on the output stream); an
    // empty line keeps the initial text, end of input cancels. Without an input stream the
    // initial text is taken as it is.
    std::optional<std::string> AskString(std::string_view prompt,
                                         std::string_view initial) override;
    void SetStatusText(std::string_view text) override;
    void SetProgressPercent(int) override {}
    ProgressReporter& Progress() override { return progress_; }

    void SetDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    // Where AskString reads its answers (null: none, the initial text is taken).
    void SetInput(std::FILE* in) { in_ = in; }
    // Status texts are shown only when verbose (the status bar is chatty).
    void SetVerbose(bool verbose) { verbose_ = verbose; }

  private:
    std::FILE* out_;
    std::FILE* in_ = nullptr;
    ConsoleProgress progress_;
    bool defaultAnswer_ = false;
    bool verbose_ = false;
};

// A UserInterface that shows nothing and remembers everything, for tests and batch runs.
class RecordingUserInterface final : public UserInterface {
  public:
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    bool AskYesNo(std::string_view question) override {
        questions.emplace_back(question);
        return answer;
    }
    // Records the question too; with `cancel` the answer is Cancel.
    std::optional<bool> AskYesNoCancel(std::string_view question) override {
        questions.emplace_back(question);
        if (cancel) return std::nullopt;
        return answer;
    }
    // Records the prompt and its initial text; answers with `stringAnswer` (nothing: cancel).
    std::optional<std::string> AskString(std::string_view prompt,
                                         std::string_view initial) override {
        prompts.push_back({std::string(prompt), std::string(initial)});
        return stringAnswer;
    }
    void SetStatusText(std::string_view text) override { statusTexts.emplace_back(text); }
    void SetProgressPercent(int percent) override { progressPercents.push_back(percent); }
    ProgressReporter& Progress() override { return progress; }

    struct Recorder final : ProgressReporter {
        bool Step(int index, int total, std::string_view detail,
                  std::string_view caption) override {
            steps.push_back({index, total, std::string(detail), std::string(caption)});
            return cancelAt < 0 || index < cancelAt;
        }
        void Close() override { ++closes; }
        struct StepCall {
            int index, total;
            std::string detail, caption;
        };
        std::vector<StepCall> steps;
        int closes = 0;
        int cancelAt = -1;  // Step returns false from this index on (-1: never)
    };

    std::vector<std::string> messages, questions, statusTexts;
    struct Prompt {
        std::string prompt, initial;
    };
    std::vector<Prompt> prompts;
    std::vector<int> progressPercents;
    Recorder progress;
    bool answer = false;
    bool cancel = false;
    std::optional<std::string> stringAnswer;
};

}  // namespace velmora
