#include "qtport/qt_settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStringList>

namespace solmir::qt {

QtSettingsStore::QtSettingsStore(QString folder) : folder_(std::move(folder)) {}

QtSettingsStore::~QtSettingsStore() = default;

QSettings& QtSettingsStore::settings_for(const std::string& app) {
  auto it = stores_.find(app);
  if (it != stores_.end()) return *it->second;
  const QString name = QString::fromStdString(app);
  std::unique_ptr<QSettings> s;
  if (folder_.isEmpty()) {
    s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, name, name);
  } else {
    s = std::make_unique<QSettings>(QDir(folder_).filePath(name + ".conf"), QSettings::IniFormat);
  }
  return *stores_.emplace(app, std::move(s)).first->second;
}

namespace {
QString key_path(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}
}  // namespace

std::string QtSettingsStore::get(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& default_value) {
  QSettings& s = settings_for(app);
  // Another copy of the program may have saved since: read what is on disk now.
  s.sync();
  const QVariant v = s.value(key_path(section, key));
  if (!v.isValid()) return default_value;
  // A value edited by hand as "a, b" reads back as a list: keep it as the text it was.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(", ").toStdString();
  return v.toString().toStdString();
}

void QtSettingsStore::save(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  QSettings& s = settings_for(app);
  s.setValue(key_path(section, key), QString::fromStdString(value));
  s.sync();
}

}  // namespace solmir::qt
