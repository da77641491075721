#pragma once
#include "port/ISettingsStore.h"
#include <QSettings>

// The settings port on QSettings: organisation "Feltmoor Kinbook", application
// "Kinbook", group "Window size".
class QtSettingsStore final : public ISettingsStore {
public:
    QtSettingsStore();
    // The same values in a file of its own (tests, never the user's settings).
    explicit QtSettingsStore(const QString& iniFile);
    int GetInt(const std::string& name, int defaultValue) const override;
    std::string GetString(const std::string& name, const std::string& defaultValue) const override;
    void WriteInt(const std::string& name, int value) override;
    void WriteString(const std::string& name, const std::string& value) override;
    QSettings& Raw() { return m_settings; }

private:
    QString Key(const std::string& name) const;
    mutable QSettings m_settings;
};
