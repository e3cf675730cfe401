#include "cli/OptionTable.h"

#include <algorithm>

namespace velmora::cli {

namespace {

using Args = std::vector<std::string>;

Args::iterator Find(Args& args, std::string_view name) {
    return std::find(args.begin(), args.end(), name);
}

// The value after the option's first appearance, both taken out of args; none when the option
// is absent. An option standing last is taken out and reported missing.
std::optional<std::string> TakeValue(Args& args, std::string_view name, bool& missing) {
    const auto at = Find(args, name);
    if (at == args.end()) return std::nullopt;
    if (at + 1 == args.end()) {
        missing = true;
        args.erase(at);
        return std::nullopt;
    }
    std::string value = std::move(*(at + 1));
    args.erase(at, at + 2);
    return value;
}

}  // namespace

bool TakenOptions::Missing(std::string_view name) const {
    return std::find(missing.begin(), missing.end(), name) != missing.end();
}

TakenOptions TakeOptions(Args& args, std::span<const Option> table) {
    TakenOptions taken;
    for (const Option& option : table) {
        bool missing = false;
        if (auto* const* flag = std::get_if<bool*>(&option.target)) {
            const auto at = Find(args, option.name);
            **flag = at != args.end();
            if (at != args.end()) args.erase(at);
        } else if (auto* const* value = std::get_if<std::optional<std::string>*>(&option.target)) {
            **value = TakeValue(args, option.name, missing);
        } else {
            auto* values = std::get<std::vector<std::string>*>(option.target);
            while (auto next = TakeValue(args, option.name, missing)) values->push_back(*next);
        }
        if (missing) taken.missing.push_back(option.name);
    }
    return taken;
}

TakenOptions TakeOptions(Args& args, std::initializer_list<Option> table) {
    return TakeOptions(args, std::span<const Option>(table.begin(), table.size()));
}

}  // namespace velmora::cli
