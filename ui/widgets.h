// The few widgets the window needs beyond Qt's own: a label that can be clicked, the link-state
// lamp, a path label that shortens itself to its room, and the service messages view.
#pragma once

#include <QColor>
#include <QLabel>
#include <QTextEdit>
#include <QWidget>
#include <string>

namespace solmir::ui {

// A label that reports a click (the "Port COM" label starts the port scan; the About box's
// link opens the web page).
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickableLabel(QWidget* parent = nullptr) : QLabel(parent) {}

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The round lamp `Shape1`: its fill colour shows the link state.
class ShapeWidget : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor fillColor READ fill_color)
 public:
  explicit ShapeWidget(QWidget* parent = nullptr);
  QColor fill_color() const { return color_; }
  void set_fill_color(const QColor& c);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_;
};

// A label for a file path: text() keeps the whole path, the view elides its middle when the
// room is short, so that the file name stays readable.
class PathLabel : public QLabel {
  Q_OBJECT
 public:
  explicit PathLabel(QWidget* parent = nullptr);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The service messages: multi-line, read-only, always scrolled to its end. Shows the program's
// text (lines ended by CR LF) with its closing line end dropped, so that the last message sits
// on the last line of the view. Scrolls by pixels, so that the last line is always whole at the
// bottom whatever the height of the view.
class MessagesView : public QTextEdit {
  Q_OBJECT
 public:
  explicit MessagesView(QWidget* parent = nullptr);
  void show_text(const std::string& text);

 private:
  void scroll_to_end();
  QString shown_;
};

}  // namespace solmir::ui
