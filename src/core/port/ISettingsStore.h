#pragma once
#include <string>

// The per-user settings store, section "Window size". Reading an absent value
// gives the default the reader passes.
inline constexpr const char* kSettingsSection = "Window size";

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual int GetInt(const std::string& name, int defaultValue) const = 0;
    virtual std::string GetString(const std::string& name,
                                  const std::string& defaultValue) const = 0;
    virtual void WriteInt(const std::string& name, int value) = 0;
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
};
