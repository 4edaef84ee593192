// "Aperçu de la carte": the current card image drawn as the organ plays it, zoomable and
// scrollable, following the image (rebuilt with it, greyed while it is stale).
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "score/preview.h"
#include "ui/render/card_preview_painter.h"

class QLabel;
class QScrollBar;

namespace solmir {
class Form1;
}

namespace solmir::ui {

class Bindings;

// The drawing itself: the painter routine at the window's zoom and scroll.
class PreviewCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewCanvas(QWidget* parent = nullptr);
  void set_preview(const score::CardPreview* p) { preview_ = p; }
  PreviewGeometry geometry_now;
  PreviewLook look;
  QSize sizeHint() const override;

 signals:
  // Ctrl+wheel: steps of zoom (positive: in), at a point of the canvas.
  void zoom_requested(int steps, double at_x);
  void scroll_requested(int pixels);

 protected:
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent* e) override;
  bool event(QEvent* e) override;

 private:
  const score::CardPreview* preview_ = nullptr;
};

class PreviewWindow : public QWidget {
  Q_OBJECT
 public:
  PreviewWindow(Form1& form, Bindings& bindings, QWidget* parent = nullptr);

  // Draws the image of the model anew (called when it is rebuilt, read back or turns stale).
  void refresh();
  // A play position to show as a moving cursor, in ticks; nothing hides it.
  void set_cursor_tick(std::optional<std::int64_t> tick);

  double zoom() const { return canvas_->geometry_now.px_per_mm; }
  void zoom_by(int steps, double at_x = -1);
  void fit();
  const score::CardPreview& preview() const { return preview_; }
  bool stale() const { return canvas_->look.stale; }
  PreviewCanvas* canvas() const { return canvas_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void update_scroll();

  Form1& form_;
  score::CardPreview preview_;
  PreviewCanvas* canvas_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QLabel* summary_ = nullptr;
  bool fitted_ = true;  // keeps fitting the window's width until the user zooms
};

}  // namespace solmir::ui
