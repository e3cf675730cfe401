#pragma once
// A command's options as a table. Each entry names an option and says where it goes; what the
// option takes follows from that place: a text for an option with one value, a bool for a flag,
// a list for an option that may be given again and again.
//
//     std::optional<std::string> out;
//     bool shares = false;
//     const TakenOptions taken = TakeOptions(args, {{"--out", &out}, {"--volume-shares",
//     &shares}}); if (taken.AnyMissing()) ...  // "--out" stood last, with no value after it
//
// The options are taken out of the arguments entry by entry, in the table's order, wherever
// they stand; what stays is the command's other arguments, in their order. An option with one
// value takes the argument after its first appearance, whatever that argument is (a second
// appearance stays behind, for the command to reject as unexpected); a flag is set by whether
// it appears; a repeated option takes every appearance, in order. An option that stands last,
// with no value after it, is dropped and reported missing; a repeated one then stops there.

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora::cli {

struct Option {
    std::string_view name;  // as typed, "--name"
    std::variant<std::optional<std::string>*, bool*, std::vector<std::string>*> target;
};

// The options of a table whose value was missing, in the table's order.
struct TakenOptions {
    std::vector<std::string_view> missing;

    bool AnyMissing() const { return !missing.empty(); }
    bool Missing(std::string_view name) const;
};

[[nodiscard]] TakenOptions TakeOptions(std::vector<std::string>& args,
                                       std::span<const Option> table);
[[nodiscard]] TakenOptions TakeOptions(std::vector<std::string>& args,
                                       std::initializer_list<Option> table);

}  // namespace velmora::cli
