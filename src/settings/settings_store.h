#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace quillan::settings {

/// The per-user settings store of the application "Quillan": string values addressed by a
/// section and a key. A key never written reads as the empty string.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Get(std::string_view section, std::string_view key) const = 0;
  virtual void Set(std::string_view section, std::string_view key, std::string_view value) = 0;
};

/// An in-memory store for tests and for runs without a place to keep settings.
class MemorySettingsStore final : public SettingsStore {
 public:
  std::string Get(std::string_view section, std::string_view key) const override {
    auto it = values_.find({std::string(section), std::string(key)});
    return it == values_.end() ? std::string() : it->second;
  }
  void Set(std::string_view section, std::string_view key, std::string_view value) override {
    values_[{std::string(section), std::string(key)}] = std::string(value);
  }
  bool Has(std::string_view section, std::string_view key) const {
    return values_.count({std::string(section), std::string(key)}) != 0;
  }

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace quillan::settings
