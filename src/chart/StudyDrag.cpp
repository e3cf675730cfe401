#include "chart/StudyDrag.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

namespace {

bool Near(int x, int y, int hx, int hy) {
    return std::abs(x - hx) <= StudyMove::kHandleReach &&
           std::abs(y - hy) <= StudyMove::kHandleReach;
}

}  // namespace

bool StudyMove::Movable(const Study& study) {
    return study.Kind == StudyKind::kTrend || study.Kind == StudyKind::kHorizontal ||
           study.Kind == StudyKind::kVertical || study.Kind == StudyKind::kText;
}

std::optional<std::array<int, 4>> StudyMove::Handles(const PaneContext& pane, const Study& study) {
    if (!Movable(study)) return std::nullopt;
    const StudyFrame frame(pane);
    if (!frame.Usable()) return std::nullopt;
    const int x1 = frame.X(frame.BarOfDate(study.StartDate));
    const int y1 = frame.Y(study.StartValue);
    if (study.Kind == StudyKind::kText) return std::array<int, 4>{x1, y1, x1, y1};
    return std::array<int, 4>{x1, y1, frame.X(frame.BarOfDate(study.EndDate)),
                              frame.Y(study.EndValue)};
}

StudyMove::Part StudyMove::Begin(const PaneContext& pane, const Study& study, int x, int y,
                                 bool onStudy) {
    part_ = Part::None;
    const auto handles = Handles(pane, study);
    if (!handles) return part_;
    const auto& h = *handles;
    const bool endPoints = study.Kind == StudyKind::kTrend;
    if (endPoints && Near(x, y, h[0], h[1]))
        part_ = Part::Start;
    else if (endPoints && Near(x, y, h[2], h[3]))
        part_ = Part::End;
    else if (onStudy || Near(x, y, h[0], h[1]))
        part_ = Part::Whole;
    if (part_ == Part::None) return part_;
    const StudyFrame frame(pane);
    original_ = study;
    pressBar_ = frame.BarAt(x);
    pressValue_ = frame.ValueAt(frame.ClampY(y));
    return part_;
}

Study StudyMove::MovedTo(const PaneContext& pane, int x, int y) const {
    Study moved = original_;
    const StudyFrame frame(pane);
    if (part_ == Part::None || !frame.Usable()) return moved;
    const int lastBar = frame.BarCount() - 1;
    const int bar = frame.BarAt(x);
    const auto value = static_cast<float>(frame.ValueAt(frame.ClampY(y)));
    if (part_ == Part::Start || part_ == Part::End) {
        (part_ == Part::Start ? moved.StartDate : moved.EndDate) = frame.DateOfBar(bar);
        (part_ == Part::Start ? moved.StartValue : moved.EndValue) = value;
        return moved;
    }
    const int bars = bar - pressBar_;
    const auto shift = static_cast<float>(value - pressValue_);
    const auto shifted = [&frame, bars, lastBar](PackedDate date) {
        return frame.DateOfBar(std::clamp(frame.BarOfDate(date) + bars, 0, lastBar));
    };
    moved.StartDate = shifted(original_.StartDate);
    moved.StartValue += shift;
    // A text label's end fields are its box's size.
    if (original_.Kind != StudyKind::kText) {
        moved.EndDate = shifted(original_.EndDate);
        moved.EndValue += shift;
    }
    return moved;
}

}  // namespace velmora
