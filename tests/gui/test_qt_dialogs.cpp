// The Qt message boxes, file dialogs and busy pointer of the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "qtport/qt_environment.h"
#include "tests/support/fakes.h"
#include "ui/file_filters.h"
#include "ui/qt_dialogs.h"

namespace solmir::test {
namespace {

// Runs `answer` on the modal window the next call opens, once it is up.
void when_modal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      answer(w);
    }
  });
  timer->start();
}

TEST(FileFilters, TheProgramsFiltersBecomeQtFilters) {
  const struct {
    const char* filters;
    QStringList qt;
    const char* suffix;
  } cases[] = {
      {"Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|", {"Fichiers (*.mid)", "Tous (*.*)"}, "mid"},
      {"Name (*.mid)|*.mid|Tous (*.*)|*.*|", {"Name (*.mid)", "Tous (*.*)"}, "mid"},
      {"Midi|*.mid;*.midi|", {"Midi (*.mid *.midi)"}, "mid"},
      {"Ordre des sorties (*.sor)|*.sor", {"Ordre des sorties (*.sor)"}, "sor"},
      {"Tous (*.*)|*.*|", {"Tous (*.*)"}, ""},
      {"Sans motif||", {"Sans motif (*)"}, ""},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::qt_filters(c.filters), c.qt) << c.filters;
    EXPECT_EQ(ui::default_suffix(c.filters), QString(c.suffix)) << c.filters;
  }
}

TEST(QtDialogs, AMessageBoxIsTitledSolmirWithOkOnly) {
  ui::QtDialogs dialogs;
  QString title, text;
  int buttons = 0;
  when_modal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  dialogs.message("Carte muette ou absente\r\n");
  EXPECT_EQ(title, "Solmir");
  EXPECT_EQ(text, "Carte muette ou absente");
  EXPECT_EQ(buttons, 1);
}

TEST(QtDialogs, AQuestionIsYesOrNoWithNoAsTheDefault) {
  const struct {
    int key;  // 0: click Yes
    bool answer;
  } cases[] = {{Qt::Key_Return, false}, {Qt::Key_Escape, false}, {0, true}};
  for (const auto& c : cases) {
    ui::QtDialogs dialogs;
    QString no_text, title;
    bool no_is_default = false;
    when_modal([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      no_is_default = box->defaultButton() == box->button(QMessageBox::No);
      no_text = box->button(QMessageBox::No)->text();
      if (c.key) {
        QTest::keyClick(box, static_cast<Qt::Key>(c.key));
      } else {
        box->button(QMessageBox::Yes)->click();
      }
    });
    EXPECT_EQ(dialogs.ask_yes_no("Effacer la carte ?\r\n"), c.answer) << c.key;
    EXPECT_EQ(title, "Solmir");
    EXPECT_TRUE(no_is_default);
    EXPECT_EQ(no_text, "Non");
  }
}

TEST(QtDialogs, AnOkCancelBoxHasOkAsTheDefaultAndEscapeCancels) {
  const struct {
    int key;  // 0: click Annuler
    bool answer;
  } cases[] = {{Qt::Key_Return, true}, {Qt::Key_Escape, false}, {0, false}};
  for (const auto& c : cases) {
    ui::QtDialogs dialogs;
    QString cancel_text, title;
    bool ok_is_default = false;
    when_modal([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      ok_is_default = box->defaultButton() == box->button(QMessageBox::Ok);
      cancel_text = box->button(QMessageBox::Cancel)->text();
      if (c.key) {
        QTest::keyClick(box, static_cast<Qt::Key>(c.key));
      } else {
        box->button(QMessageBox::Cancel)->click();
      }
    });
    EXPECT_EQ(dialogs.ask_ok_cancel("Insérer la carte cible dans le lecteur"), c.answer) << c.key;
    EXPECT_EQ(title, "Solmir");
    EXPECT_TRUE(ok_is_default);
    EXPECT_EQ(cancel_text, "Annuler");
  }
}

TEST(QtDialogs, TheOpenDialogShowsTheFiltersAndTheStartFolder) {
  TempDir dir;
  write_file(dir.path() / "air.mid", "MThd");
  ui::QtDialogs dialogs;
  QStringList filters;
  QString selected, folder, title;
  when_modal([&](QWidget* w) {
    auto* d = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(d, nullptr);
    filters = d->nameFilters();
    selected = d->selectedNameFilter();
    folder = d->directory().absolutePath();
    title = d->windowTitle();
    d->selectFile(qt::from_path(dir.path() / "air.mid"));
    static_cast<QDialog*>(d)->accept();
  });
  const std::string chosen = dialogs.open_file(
      "Ouvrir fichier Midi", "Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|", dir.path().string());
  EXPECT_EQ(chosen, (dir.path() / "air.mid").string());
  EXPECT_EQ(filters, (QStringList{"Fichiers (*.mid)", "Tous (*.*)"}));
  EXPECT_EQ(selected, "Fichiers (*.mid)");
  EXPECT_EQ(folder, qt::from_path(dir.path()));
  EXPECT_EQ(title, "Ouvrir fichier Midi");
}

TEST(QtDialogs, ACancelledDialogGivesNoPath) {
  ui::QtDialogs dialogs;
  when_modal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_EQ(dialogs.open_file("Ouvrir fichier Midi", "Tous (*.*)|*.*|", ""), "");
}

TEST(QtDialogs, TheSaveDialogProposesTheNameAndAddsTheExtension) {
  TempDir dir;
  ui::QtDialogs dialogs;
  QString proposed;
  when_modal([&](QWidget* w) {
    auto* d = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(d, nullptr);
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    proposed = name->text();
    name->setText("musette");
    static_cast<QDialog*>(d)->accept();
  });
  const std::string chosen =
      dialogs.save_file("Sauver fichier Midi", "Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|",
                        dir.path().string(), "valse.mid");
  EXPECT_EQ(proposed, "valse.mid");
  EXPECT_EQ(chosen, (dir.path() / "musette.mid").string());
}

TEST(QtDialogs, TheBusyPointerDoesNotStackAndGivesWayToBoxes) {
  ui::QtDialogs dialogs;
  dialogs.set_busy(true);
  dialogs.set_busy(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  bool normal_during_box = false;
  when_modal([&](QWidget* w) {
    normal_during_box = QApplication::overrideCursor() == nullptr;
    qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
  });
  dialogs.message("Programmation terminée");
  EXPECT_TRUE(normal_during_box);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  dialogs.set_busy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace solmir::test
