// The per-user settings store on QSettings: one store per application name, values grouped by
// section ("Startup"). Every value is a text.
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "base/ports.h"

class QSettings;

namespace solmir::qt {

class QtSettingsStore : public SettingsStore {
 public:
  // folder empty: the platform's own place for per-user settings (on Linux
  // ~/.config/<application>/<application>.conf). Otherwise one "<application>.conf" file per
  // application in that folder (tests, screenshots).
  explicit QtSettingsStore(QString folder = {});
  ~QtSettingsStore() override;

  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& default_value) override;
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;

 private:
  QSettings& settings_for(const std::string& app);
  QString folder_;
  std::map<std::string, std::unique_ptr<QSettings>> stores_;
};

}  // namespace solmir::qt
