#pragma once
// The per-user settings store: named values in named sections ("Defaults"/"DataDir",
// "Paths"/"ASCII", ...). A value that was never written reads as absent.

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace velmora {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> GetString(std::string_view section,
                                                 std::string_view name) const = 0;
    virtual void SetString(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
    virtual void Remove(std::string_view section, std::string_view name) = 0;
    // Ok, or why the store's file could not be read when the store was made (a missing file is
    // no failure). A store whose file could not be read does not replace it unless allowed.
    virtual Status LoadStatus() const { return Status::Ok(); }

    // A whole-number value; `fallback` when it is absent or not a number in range.
    int GetInt(std::string_view section, std::string_view name, int fallback) const {
        const auto text = GetString(section, name);
        if (!text || text->empty()) return fallback;
        errno = 0;
        char* end = nullptr;
        const long v = std::strtol(text->c_str(), &end, 10);
        if (errno != 0 || *end != 0 || v < -2147483647L - 1 || v > 2147483647L) return fallback;
        return static_cast<int>(v);
    }
    void SetInt(std::string_view section, std::string_view name, int value) {
        SetString(section, name, std::to_string(value));
    }
};

}  // namespace velmora
