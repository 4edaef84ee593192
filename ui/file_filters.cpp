#include "ui/file_filters.h"

#include <QRegularExpression>

namespace solmir::ui {

namespace {

// The patterns of each pair, "*.mid;*.midi" -> {"*.mid", "*.midi"}.
QStringList split_patterns(const QString& patterns) {
  QStringList out;
  for (const QString& p : patterns.split(QRegularExpression("[;\\s]+"), Qt::SkipEmptyParts))
    out << p;
  return out;
}

}  // namespace

QStringList qt_filters(const std::string& filters) {
  const QStringList parts = QString::fromStdString(filters).split('|');
  QStringList out;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString name = parts[i].trimmed();
    const QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
    if (name.isEmpty() && patterns.trimmed().isEmpty()) continue;
    // "Fichiers (*.mid)": the shown patterns are replaced by the pair's real ones.
    static const QRegularExpression shown("\\s*\\([^()]*\\)\\s*$");
    name.remove(shown);
    QStringList list = split_patterns(patterns);
    if (list.isEmpty()) list << "*";
    if (name.isEmpty()) name = list.join(' ');
    out << name + " (" + list.join(' ') + ")";
  }
  return out;
}

QString default_suffix(const std::string& filters) {
  const QStringList parts = QString::fromStdString(filters).split('|');
  if (parts.size() < 2) return {};
  const QStringList list = split_patterns(parts[1]);
  if (list.isEmpty()) return {};
  static const QRegularExpression plain("^\\*\\.([A-Za-z0-9]+)$");
  const auto m = plain.match(list.first());
  return m.hasMatch() ? m.captured(1) : QString();
}

}  // namespace solmir::ui
