#include "app/controls.h"

#include <algorithm>

namespace solmir {

void Control::set_enabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  notify();
}

void Control::set_visible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  notify();
}

int Control::subscribe(std::function<void()> observer) {
  observers_.emplace_back(next_id_, std::move(observer));
  return next_id_++;
}

void Control::unsubscribe(int id) {
  std::erase_if(observers_, [id](const auto& o) { return o.first == id; });
}

void Control::notify() {
  // Observers may subscribe or unsubscribe while being told; work on a copy.
  if (observers_.empty()) return;
  auto copy = observers_;
  for (auto& [id, f] : copy) f();
}

void CheckBox::set_value(bool v) {
  if (value_ == v) return;
  value_ = v;
  notify();
  if (on_change) on_change();
}

void CheckBox::set_caption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  notify();
}

void TextBox::set_text(std::string t) {
  if (text_ == t) return;
  text_ = std::move(t);
  notify();
  if (on_change) on_change();
}

void TextBox::set_highlight(std::uint32_t rgb) {
  if (highlight == rgb) return;
  highlight = rgb;
  notify();
}

void Button::set_caption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  notify();
}

void Button::click() {
  if (enabled() && on_click) on_click();
}

void ProgressBar::set_max(std::int64_t m) {
  if (max_ == m) return;
  max_ = m;
  notify();
}

void ProgressBar::set_value(std::int64_t v) {
  if (value_ == v) return;
  value_ = v;
  notify();
}

void Shape::set_color(std::uint32_t rgb) {
  if (color_ == rgb) return;
  color_ = rgb;
  notify();
}

void ComboBox::select(int i) {
  if (i < -1 || i >= static_cast<int>(entries_.size())) return;
  const bool changed = index_ != i;
  index_ = i;
  if (changed) notify();
  if (on_change) on_change();
}

void Window::set_caption(std::string c) {
  if (caption_ == c) return;
  caption_ = std::move(c);
  notify();
}

void Window::move(int l, int t) {
  left = l;
  top = t;
  notify();
}

void Window::resize(int w, int h) {
  width = w;
  height = h;
  notify();
}

}  // namespace solmir
