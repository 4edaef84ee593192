// The drawing of a card preview: one routine paints it, for the preview window and for the
// pictures of the command line (PNG through a QImage, SVG through Qt SVG).
//
// From top to bottom: the ruler in millimetres of cardboard, the strip of the notes the scale
// drops (red), one row per output (highest output on top, labelled with its note), the ruler
// in seconds. Time runs left to right; the label column stays put while the time scrolls.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "score/preview.h"

namespace solmir::ui {

struct PreviewGeometry {
  static constexpr int kLabelWidth = 44;
  static constexpr int kRulerHeight = 18;
  static constexpr int kStripHeight = 10;
  static constexpr int kRowHeight = 10;
  static constexpr int kSecondsHeight = 18;
  static constexpr int kRightMargin = 12;

  double px_per_mm = 2.0;  // zoom
  double scroll_px = 0;    // pixels of time scrolled off to the left

  int height(const score::CardPreview& p) const;
  // The width that shows the whole piece at this zoom.
  double content_width(const score::CardPreview& p) const;
  double x_of(const score::CardPreview& p, std::int64_t ticks) const;
  std::int64_t ticks_at(const score::CardPreview& p, double x) const;
  int rows_top() const { return kRulerHeight + kStripHeight; }
  int row_top(const score::CardPreview& p, int output) const;
  // The zoom that fits the whole piece in `width` pixels.
  static double fit(const score::CardPreview& p, int width);
};

struct PreviewLook {
  bool stale = false;                  // greyed, with "Image à rafraîchir"
  std::optional<std::int64_t> cursor;  // a play position, in ticks
};

inline constexpr const char* kStaleCaption = "Image à rafraîchir";

void paint_card_preview(QPainter& painter, const score::CardPreview& p, const PreviewGeometry& g,
                        QSize size, const PreviewLook& look = {});

// The span under a point of the picture, if any.
std::optional<score::PreviewSpan> span_at(const score::CardPreview& p, const PreviewGeometry& g,
                                          QPointF point);
// "C3 : début 100,0 mm (0,42 s), longueur 15,0 mm (0,25 s)".
QString span_tooltip(const score::CardPreview& p, const score::PreviewSpan& s);

// The whole piece in a picture `width` pixels wide, as the window draws it fitted.
PreviewGeometry fitted_geometry(const score::CardPreview& p, int width);
QImage render_preview_image(const score::CardPreview& p, int width);
// Writes the SVG picture; false when the file cannot be written.
bool write_preview_svg(const score::CardPreview& p, int width, const QString& path);

}  // namespace solmir::ui
