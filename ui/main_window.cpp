#include "ui/main_window.h"

#include <QTimer>

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/form1.h"
#include "ui/board_windows.h"
#include "ui/form_windows.h"
#include "ui/preview_window.h"
#include "ui/qt_card_player.h"
#include "ui/widgets.h"

namespace solmir::ui {

namespace {

constexpr const char* kStartUp = "Démarrage";
constexpr const char* kPostedTask = "tâche différée";

// Group frames keep their content close: the window is small.
void tighten(QLayout* l) {
  l->setContentsMargins(6, 2, 6, 4);
  l->setSpacing(4);
}

QGroupBox* group(const char* caption, const char* name, QWidget* parent) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  return g;
}

// A box for a short number, as wide as `sample` typed in it.
QLineEdit* short_box(const char* sample, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(sample) + 10);
  return e;
}

// The key code the model reads: Qt's codes of letters and digits are their upper-case
// characters ('A' for a, with or without Shift); other keys keep Qt's code.
int model_key(const QKeyEvent* e) {
  return e->key();
}

}  // namespace

MainWindow::MainWindow(Form1& form, QWidget* parent)
    : QMainWindow(parent), form_(form), guard_(form), bindings_(guard_) {
  build_menus();
  setCentralWidget(build_central());
  form2_ = new Form2Window(form_.form2, bindings_, this);
  form3_ = new Form3Window(form_.form3, form_, bindings_, this);
  form4_ = new Form4Window(form_.form4, bindings_, this);
  form8_ = new Form8Window(form_.form8, bindings_, this);
  form9_ = new Form9Window(form_, bindings_, this);
  form5_ = new Form5Window(form_.form5, bindings_, this);
  form6_ = new Form6Window(form_.form6, bindings_, this);
  preview_ = new PreviewWindow(form_, bindings_, this);
  // While the card plays, its cursor moves in the preview.
  form_.on_play_position = [this](std::optional<std::int64_t> tick) {
    preview_->set_cursor_tick(tick);
  };
  bindings_.window(form_.window, this, false);
  qApp->installEventFilter(this);
  card_player_ = new QtCardPlayer(this);
  form_.card_player = card_player_;
}

MainWindow::~MainWindow() {
  form_.on_play_position = nullptr;
  card_player_->stop();
  form_.card_player = nullptr;
}

void MainWindow::build_menus() {
  Form1& f = form_;
  QMenu* fichier = menuBar()->addMenu("Fichier");
  fichier->setObjectName("Fichier");
  bindings_.action(f.Ouvre_midi, fichier->addAction(QString()));
  bindings_.action(f.Sauve_midi, fichier->addAction(QString()));
  bindings_.action(f.Ecoute_carte, fichier->addAction(QString()));
  build_sound_menu(fichier->addMenu("Son"));
  bindings_.action(f.traite_midi, fichier->addAction(QString()));
  QAction* apercu = fichier->addAction(QString());
  bindings_.action(f.Apercu, apercu);
  apercu->setShortcut(QKeySequence("Ctrl+P"));
  fichier->addSeparator()->setObjectName("separe00");
  bindings_.action(f.quitter, fichier->addAction(QString()), [this] { quit(); });

  QMenu* outils = menuBar()->addMenu("Outils");
  outils->setObjectName("Programmation");
  QMenu* atmega = outils->addMenu(QString());
  atmega->setObjectName("Atmega328");
  bindings_.action(f.Atmega328, atmega->menuAction(), [] {});
  for (MenuEntry* e : {&f.Prog_Uno, &f.Prog_Duemilanove, &f.Prog_Nano, &f.Prog_Nano_N})
    bindings_.action(*e, atmega->addAction(QString()));
  bindings_.action(f.fenetre_params, outils->addAction(QString()));
  bindings_.action(f.Prog_demo, outils->addAction(QString()));
  bindings_.action(f.option32N, outils->addAction(QString()));

  // "?" is an entry of the menu bar itself.
  bindings_.action(f.apropos, menuBar()->addAction(QString()));
}

// The organ sound of "Écouter": one ticked entry of the list `Son`.
void MainWindow::build_sound_menu(QMenu* menu) {
  ComboBox& son = form_.Son;
  menu->setObjectName("Son");
  menu->setToolTip(QString::fromStdString(son.tooltip()));
  menu->setToolTipsVisible(true);
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  std::vector<QAction*> entries;
  for (std::size_t i = 0; i < son.entries().size(); ++i) {
    QAction* a = menu->addAction(QString::fromStdString(son.entries()[i]));
    a->setObjectName(QString("Son_%1").arg(i));
    a->setCheckable(true);
    group->addAction(a);
    entries.push_back(a);
    connect(a, &QAction::triggered, this, [this, i] {
      guard_.run(form_.Son.name(), [this, i] { form_.Son.select(static_cast<int>(i)); });
    });
  }
  bindings_.watch(son, [&son, entries] {
    const int chosen = son.index() < 0 ? 0 : son.index();
    for (std::size_t i = 0; i < entries.size(); ++i)
      entries[i]->setChecked(static_cast<int>(i) == chosen);
  });
}

