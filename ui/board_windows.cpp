#include "ui/board_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form1.h"
#include "ui/bindings.h"

namespace solmir::ui {

namespace {

// The fixed picture of the speed sensor: its body and its two pins, S1 on the left.
class SensorPicture : public QLabel {
 public:
  explicit SensorPicture(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override {
    const QFontMetrics m = fontMetrics();
    return {m.horizontalAdvance("S1") * 4, m.height() * 2};
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const qreal w = width(), h = height();
    p.setPen(QPen(ink, 1.2));
    p.setBrush(palette().color(QPalette::Mid));
    p.drawRoundedRect(QRectF(w * 0.1, 1, w * 0.8, h * 0.45), 3, 3);
    p.setBrush(ink);
    for (const qreal x : {w * 0.3, w * 0.7}) {
      p.drawLine(QPointF(x, h * 0.45 + 1), QPointF(x, h - 3));
      p.drawEllipse(QPointF(x, h - 3), 2, 2);
    }
  }
};

QGroupBox* frame(Label& caption, Bindings& b, QWidget* parent) {
  auto* g = new QGroupBox(parent);
  b.frame(caption, g);
  return g;
}

QLabel* label(Label& model, Bindings& b, QWidget* parent) {
  auto* l = new QLabel(parent);
  b.label(model, l);
  return l;
}

QCheckBox* check(CheckBox& model, Bindings& b, QWidget* parent) {
  auto* c = new QCheckBox(parent);
  b.check(model, c);
  return c;
}

QComboBox* combo(ComboBox& model, Bindings& b, QWidget* parent) {
  auto* c = new QComboBox(parent);
  b.combo(model, c);
  c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return c;
}

// A field for a number of three digits.
QLineEdit* number_field(TextBox& model, Bindings& b, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setMaximumWidth(e->fontMetrics().horizontalAdvance("00000") + 16);
  e->setAlignment(Qt::AlignRight);
  b.text(model, e);
  return e;
}

}  // namespace

Form9Window::Form9Window(Form1& form, Bindings& b, QWidget* parent)
    : QDialog(parent), form_(form), bindings_(b) {
  board::Form9& m = form.form9;

  // Speed sensor: the two pins, or one rising edge out of n, beside the sensor's picture.
  QGroupBox* sensor = frame(m.Frame1, b, this);
  auto* sensor_grid = new QGridLayout(sensor);
  sensor_grid->addWidget(check(m.Check5, b, sensor), 0, 0);
  sensor_grid->addWidget(check(m.Check6, b, sensor), 0, 1);
  auto* period = new QHBoxLayout;
  period->addWidget(label(m.Label1, b, sensor));
  QLabel* n_label = label(m.Label2, b, sensor);
  period->addWidget(n_label);
  QLineEdit* n = number_field(m.Text1, b, sensor);
  n_label->setBuddy(n);
  period->addWidget(n);
  period->addWidget(label(m.Label3, b, sensor));
  period->addStretch();
  sensor_grid->addLayout(period, 1, 0, 1, 2);
  auto* picture = new QVBoxLayout;
  auto* image = new SensorPicture(sensor);
  b.label(m.Image1, image);
  picture->addWidget(image, 0, Qt::AlignHCenter);
  auto* pins = new QHBoxLayout;
  pins->addStretch();
  pins->addWidget(label(m.Label_S1, b, sensor));
  pins->addStretch();
  pins->addWidget(label(m.Label_S2, b, sensor));
  pins->addStretch();
  picture->addLayout(pins);
  sensor_grid->addLayout(picture, 0, 2, 2, 1);
  sensor_grid->setColumnStretch(1, 1);

  // Relays: the output order table.
  QGroupBox* relays = frame(m.Frame2, b, this);
  auto* relays_row = new QHBoxLayout(relays);
  QLabel* order_label = label(m.Label4, b, relays);
  QComboBox* order = combo(m.Combo1, b, relays);
  order_label->setBuddy(order);
  relays_row->addWidget(order_label);
  relays_row->addWidget(order);
  relays_row->addStretch();

  // Commands sent by the board.
  QGroupBox* commands = frame(m.Frame3, b, this);
  auto* commands_col = new QVBoxLayout(commands);
  for (CheckBox* c : {&m.Check1, &m.Check2, &m.Check3})
    commands_col->addWidget(check(*c, b, commands));

  // MIDI: the output pin and the instruments.
  QGroupBox* midi = frame(m.Frame4, b, this);
  auto* midi_grid = new QGridLayout(midi);
  QLabel* out_label = label(m.Label5, b, midi);
  QComboBox* out = combo(m.Combo4, b, midi);
  out_label->setBuddy(out);
  QLabel* instruments_label = label(m.Label6, b, midi);
  QComboBox* instruments = combo(m.Combo2, b, midi);
  instruments_label->setBuddy(instruments);
  midi_grid->addWidget(out_label, 0, 0);
  midi_grid->addWidget(out, 0, 1);
  midi_grid->addWidget(instruments_label, 1, 0);
  midi_grid->addWidget(instruments, 1, 1);
  midi_grid->setColumnStretch(2, 1);

  // Radio sync.
  QGroupBox* radio = frame(m.Frame5, b, this);
  auto* radio_col = new QVBoxLayout(radio);
  radio_col->addWidget(check(m.Check4, b, radio));
  radio_col->addStretch();

  auto* valider = new QPushButton(this);
  valider->setDefault(true);
  b.button(m.Valider, valider);

  auto* grid = new QGridLayout;
  grid->addWidget(sensor, 0, 0, 1, 2);
  grid->addWidget(relays, 1, 0, 1, 2);
  grid->addWidget(commands, 2, 0);
  grid->addWidget(midi, 2, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(radio);
  bottom->addStretch();
  bottom->addWidget(valider, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
  qApp->installEventFilter(this);
}

bool Form9Window::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  // Once per key: at the widget the key goes to first (the focus widget, or the dialog).
  QWidget* focus = QApplication::focusWidget();
  if (w->window() != this || (focus ? w != focus : w != this)) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = key->modifiers();
  const int k = key->key();
  bindings_.guard().run("Clavier", [this, k, mods] {
    form_.Form9_KeyDown(k, mods.testFlag(Qt::AltModifier), mods.testFlag(Qt::ShiftModifier),
                        mods.testFlag(Qt::ControlModifier));
  });
  // The dialog's own shortcuts end there.
  return mods.testFlag(Qt::AltModifier) && (k == Qt::Key_Z || k == Qt::Key_O || k == Qt::Key_E);
}

Form5Window::Form5Window(board::Form5& m, Bindings& b, QWidget* parent) : QDialog(parent) {
  QLabel* text = label(m.Label1, b, this);
  QLineEdit* count = number_field(m.Text1, b, this);
  text->setBuddy(count);
  auto* modifier = new QPushButton(this);
  b.button(m.Command1, modifier);
  auto* row = new QHBoxLayout;
  row->addWidget(count);
  row->addStretch();
  row->addWidget(modifier);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
}

Form6Window::Form6Window(board::Form6& m, Bindings& b, QWidget* parent) : QDialog(parent) {
  auto* grid = new QGridLayout;
  QLabel* address_label = label(m.Label1, b, this);
  QLineEdit* address = number_field(m.adress, b, this);
  address_label->setBuddy(address);
  QLabel* value_label = label(m.Label2, b, this);
  QLineEdit* value = number_field(m.value, b, this);
  value_label->setBuddy(value);
  grid->addWidget(address_label, 0, 0);
  grid->addWidget(address, 0, 1);
  grid->addWidget(value_label, 1, 0);
  grid->addWidget(value, 1, 1);
  auto* read = new QPushButton(this);
  b.button(m.Command1, read);
  auto* write = new QPushButton(this);
  b.button(m.Command3, write);
  auto* unused = new QPushButton(this);
  b.button(m.Command2, unused);
  grid->addWidget(read, 0, 2);
  grid->addWidget(write, 1, 2);
  grid->addWidget(unused, 2, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  b.window(m.window, this, true);
}

}  // namespace solmir::ui
