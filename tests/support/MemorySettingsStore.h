#pragma once
#include "port/ISettingsStore.h"
#include <map>
#include <string>
#include <variant>

// Settings kept in memory, for tests.
class MemorySettingsStore final : public ISettingsStore {
public:
    int GetInt(const std::string& name, int def) const override {
        auto it = values.find(name);
        if (it == values.end())
            return def;
        if (auto p = std::get_if<int>(&it->second))
            return *p;
        try {
            return std::stoi(std::get<std::string>(it->second));
        } catch (...) {
            return def;
        }
    }
    std::string GetString(const std::string& name, const std::string& def) const override {
        auto it = values.find(name);
        if (it == values.end())
            return def;
        if (auto p = std::get_if<std::string>(&it->second))
            return *p;
        return std::to_string(std::get<int>(it->second));
    }
    void WriteInt(const std::string& name, int value) override { values[name] = value; }
    void WriteString(const std::string& name, const std::string& value) override {
        values[name] = value;
    }
    std::map<std::string, std::variant<int, std::string>> values;
};
