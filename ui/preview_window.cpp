#include "ui/preview_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/form1.h"
#include "ui/bindings.h"

namespace solmir::ui {

namespace {
constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.01;  // pixels per millimetre
constexpr double kMaxZoom = 64;
}  // namespace

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName("apercu_dessin");
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PreviewCanvas::sizeHint() const {
  return QSize(640, preview_ ? geometry_now.height(*preview_) : 200);
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  if (!preview_) return;
  QPainter painter(this);
  paint_card_preview(painter, *preview_, geometry_now, size(), look);
}

void PreviewCanvas::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
  if (e->modifiers().testFlag(Qt::ControlModifier)) {
    if (delta != 0) emit zoom_requested(delta > 0 ? 1 : -1, e->position().x());
  } else {
    emit scroll_requested(-delta);
  }
  e->accept();
}

bool PreviewCanvas::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && preview_) {
    auto* help = static_cast<QHelpEvent*>(e);
    const auto s = span_at(*preview_, geometry_now, help->pos());
    if (s) {
      QToolTip::showText(help->globalPos(), span_tooltip(*preview_, *s), this);
    } else {
      QToolTip::hideText();
      e->ignore();
    }
    return true;
  }
  return QWidget::event(e);
}

PreviewWindow::PreviewWindow(Form1& form, Bindings& bindings, QWidget* parent)
    : QWidget(parent, Qt::Window), form_(form) {
  // The space bar plays the card (or stops it), as "Écouter" does.
  auto* play = new QShortcut(QKeySequence(Qt::Key_Space), this);
  play->setContext(Qt::WindowShortcut);
  connect(play, &QShortcut::activated, this, [this] { form_.Ecouter.click(); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  auto* tools = new QHBoxLayout;
  auto* minus = new QPushButton("−", this);
  minus->setObjectName("zoom_moins");
  minus->setToolTip("Réduire (Ctrl+-)");
  auto* plus = new QPushButton("+", this);
  plus->setObjectName("zoom_plus");
  plus->setToolTip("Agrandir (Ctrl++)");
  auto* fit_button = new QPushButton("Ajuster", this);
  fit_button->setObjectName("Ajuster");
  fit_button->setToolTip("Toute la carte dans la largeur de la fenêtre");
  summary_ = new QLabel(this);
  summary_->setObjectName("apercu_resume");
  tools->addWidget(minus);
  tools->addWidget(plus);
  tools->addWidget(fit_button);
  tools->addWidget(summary_, 1);
  // The transposition of the kept notes, beside the red strip of the notes it drops.
  auto* shift_label = new QLabel("Transposition", this);
  shift_label->setObjectName("label_Transposition");
  auto* shift = new QLineEdit(this);
  shift->setFixedWidth(shift->fontMetrics().horizontalAdvance("-00") + 14);
  shift->setAlignment(Qt::AlignRight);
  bindings.text(form_.Transposition, shift);
  shift_label->setBuddy(shift);
  auto* best = new QPushButton(this);
  bindings.button(form_.Meilleure_transposition, best);
  tools->addWidget(shift_label);
  tools->addWidget(shift);
  tools->addWidget(best);
  layout->addLayout(tools);
  canvas_ = new PreviewCanvas(this);
  canvas_->set_preview(&preview_);
  layout->addWidget(canvas_);
  scroll_ = new QScrollBar(Qt::Horizontal, this);
  scroll_->setObjectName("apercu_defilement");
  layout->addWidget(scroll_);
  layout->addStretch();

  connect(minus, &QPushButton::clicked, this, [this] { zoom_by(-1); });
  connect(plus, &QPushButton::clicked, this, [this] { zoom_by(1); });
  connect(fit_button, &QPushButton::clicked, this, [this] { fit(); });
  connect(canvas_, &PreviewCanvas::zoom_requested, this,
          [this](int steps, double x) { zoom_by(steps, x); });
  connect(canvas_, &PreviewCanvas::scroll_requested, this,
          [this](int px) { scroll_->setValue(scroll_->value() + px); });
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
    canvas_->geometry_now.scroll_px = v;
    canvas_->update();
  });

  bindings.window(form_.Apercu_window, this, true);
  QPointer<PreviewWindow> alive(this);
  form_.image_observers.push_back([alive] {
    if (alive) alive->refresh();
  });
  refresh();
  // Wide enough to read, as tall as the rows of the 27/29-note scale need.
  resize(900, sizeHint().height());
}

