#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/file_filters.h"

namespace solmir::ui {

QString box_text(const std::string& text) {
  QString t = QString::fromStdString(text);
  t.replace("\r\n", "\n");
  t.replace('\r', '\n');
  while (t.endsWith('\n')) t.chop(1);
  return t;
}

class QtDialogs::NormalPointer {
 public:
  explicit NormalPointer(bool busy) : busy_(busy) {
    if (busy_) QApplication::restoreOverrideCursor();
  }
  ~NormalPointer() {
    if (busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  NormalPointer(const NormalPointer&) = delete;
  NormalPointer& operator=(const NormalPointer&) = delete;

 private:
  bool busy_;
};

void QtDialogs::message(const std::string& text) {
  NormalPointer normal(busy_);
  QMessageBox box(QMessageBox::NoIcon, kBoxTitle, box_text(text), QMessageBox::Ok, parent_);
  box.setObjectName("message_box");
  box.exec();
}

bool QtDialogs::ask_yes_no(const std::string& text) {
  NormalPointer normal(busy_);
  QMessageBox box(QMessageBox::Question, kBoxTitle, box_text(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setObjectName("question_box");
  box.button(QMessageBox::Yes)->setText("Oui");
  box.button(QMessageBox::No)->setText("Non");
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::ask_ok_cancel(const std::string& text) {
  NormalPointer normal(busy_);
  QMessageBox box(QMessageBox::Information, kBoxTitle, box_text(text),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_);
  box.setObjectName("ok_cancel_box");
  box.button(QMessageBox::Ok)->setText("OK");
  box.button(QMessageBox::Cancel)->setText("Annuler");
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

std::string QtDialogs::file_dialog(bool save, const std::string& title, const std::string& filters,
                                   const std::string& start_folder,
                                   const std::string& proposed_name) {
  NormalPointer normal(busy_);
  QFileDialog dialog(parent_, QString::fromStdString(title));
  dialog.setObjectName(save ? "save_dialog" : "open_dialog");
  const QStringList list = qt_filters(filters);
  dialog.setNameFilters(list);
  if (!list.isEmpty()) dialog.selectNameFilter(list.first());
  const QString folder = QString::fromStdString(start_folder);
  if (!folder.isEmpty() && QDir(folder).exists()) dialog.setDirectory(folder);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(default_suffix(filters));
    if (!proposed_name.empty()) dialog.selectFile(QString::fromStdString(proposed_name));
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  return QDir::toNativeSeparators(chosen.first()).toStdString();
}

std::string QtDialogs::open_file(const std::string& title, const std::string& filters,
                                 const std::string& start_folder) {
  return file_dialog(false, title, filters, start_folder, {});
}

std::string QtDialogs::save_file(const std::string& title, const std::string& filters,
                                 const std::string& start_folder,
                                 const std::string& proposed_name) {
  return file_dialog(true, title, filters, start_folder, proposed_name);
}

void QtDialogs::set_busy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace solmir::ui
