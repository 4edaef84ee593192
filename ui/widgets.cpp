#include "ui/widgets.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTextCursor>

namespace solmir::ui {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}

ShapeWidget::ShapeWidget(QWidget* parent) : QWidget(parent), color_(Qt::red) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ShapeWidget::set_fill_color(const QColor& c) {
  if (c == color_) return;
  color_ = c;
  update();
}

QSize ShapeWidget::sizeHint() const {
  const int d = fontMetrics().height();
  return {d, d};
}

void ShapeWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = std::min(width(), height()) - 2;
  const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
  p.setPen(QPen(palette().color(QPalette::WindowText), 1));
  p.setBrush(color_);
  p.drawEllipse(r);
}

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize PathLabel::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

QSize PathLabel::sizeHint() const {
  return {fontMetrics().averageCharWidth() * 30, QLabel::sizeHint().height()};
}

void PathLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width());
  style()->drawItemText(&p, r, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                        foregroundRole());
}

namespace {

// The program's text as the view shows it.
QString displayed(const std::string& text) {
  QString t = QString::fromStdString(text);
  t.replace("\r\n", "\n");
  t.replace('\r', '\n');
  if (t.endsWith('\n')) t.chop(1);
  return t;
}

}  // namespace

MessagesView::MessagesView(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setUndoRedoEnabled(false);
  document()->setDocumentMargin(2);
}

void MessagesView::show_text(const std::string& text) {
  const QString t = displayed(text);
  if (t == shown_) return;
  if (!shown_.isEmpty() && t.startsWith(shown_)) {
    // An appended message: only the new lines are laid out.
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    c.insertText(t.mid(shown_.size()));
  } else {
    setPlainText(t);
  }
  shown_ = t;
  scroll_to_end();
}

void MessagesView::scroll_to_end() {
  QTextCursor c = textCursor();
  c.movePosition(QTextCursor::End);
  setTextCursor(c);
  ensureCursorVisible();
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

}  // namespace solmir::ui