QWidget* MainWindow::build_card_operations() {
  Form1& f = form_;
  QGroupBox* g = group("Opérations sur la carte", "cadre_carte", nullptr);
  auto* grid = new QGridLayout(g);
  tighten(grid);
  Button* buttons[4] = {&f.Infos_carte, &f.Effacer_carte, &f.Tester_carte, &f.Copier_carte};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QPushButton(g);
    bindings_.button(*buttons[i], b);
    grid->addWidget(b, i, 0);
  }
  return g;
}

QWidget* MainWindow::build_programmer() {
  Form1& f = form_;
  QGroupBox* g = group("Programmateur", "cadre_programmateur", nullptr);
  auto* grid = new QGridLayout(g);
  tighten(grid);
  grid->setHorizontalSpacing(6);

  // Column 0: the port and its lamp, the title, the progress and the time estimate.
  auto* port_label = new ClickableLabel(g);
  bindings_.label(f.Label2, port_label);
  // A click on the label looks for the board on every port.
  port_label->setToolTip("Cliquer pour rechercher le port de la carte");
  auto* port = short_box("000", g);
  bindings_.text(f.port, port);
  port_label->setBuddy(port);
  auto* lamp = new ShapeWidget(g);
  bindings_.shape(f.Shape1, lamp);
  auto* title_label = new QLabel(g);
  bindings_.label(f.Label3, title_label);
  auto* title = new QLineEdit(g);
  title->setFixedWidth(title->fontMetrics().averageCharWidth() * 10 + 10);
  bindings_.text(f.Titre, title);
  title_label->setBuddy(title);
  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(4);
  fields->setVerticalSpacing(4);
  fields->addWidget(port_label, 0, 0);
  auto* port_row = new QHBoxLayout;
  port_row->setSpacing(6);
  port_row->addWidget(port);
  port_row->addWidget(lamp);
  port_row->addStretch();
  fields->addLayout(port_row, 0, 1);
  fields->addWidget(title_label, 1, 0);
  fields->addWidget(title, 1, 1);
  grid->addLayout(fields, 0, 0, 2, 1);

  auto* bar = new QProgressBar(g);
  bar->setTextVisible(false);
  bar->setFixedHeight(bar->fontMetrics().height());
  bar->setMinimumWidth(bar->fontMetrics().averageCharWidth() * 6);
  bindings_.progress(f.gauge1, bar);
  auto* time = short_box("00000", g);
  time->setReadOnly(true);
  time->setAlignment(Qt::AlignRight);
  bindings_.text(f.Text1, time);
  auto* bar_row = new QHBoxLayout;
  bar_row->setSpacing(4);
  bar_row->addWidget(bar, 1);
  bar_row->addWidget(time);
  grid->addLayout(bar_row, 2, 0);

  // Columns 1 and 2: the scale, the piece, and the programming button.
  auto* m42 = new QCheckBox(g);
  bindings_.check(f.mode42, m42);
  auto* m32 = new QCheckBox(g);
  bindings_.check(f.Option32, m32);
  grid->addWidget(m42, 0, 1);
  grid->addWidget(m32, 1, 1);
  // The piece choice: a pair of which exactly one is ticked (the model keeps the rule).
  auto* a = new QRadioButton(g);
  auto* b = new QRadioButton(g);
  a->setAutoExclusive(false);
  b->setAutoExclusive(false);
  bindings_.check(f.choixa, a);
  bindings_.check(f.choixb, b);
  grid->addWidget(a, 0, 2);
  grid->addWidget(b, 1, 2);
  auto* programmer = new QPushButton(g);
  bindings_.button(f.programmer, programmer);
  // "Écouter" beside it, sharing the width the scale and piece boxes leave.
  auto* listen = new QPushButton(g);
  bindings_.button(f.Ecouter, listen);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(2);
  buttons->addWidget(programmer, 3);
  buttons->addWidget(listen, 2);
  grid->addLayout(buttons, 2, 1, 1, 2);
  grid->setColumnStretch(0, 1);
  return g;
}

QWidget* MainWindow::build_parameters() {
  Form1& f = form_;
  QGroupBox* g = group("Paramètres", "cadre_parametres", nullptr);
  auto* grid = new QGridLayout(g);
  tighten(grid);
  struct Row {
    const char* caption;
    const char* name;
    const char* tip;
    TextBox* box;
  } rows[4] = {{"Vitesse (mm/s)", "label_vitesse", "Vitesse de défilement du carton", &f.vitesse},
               {"Pas (mm)", "label_Pas_ech", "Avance du carton pendant un temps", &f.Pas_ech},
               {"Délai (mm)", "label_Delai_init", "Carton laissé avant le début d'un morceau",
                &f.Delai_init},
               {"Délai démo (mm)", "label_Delai_init_demo",
                "Carton laissé avant le début de la démo", &f.Delai_init_demo}};
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(rows[i].caption, g);
    label->setObjectName(rows[i].name);
    label->setToolTip(rows[i].tip);
    auto* box = short_box("0.000", g);
    box->setAlignment(Qt::AlignRight);
    bindings_.text(*rows[i].box, box);
    label->setBuddy(box);
    grid->addWidget(label, i, 0);
    grid->addWidget(box, i, 1);
  }
  return g;
}

