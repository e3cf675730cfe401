#pragma once
// Moving a drawn study with the pick tool: a press on the picked study's end point (its
// handle) drags that point, a press elsewhere on the study drags the whole study. Trend,
// horizontal and vertical lines and text labels move; the Fibonacci studies, whose lines
// belong together, do not.

#include <array>
#include <optional>

#include "chart/PaneContext.h"
#include "chart/Studies.h"

namespace velmora {

class StudyMove {
  public:
    enum class Part { None, Start, End, Whole };
    // Pixels around an end point that grab it.
    static constexpr int kHandleReach = 5;

    // Whether the pick tool moves studies of this kind.
    static bool Movable(const Study& study);
    // The points where a study's handles are drawn (start x, y, end x, y); none for a study
    // that does not move or a pane without a plot. Text labels have one handle (both points
    // the same).
    static std::optional<std::array<int, 4>> Handles(const PaneContext& pane, const Study& study);

    // A press at (x, y) of the pane on the picked study: which part it grabs (None: the study
    // does not move, or the press is neither on a handle nor, with `onStudy`, on the study).
    Part Begin(const PaneContext& pane, const Study& study, int x, int y, bool onStudy);
    bool Active() const { return part_ != Part::None; }
    // The study as it is with the mouse at (x, y).
    Study MovedTo(const PaneContext& pane, int x, int y) const;
    // The study as it was at the press.
    const Study& Original() const { return original_; }
    void End() { part_ = Part::None; }

  private:
    Part part_ = Part::None;
    Study original_;
    int pressBar_ = 0;
    double pressValue_ = 0;
};

}  // namespace velmora
