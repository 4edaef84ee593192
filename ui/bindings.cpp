#include "ui/bindings.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QValidator>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/widgets.h"

namespace solmir::ui {

int twips_to_px(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int px_to_twips(int px, double dpi) {
  return static_cast<int>(std::lround(px * 1440.0 / dpi));
}

namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

// Buttons, actions and frames read '&' as a mnemonic mark: captions are shown as written.
QString literal(const std::string& s) {
  return qs(s).replace('&', "&&");
}

QColor rgb(std::uint32_t c) {
  return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

void common(Control& c, QWidget* w) {
  w->setObjectName(qs(c.name()));
  if (!c.tooltip().empty()) w->setToolTip(qs(c.tooltip()));
}

void mirror_state(const Control& c, QWidget* w) {
  w->setEnabled(c.enabled());
  if (w->isHidden() == c.visible()) w->setVisible(c.visible());
}

// The longest text the user may type; the program may put a longer text in the box, which
// the user can then shorten but not lengthen.
class MaxLengthValidator : public QValidator {
 public:
  MaxLengthValidator(const TextBox& box, QObject* parent) : QValidator(parent), box_(box) {}
  State validate(QString& input, int&) const override {
    const qsizetype before = qs(box_.text()).size();
    return input.size() <= box_.max_length || input.size() <= before ? Acceptable : Invalid;
  }

 private:
  const TextBox& box_;
};

// Keeps the model's position and size of a window in step with what the user does to it.
class WindowMirror : public QObject {
 public:
  WindowMirror(Window& model, QWidget* w, CommandGuard& guard, bool mirror_visible)
      : QObject(w), model_(model), widget_(w), guard_(guard), mirror_visible_(mirror_visible) {
    w->installEventFilter(this);
  }

  // From the model to the window.
  void update() {
    widget_->setWindowTitle(qs(model_.caption()));
    const double dpi = widget_->logicalDpiX();
    if (model_.width > 0 && model_.height > 0 &&
        (model_.width != applied_w_ || model_.height != applied_h_)) {
      applied_w_ = model_.width;
      applied_h_ = model_.height;
      widget_->resize(twips_to_px(model_.width, dpi), twips_to_px(model_.height, dpi));
    }
    if (model_.left != applied_l_ || model_.top != applied_t_) {
      applied_l_ = model_.left;
      applied_t_ = model_.top;
      widget_->move(on_screen(QPoint(twips_to_px(model_.left, dpi), twips_to_px(model_.top, dpi))));
    }
    if (!mirror_visible_) return;
    if (model_.visible() && !widget_->isVisible()) {
      widget_->show();
      widget_->raise();
      widget_->activateWindow();
    } else if (!model_.visible() && widget_->isVisible()) {
      widget_->hide();
    }
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    const double dpi = widget_->logicalDpiX();
    switch (e->type()) {
      case QEvent::Move:
        model_.left = applied_l_ = px_to_twips(widget_->x(), dpi);
        model_.top = applied_t_ = px_to_twips(widget_->y(), dpi);
        break;
      case QEvent::Resize:
        // A window held wider or taller than the model asked by what it must show (large
        // fonts) keeps the model's size: only the user's own resizing changes it.
        if (!held_by_minimum(widget_->width(), widget_->minimumWidth(), model_.width, dpi))
          model_.width = applied_w_ = px_to_twips(widget_->width(), dpi);
        if (!held_by_minimum(widget_->height(), widget_->minimumHeight(), model_.height, dpi))
          model_.height = applied_h_ = px_to_twips(widget_->height(), dpi);
        break;
      case QEvent::Hide:
        // Closed by the user (close box, Escape); minimising does not count.
        if (mirror_visible_ && !e->spontaneous() && model_.visible())
          guard_.run(model_.caption(), [this] { model_.hide(); });
        break;
      default:
        break;
    }
    return false;
  }

 private:
  static bool held_by_minimum(int px, int minimum_px, int model_twips, double dpi) {
    return px == minimum_px && twips_to_px(model_twips, dpi) < minimum_px;
  }

  // A dialog placed above or left of the screen (beside a window near the edge) is moved back
  // onto it.
  QPoint on_screen(QPoint p) const {
    QScreen* screen = widget_->screen() ? widget_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return p;
    const QRect area = screen->availableGeometry();
    const QSize size = widget_->frameGeometry().size();
    p.setX(std::max(area.left(), std::min(p.x(), area.right() - size.width())));
    p.setY(std::max(area.top(), std::min(p.y(), area.bottom() - size.height())));
    return p;
  }

  Window& model_;
  QWidget* widget_;
  CommandGuard& guard_;
  bool mirror_visible_;
  // Where the model last put the window: the model's first position (0, 0) is no place of its
  // own, the window system places the window until the model moves it.
  int applied_l_ = model_.left, applied_t_ = model_.top;
  int applied_w_ = 0, applied_h_ = 0;
};

}  // namespace

Bindings::~Bindings() {
  for (auto& [control, id] : subscriptions_) control->unsubscribe(id);
}

void Bindings::watch(Control& control, std::function<void()> update) {
  update();
  subscriptions_.emplace_back(&control, control.subscribe(std::move(update)));
}

void Bindings::check(CheckBox& box, QAbstractButton* w) {
  common(box, w);
  w->setCheckable(true);
  auto update = [&box, w] {
    const QSignalBlocker block(w);
    w->setText(literal(box.caption()));
    w->setChecked(box.value());
    mirror_state(box, w);
  };
  watch(box, update);
  QObject::connect(w, &QAbstractButton::clicked, w, [this, &box, update](bool on) {
    guard_.run(box.caption().empty() ? box.name() : box.caption(),
               [&box, on] { box.set_value(on); });
    // The box's rules may have decided otherwise.
    update();
  });
}

void Bindings::text(TextBox& box, QLineEdit* w) {
  common(box, w);
  if (box.max_length > 0) w->setValidator(new MaxLengthValidator(box, w));
  const QPalette normal = w->palette();
  watch(box, [&box, w, normal] {
    const QSignalBlocker block(w);
    const QString t = qs(box.text());
    if (w->text() != t) {
      w->setText(t);
      // A text the program puts in is shown from its start.
      w->setCursorPosition(0);
    }
    if (box.highlight == 0) {
      w->setPalette(normal);
    } else {
      QPalette p = normal;
      p.setColor(QPalette::Base, rgb(box.highlight));
      w->setPalette(p);
    }
    mirror_state(box, w);
  });
  QObject::connect(w, &QLineEdit::textEdited, w, [this, &box](const QString& t) {
    guard_.run(box.name(), [&box, t] { box.set_text(t.toStdString()); });
  });
}

void Bindings::combo(ComboBox& box, QComboBox* w) {
  common(box, w);
  {
    const QSignalBlocker block(w);
    w->clear();
    for (const std::string& e : box.entries()) w->addItem(qs(e));
  }
  auto update = [&box, w] {
    const QSignalBlocker block(w);
    w->setCurrentIndex(box.index());
    mirror_state(box, w);
  };
  watch(box, update);
  // activated: a choice of the user, also of the entry already shown.
  QObject::connect(w, &QComboBox::activated, w, [this, &box, update](int i) {
    guard_.run(box.name(), [&box, i] { box.select(i); });
    // The list's rules may have put another entry back.
    update();
  });
}

void Bindings::button(Button& button, QAbstractButton* w) {
  common(button, w);
  watch(button, [&button, w] {
    w->setText(literal(button.caption()));
    mirror_state(button, w);
  });
  QObject::connect(w, &QAbstractButton::clicked, w, [this, &button] {
    guard_.run(button.caption(), [&button] { button.click(); });
  });
}

void Bindings::label(Label& label, QLabel* w) {
  common(label, w);
  if (w->textFormat() == Qt::AutoText) w->setTextFormat(Qt::PlainText);
  watch(label, [&label, w] {
    w->setText(qs(label.caption()));
    mirror_state(label, w);
  });
  if (auto* clickable = qobject_cast<ClickableLabel*>(w))
    QObject::connect(clickable, &ClickableLabel::clicked, w,
                     [this, &label] { guard_.run(label.caption(), [&label] { label.click(); }); });
}

void Bindings::frame(Label& caption, QGroupBox* w) {
  common(caption, w);
  watch(caption, [&caption, w] {
    w->setTitle(literal(caption.caption()));
    mirror_state(caption, w);
  });
}

void Bindings::action(MenuEntry& entry, QAction* a) {
  action(entry, a, [this, &entry] { guard_.run(entry.caption(), [&entry] { entry.click(); }); });
}

void Bindings::action(MenuEntry& entry, QAction* a, std::function<void()> instead) {
  a->setObjectName(qs(entry.name()));
  if (!entry.tooltip().empty()) a->setToolTip(qs(entry.tooltip()));
  watch(entry, [&entry, a] {
    a->setText(literal(entry.caption()));
    a->setEnabled(entry.enabled());
    a->setVisible(entry.visible());
  });
  QObject::connect(a, &QAction::triggered, a, [&entry, instead] {
    if (entry.enabled()) instead();
  });
}

void Bindings::progress(ProgressBar& bar, QProgressBar* w) {
  common(bar, w);
  w->setMinimum(0);
  watch(bar, [&bar, w] {
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    // A maximum of 0 would make Qt's bar spin as "busy": an empty bar shows it better.
    const std::int64_t max = std::clamp<std::int64_t>(bar.max(), 1, kMax);
    const std::int64_t value = std::clamp<std::int64_t>(bar.value(), 0, max);
    w->setMaximum(static_cast<int>(max));
    w->setValue(static_cast<int>(value));
    mirror_state(bar, w);
  });
}

void Bindings::shape(Shape& shape, ShapeWidget* w) {
  common(shape, w);
  watch(shape, [&shape, w] {
    w->set_fill_color(rgb(shape.color()));
    mirror_state(shape, w);
  });
}

void Bindings::messages(TextBox& box, MessagesView* w) {
  common(box, w);
  watch(box, [&box, w] {
    w->show_text(box.text());
    mirror_state(box, w);
  });
}

void Bindings::window(Window& window, QWidget* w, bool mirror_visible) {
  w->setObjectName(qs(window.name()));
  auto* mirror = new WindowMirror(window, w, guard_, mirror_visible);
  QPointer<QWidget> alive(w);
  watch(window, [mirror, alive] {
    if (alive) mirror->update();
  });
}

}  // namespace solmir::ui
