#include "ui/render/card_preview_painter.h"

#include <QFont>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace solmir::ui {

namespace {

const QColor kBackground(255, 255, 255);
const QColor kRowStripe(244, 246, 250);
const QColor kBar(31, 78, 156);
const QColor kInitialDelay(214, 214, 214);
const QColor kFiller(224, 128, 0);
const QColor kLoop(32, 140, 48);
const QColor kDropped(208, 16, 16);
const QColor kText(40, 40, 40);
const QColor kCursor(200, 0, 120);

// A step of the ruler at least min_units long: 1, 2 or 5 times a power of ten.
double ruler_step(double min_units) {
  double p = 1e-3;
  while (true) {
    for (double m : {1.0, 2.0, 5.0})
      if (m * p >= min_units) return m * p;
    p *= 10;
  }
}

QString decimal(double v, int digits) {
  return QString::number(v, 'f', digits).replace('.', ',');
}

}  // namespace

int PreviewGeometry::height(const score::CardPreview& p) const {
  return rows_top() + static_cast<int>(p.rows.size()) * kRowHeight + kSecondsHeight;
}

double PreviewGeometry::content_width(const score::CardPreview& p) const {
  return kLabelWidth + p.millimetres(p.length) * px_per_mm + kRightMargin;
}

double PreviewGeometry::x_of(const score::CardPreview& p, std::int64_t ticks) const {
  return kLabelWidth + p.millimetres(ticks) * px_per_mm - scroll_px;
}

std::int64_t PreviewGeometry::ticks_at(const score::CardPreview& p, double x) const {
  const double mm = (x - kLabelWidth + scroll_px) / px_per_mm;
  return static_cast<std::int64_t>(std::floor(mm / p.timing.mm_per_tick));
}

int PreviewGeometry::row_top(const score::CardPreview& p, int output) const {
  return rows_top() + (static_cast<int>(p.rows.size()) - 1 - output) * kRowHeight;
}

double PreviewGeometry::fit(const score::CardPreview& p, int width) {
  const double mm = p.millimetres(p.length);
  const double room = width - kLabelWidth - kRightMargin;
  if (mm <= 0 || room <= 0) return 2.0;
  return room / mm;
}

PreviewGeometry fitted_geometry(const score::CardPreview& p, int width) {
  PreviewGeometry g;
  g.px_per_mm = PreviewGeometry::fit(p, width);
  return g;
}