QWidget* MainWindow::build_channels() {
  Form1& f = form_;
  QGroupBox* g = group("Canaux midi", "cadre_canaux", nullptr);
  auto* grid = new QGridLayout(g);
  tighten(grid);
  grid->setVerticalSpacing(0);
  grid->setHorizontalSpacing(0);
  for (int i = 0; i < 16; ++i) {
    auto* number = new QLabel(g);
    bindings_.label(f.num_canal(i), number);
    number->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    auto* box = new QCheckBox(g);
    bindings_.check(f.Midi_channel(i), box);
    box->setToolTip(QString("Canal midi %1").arg(i + 1));
    grid->addWidget(number, 0, i, Qt::AlignHCenter);
    grid->addWidget(box, 1, i, Qt::AlignHCenter);
  }
  auto* path = new PathLabel(g);
  bindings_.label(f.Label4, path);
  // The preview of the card image made from that file, at the end of its line.
  auto* apercu = new QPushButton(g);
  bindings_.button(f.Apercu_carte, apercu);
  grid->addWidget(path, 2, 0, 1, 12);
  grid->addWidget(apercu, 2, 12, 1, 4);
  return g;
}

QWidget* MainWindow::build_messages() {
  QGroupBox* g = group("Messages de service", "cadre_messages", nullptr);
  auto* layout = new QVBoxLayout(g);
  tighten(layout);
  auto* view = new MessagesView(g);
  bindings_.messages(form_.Label_defautP, view);
  layout->addWidget(view);
  view->setMinimumHeight(view->fontMetrics().lineSpacing() * 2 + 8);
  return g;
}

QWidget* MainWindow::build_central() {
  auto* central = new QWidget(this);
  central->setObjectName("central");
  auto* columns = new QHBoxLayout(central);
  columns->setContentsMargins(6, 4, 6, 6);
  columns->setSpacing(6);
  // Left: what a piece needs, and the messages below; right: the card and the cardboard.
  auto* left = new QVBoxLayout;
  left->setSpacing(4);
  left->addWidget(build_programmer());
  left->addWidget(build_channels());
  left->addWidget(build_messages(), 1);
  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  right->addWidget(build_card_operations());
  right->addWidget(build_parameters());
  right->addStretch();
  columns->addLayout(left, 1);
  columns->addLayout(right);
  return central;
}

void MainWindow::start(const QString& midi_file) {
  // The link's step runs once the window is up: a port scan then shows its progress.
  form_.connect_at_start = false;
  guard_.run(kStartUp, [this] { form_.Form_Load(); });
  show();
  guard_.run(kStartUp, [this] { form_.start_link(); });
  if (!midi_file.isEmpty()) open_midi(midi_file);
}

void MainWindow::open_midi(const QString& path) {
  const std::string full = QFileInfo(path).absoluteFilePath().toStdString();
  guard_.run(form_.Ouvre_midi.caption(), [this, full] {
    form_.chemin_midi = full;
    form_.recharger_fichier = true;
    form_.Ouvre_midi_Click();
  });
}

void MainWindow::run_guarded(const std::function<void()>& task) {
  guard_.run(kPostedTask, task);
}

void MainWindow::quit() {
  if (quit_done_) return;
  // A card operation running: asked first; on Yes it is stopped, and the quit comes back
  // once it has ended.
  const bool may = form_.quit_pending ? !form_.board_operation_running() : form_.ask_quit();
  if (!may) {
    if (form_.quit_pending) QTimer::singleShot(50, this, [this] { quit(); });
    return;
  }
  quit_done_ = true;
  guard_.run(form_.quitter.caption(), [this] { form_.quitter_Click(); });
  for (QWidget* w :
       {static_cast<QWidget*>(form2_), static_cast<QWidget*>(form3_), static_cast<QWidget*>(form4_),
        static_cast<QWidget*>(form8_), static_cast<QWidget*>(form9_), static_cast<QWidget*>(form5_),
        static_cast<QWidget*>(form6_), static_cast<QWidget*>(preview_)})
    w->hide();
  close();
  QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  quit();
  if (quit_done_) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  // Once per key: at the widget the key goes to first (the focus widget, or the window).
  QWidget* focus = QApplication::focusWidget();
  if (w->window() != this || (focus ? w != focus : w != this)) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = key->modifiers();
  bool shortcut = false;
  guard_.run("Clavier", [this, key, mods, &shortcut] {
    shortcut =
        form_.Form_KeyDown(model_key(key), mods.testFlag(Qt::AltModifier),
                           mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier));
  });
  // A shortcut's letter is not typed into the control that has the focus.
  return shortcut;
}

}  // namespace solmir::ui
