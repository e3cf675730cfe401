#pragma once
// The progress dialog of long operations: a step per item and a close at the end.

#include <string_view>

namespace velmora {

class ProgressReporter {
  public:
    virtual ~ProgressReporter() = default;
    // Shows item `index` of `total` with a detail text under a caption. Returns false when the
    // user pressed Cancel; the operation then stops after the current item.
    virtual bool Step(int index, int total, std::string_view detail, std::string_view caption) = 0;
    virtual void Close() = 0;
};

// A progress reporter that shows nothing and never cancels.
class NullProgress final : public ProgressReporter {
  public:
    bool Step(int, int, std::string_view, std::string_view) override { return true; }
    void Close() override {}
};

}  // namespace velmora