void PreviewWindow::refresh() {
  preview_ = form_.card_preview();
  canvas_->look.stale = form_.card_image_stale();
  canvas_->setFixedHeight(canvas_->geometry_now.height(preview_));
  const auto records = static_cast<long long>(preview_.records.size());
  QString text =
      preview_.records.empty()
          ? QString("Pas d'image de carte")
          : QString("%1 enregistrements, %2 mm de carton, %3 s")
                .arg(records)
                .arg(QString::number(preview_.millimetres(preview_.length), 'f', 0))
                .arg(QString::number(preview_.seconds(preview_.length), 'f', 1).replace('.', ','));
  if (form_.image_from_card()) text += " (lue sur la carte)";
  if (!preview_.dropped.empty())
    text += QString(", %1 notes hors gamme").arg(static_cast<long long>(preview_.dropped.size()));
  summary_->setText(text);
  if (fitted_) {
    fit();
  } else {
    update_scroll();
  }
  canvas_->update();
}

void PreviewWindow::set_cursor_tick(std::optional<std::int64_t> tick) {
  canvas_->look.cursor = tick;
  canvas_->update();
}

void PreviewWindow::zoom_by(int steps, double at_x) {
  PreviewGeometry& g = canvas_->geometry_now;
  if (at_x < PreviewGeometry::kLabelWidth) at_x = PreviewGeometry::kLabelWidth;
  // The millimetre under at_x stays under it.
  const double mm = (at_x - PreviewGeometry::kLabelWidth + g.scroll_px) / g.px_per_mm;
  g.px_per_mm = std::clamp(g.px_per_mm * std::pow(kZoomStep, steps), kMinZoom, kMaxZoom);
  fitted_ = false;
  update_scroll();
  scroll_->setValue(
      static_cast<int>(std::lround(mm * g.px_per_mm - (at_x - PreviewGeometry::kLabelWidth))));
  canvas_->update();
}

void PreviewWindow::fit() {
  canvas_->geometry_now.px_per_mm =
      std::clamp(PreviewGeometry::fit(preview_, canvas_->width()), kMinZoom, kMaxZoom);
  fitted_ = true;
  update_scroll();
  scroll_->setValue(0);
  canvas_->update();
}

void PreviewWindow::update_scroll() {
  const PreviewGeometry& g = canvas_->geometry_now;
  const double over = g.content_width(preview_) - canvas_->width();
  scroll_->setRange(0, over > 0 ? static_cast<int>(std::ceil(over)) : 0);
  scroll_->setPageStep(std::max(1, canvas_->width() - PreviewGeometry::kLabelWidth));
  scroll_->setSingleStep(20);
  canvas_->geometry_now.scroll_px = scroll_->value();
}

void PreviewWindow::keyPressEvent(QKeyEvent* e) {
  // Ctrl++ (or Ctrl+=, the same key without Shift), Ctrl+- and Ctrl+0 ("Ajuster").
  if (e->modifiers().testFlag(Qt::ControlModifier)) {
    if (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal) {
      zoom_by(1);
      return;
    }
    if (e->key() == Qt::Key_Minus) {
      zoom_by(-1);
      return;
    }
    if (e->key() == Qt::Key_0) {
      fit();
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

void PreviewWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (fitted_) {
    fit();
  } else {
    update_scroll();
  }
}

}  // namespace solmir::ui