void paint_card_preview(QPainter& painter, const score::CardPreview& p, const PreviewGeometry& g,
                        QSize size, const PreviewLook& look) {
  using G = PreviewGeometry;
  const int w = size.width();
  const int h = size.height();
  const int rows_top = g.rows_top();
  const int rows_bottom = rows_top + static_cast<int>(p.rows.size()) * G::kRowHeight;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(0, 0, w, h), kBackground);
  QFont font = painter.font();
  font.setPixelSize(9);
  painter.setFont(font);

  // Row stripes, under everything of the time area.
  for (const score::PreviewRow& r : p.rows)
    if (r.output % 2 == 1)
      painter.fillRect(QRect(0, g.row_top(p, r.output), w, G::kRowHeight), kRowStripe);

  painter.setClipRect(QRect(G::kLabelWidth, 0, w - G::kLabelWidth, h));
  const double x0 = g.x_of(p, 0);
  const double x_end = g.x_of(p, p.length);
  // The cardboard left before the piece begins.
  if (p.initial_delay > 0)
    painter.fillRect(QRectF(x0, rows_top, g.x_of(p, p.initial_delay) - x0, rows_bottom - rows_top),
                     kInitialDelay);

  // The "on" spans.
  for (const score::PreviewSpan& s : p.spans) {
    const double a = g.x_of(p, s.start);
    const double b = g.x_of(p, s.end);
    if (b < G::kLabelWidth || a > w) continue;
    painter.fillRect(QRectF(a, g.row_top(p, s.output) + 1, std::max(1.0, b - a), G::kRowHeight - 2),
                     kBar);
  }

  // Filler records: a thin dashed line where each takes effect.
  QPen filler_pen(kFiller, 1, Qt::DashLine);
  painter.setPen(filler_pen);
  for (const score::PreviewRecord& r : p.records) {
    if (!r.filler) continue;
    const double x = g.x_of(p, r.time);
    if (x < G::kLabelWidth || x > w) continue;
    painter.drawLine(QPointF(x, rows_top), QPointF(x, rows_bottom));
  }

  // The start pattern: the card is marked there and the looping comes back there.
  if (p.start_pattern && !p.records.empty()) {
    const double x = g.x_of(p, p.loop_start);
    painter.setPen(QPen(kLoop, 2));
    painter.drawLine(QPointF(x, G::kRulerHeight), QPointF(x, rows_bottom));
    QPolygonF flag;
    flag << QPointF(x, G::kRulerHeight) << QPointF(x + 8, G::kRulerHeight + 4)
         << QPointF(x, G::kRulerHeight + 8);
    painter.setBrush(kLoop);
    painter.drawPolygon(flag);
    painter.setBrush(Qt::NoBrush);
  }

  // The dropped notes, at their times, on their strip.
  for (const score::DroppedNote& d : p.dropped) {
    const double x = g.x_of(p, d.time);
    if (x < G::kLabelWidth - 2 || x > w) continue;
    painter.fillRect(QRectF(x, G::kRulerHeight + 1, 2, G::kStripHeight - 2), kDropped);
  }

  // The rulers: millimetres on top, seconds below.
  painter.setPen(kText);
  const double mm_step = ruler_step(56 / std::max(g.px_per_mm, 1e-6));
  const double length_mm = p.millimetres(p.length);
  const int mm_digits = mm_step < 1 ? 1 : 0;
  for (int i = 0;; ++i) {
    const double mm = i * mm_step;
    if (mm > length_mm + mm_step) break;
    const double x = G::kLabelWidth + mm * g.px_per_mm - g.scroll_px;
    if (x > w) break;
    if (x < G::kLabelWidth - 60) continue;
    painter.drawLine(QPointF(x, G::kRulerHeight - 5), QPointF(x, G::kRulerHeight));
    painter.drawText(QPointF(x + 2, G::kRulerHeight - 7), decimal(mm, mm_digits) + " mm");
  }
  const double px_per_s = g.px_per_mm * p.timing.mm_per_tick * p.timing.ticks_per_second;
  if (px_per_s > 0) {
    const double s_step = ruler_step(56 / px_per_s);
    const int s_digits = s_step < 1 ? 1 : 0;
    const double length_s = p.seconds(p.length);
    for (int i = 0;; ++i) {
      const double s = i * s_step;
      if (s > length_s + s_step) break;
      const double x = G::kLabelWidth + s * px_per_s - g.scroll_px;
      if (x > w) break;
      if (x < G::kLabelWidth - 60) continue;
      painter.drawLine(QPointF(x, rows_bottom), QPointF(x, rows_bottom + 5));
      painter.drawText(QPointF(x + 2, rows_bottom + 14), decimal(s, s_digits) + " s");
    }
  }
  // The end of the piece.
  if (x_end >= G::kLabelWidth && x_end <= w) {
    painter.setPen(QPen(kText, 1, Qt::DotLine));
    painter.drawLine(QPointF(x_end, rows_top), QPointF(x_end, rows_bottom));
  }
  if (look.cursor) {
    const double x = g.x_of(p, *look.cursor);
    painter.setPen(QPen(kCursor, 2));
    painter.drawLine(QPointF(x, 0), QPointF(x, rows_bottom));
  }

  // The labels, fixed at the left.
  painter.setClipping(false);
  painter.fillRect(QRect(0, 0, G::kLabelWidth, h), kBackground);
  for (const score::PreviewRow& r : p.rows) {
    const int y = g.row_top(p, r.output);
    if (r.output % 2 == 1) painter.fillRect(QRect(0, y, G::kLabelWidth, G::kRowHeight), kRowStripe);
    painter.setPen(kText);
    painter.drawText(QRect(2, y, G::kLabelWidth - 6, G::kRowHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(r.label));
  }
  painter.setPen(kDropped);
  painter.drawText(QRect(2, G::kRulerHeight, G::kLabelWidth - 6, G::kStripHeight),
                   Qt::AlignRight | Qt::AlignVCenter, "hors");
  painter.setPen(QColor(180, 180, 180));
  painter.drawLine(G::kLabelWidth - 1, 0, G::kLabelWidth - 1, rows_bottom);

  if (look.stale) {
    painter.fillRect(QRect(0, 0, w, h), QColor(255, 255, 255, 170));
    QFont big = painter.font();
    big.setPixelSize(16);
    big.setBold(true);
    painter.setFont(big);
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(QRect(0, 0, w, h), Qt::AlignCenter, kStaleCaption);
  }
  painter.restore();
}

std::optional<score::PreviewSpan> span_at(const score::CardPreview& p, const PreviewGeometry& g,
                                          QPointF point) {
  using G = PreviewGeometry;
  if (point.x() < G::kLabelWidth || point.y() < g.rows_top()) return std::nullopt;
  const int index = static_cast<int>((point.y() - g.rows_top()) / G::kRowHeight);
  const int output = static_cast<int>(p.rows.size()) - 1 - index;
  if (output < 0) return std::nullopt;
  for (const score::PreviewSpan& s : p.spans) {
    if (s.output != output) continue;
    const double a = g.x_of(p, s.start);
    const double b = std::max(a + 1, g.x_of(p, s.end));
    if (point.x() >= a && point.x() < b) return s;
  }
  return std::nullopt;
}

QString span_tooltip(const score::CardPreview& p, const score::PreviewSpan& s) {
  QString note = "-";
  for (const score::PreviewRow& r : p.rows)
    if (r.output == s.output) note = QString::fromStdString(r.label);
  const std::int64_t length = s.end - s.start;
  return QString("%1 (sortie %2) : début %3 mm (%4 s), longueur %5 mm (%6 s)")
      .arg(note)
      .arg(s.output)
      .arg(decimal(p.millimetres(s.start), 1))
      .arg(decimal(p.seconds(s.start), 2))
      .arg(decimal(p.millimetres(length), 1))
      .arg(decimal(p.seconds(length), 2));
}

QImage render_preview_image(const score::CardPreview& p, int width) {
  const PreviewGeometry g = fitted_geometry(p, width);
  QImage image(width, g.height(p), QImage::Format_RGB32);
  image.fill(kBackground);
  QPainter painter(&image);
  paint_card_preview(painter, p, g, image.size());
  painter.end();
  return image;
}

bool write_preview_svg(const score::CardPreview& p, int width, const QString& path) {
  const PreviewGeometry g = fitted_geometry(p, width);
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(width, g.height(p)));
  svg.setViewBox(QRect(0, 0, width, g.height(p)));
  svg.setTitle("Aperçu de la carte");
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  paint_card_preview(painter, p, g, QSize(width, g.height(p)));
  return painter.end();
}

}  // namespace solmir::ui
