#pragma once
// A SettingsStore held in memory: for tests and for runs that must not touch the user's
// settings.

#include <map>
#include <string>

#include "platform/SettingsStore.h"

namespace velmora {

class MemorySettingsStore final : public SettingsStore {
  public:
    std::optional<std::string> GetString(std::string_view section,
                                         std::string_view name) const override {
        auto it = values_.find({std::string(section), std::string(name)});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void SetString(std::string_view section, std::string_view name,
                   std::string_view value) override {
        values_[{std::string(section), std::string(name)}] = std::string(value);
    }
    void Remove(std::string_view section, std::string_view name) override {
        values_.erase({std::string(section), std::string(name)});
    }

  private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace velmora
