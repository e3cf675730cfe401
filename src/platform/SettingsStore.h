#pragma once
// The per-user settings store: named values in named sections ("Defaults"/"DataDir",
// "Paths"/"ASCII", ...). A value that was never written reads as absent.

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> GetString(std::string_view section,
                                                 std::string_view name) const = 0;
    virtual void SetString(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
    virtual void Remove(std::string_view section, std::string_view name) = 0;
};

}  // namespace velmora
