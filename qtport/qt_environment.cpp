#include "qtport/qt_environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QString>

namespace solmir::qt {

std::filesystem::path to_path(const QString& s) {
  return std::filesystem::path(s.toStdU16String());
}

QString from_path(const std::filesystem::path& p) {
  return QString::fromStdU16String(p.u16string());
}

std::filesystem::path QtEnvironment::program_folder() {
  return to_path(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

std::filesystem::path QtEnvironment::documents_folder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  return to_path(QDir::toNativeSeparators(folder));
}

}  // namespace solmir::qt
