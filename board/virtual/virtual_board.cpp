#include "board/virtual/virtual_board.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "board/commands.h"

namespace solmir::board::virt {

namespace {

constexpr char kErased = static_cast<char>(0xFF);

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

int digits_value(const std::string& s) {
  int v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v;
}

bool is_three_digits(std::string_view s) {
  return s.size() == 3 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

VirtualBoard::VirtualBoard(BoardOptions options) : options_(std::move(options)) {
  params_.fill(0xFF);
  eeprom_.fill(0xFF);
  odometer_ = options_.odometer;
  const auto& file = options_.card_file;
  const bool file_exists = !file.empty() && std::filesystem::exists(file);
  bool changed = !file.empty() && !file_exists;
  if (options_.size_code != 0) {
    if (file_exists) {
      Card c = Card::load(file);
      if (options_.size_code_given && options_.size_code != c.size_code()) {
        if (!options_.empty_card)
          throw std::runtime_error("La carte " + file.string() + " a le code de taille " +
                                   std::to_string(c.size_code()) + ", pas " +
                                   std::to_string(options_.size_code));
        c = Card(options_.size_code);
      }
      card_ = std::move(c);
    } else {
      card_ = Card(options_.size_code);
    }
    if (options_.empty_card) {
      card_->erase();
      changed = true;
    }
    for (const PieceSpec& p : options_.pieces) {
      card_->put_piece(p.slot, p.format, p.count, p.title);
      changed = true;
    }
  }
  dirty_ = changed;
  save_card();
}

VirtualBoard::~VirtualBoard() {
  try {
    save_card();
  } catch (...) {
  }
}

Card& VirtualBoard::card() {
  return card_ ? *card_ : stand_in_;
}

void VirtualBoard::save_card() {
  if (!dirty_ || !card_ || options_.card_file.empty()) return;
  card_->save(options_.card_file);
  dirty_ = false;
}

void VirtualBoard::reset() {
  in_.clear();
  mode_ = Mode::idle;
  stream_.clear();
  selected_ = 0;
  writing_ = 0;
  save_card();
}

char VirtualBoard::size_digit() const {
  return card_ ? static_cast<char>('0' + card_->size_code()) : '0';
}

void VirtualBoard::receive(std::string_view bytes, double at_ms) {
  if (gone_) return;
  now_ = std::max(now_, at_ms);
  in_ += bytes;
  pump();
}

void VirtualBoard::answer(std::string bytes, double work_ms) {
  if (silent_ || gone_) return;
  ++answers_;
  if (answers_ == options_.wrong_answer_at) bytes = options_.wrong_answer;
  const double start = std::max(now_ + options_.answer_delay_ms + work_ms, tx_free_);
  const double end =
      start + (options_.pace_link ? static_cast<double>(bytes.size()) * kByteMs : 0.0);
  tx_free_ = end;
  if (on_output) on_output(BoardOutput{std::move(bytes), end, false});
}

void VirtualBoard::line_done(const std::string& line) {
  lines_.push_back(line);
  const int n = static_cast<int>(lines_.size());
  if (options_.silent_after_lines >= 0 && n > options_.silent_after_lines) silent_ = true;
}

void VirtualBoard::pump() {
  while (!gone_) {
    if (options_.disconnect_after_lines >= 0 &&
        static_cast<int>(lines_.size()) >= options_.disconnect_after_lines) {
      gone_ = true;
      save_card();
      if (on_output) on_output(BoardOutput{{}, std::max(now_, tx_free_), true});
      return;
    }
    if (in_.empty()) return;
    if (mode_ == Mode::idle) {
      const auto lf = in_.find(cmd::LF);
      if (lf == std::string::npos) {
        if (in_.size() > 256) in_.clear();  // noise without an end
        return;
      }
      const std::string line = in_.substr(0, lf);
      in_.erase(0, lf + 1);
      line_done(line);
      if (!line.empty()) command(line);
    } else if (mode_ == Mode::stream) {
      if (in_[0] != cmd::LF) {
        // A new command: the stream is abandoned.
        stream_.clear();
        mode_ = Mode::idle;
        continue;
      }
      in_.erase(0, 1);
      line_done("");
      if (!stream_.empty()) {
        Unit u = std::move(stream_.front());
        stream_.pop_front();
        answer(std::move(u.bytes), u.work_ms);
      }
      if (stream_.empty()) mode_ = Mode::idle;
    } else {
      std::string line;
      const std::size_t n = expect_.length;
      if (expect_.title_tail && in_.size() >= n + 1 && in_[n] == cmd::LF) {
        line = in_.substr(0, n);
        in_.erase(0, n + 1);
      } else {
        const std::size_t full = n + (expect_.title_tail ? 3 : 0);
        if (in_.size() < full + 1) return;
        line = in_.substr(0, full);
        if (in_[full] == cmd::LF) {
          in_.erase(0, full + 1);
        } else {
          // Not ended where it should be: the rest up to the next LF is dropped.
          const auto lf = in_.find(cmd::LF, full);
          if (lf == std::string::npos) return;
          in_.erase(0, lf + 1);
        }
      }
      mode_ = Mode::idle;
      auto handler = std::move(expect_.on_line);
      line_done(line);
      handler(line);
    }
  }
}

void VirtualBoard::expect(std::size_t length, std::function<void(const std::string&)> on_line,
                          bool title_tail) {
  mode_ = Mode::data;
  expect_ = Expect{length, title_tail, std::move(on_line)};
}

void VirtualBoard::expect_lines(int n, std::function<void(const std::string&)> each,
                                std::function<void()> at_end) {
  if (n <= 0) {
    at_end();
    return;
  }
  expect(5, [this, n, each, at_end](const std::string& line) {
    each(line);
    answer("A");
    if (n == 1) {
      at_end();
    } else {
      expect_lines(n - 1, each, at_end);
    }
  });
}

void VirtualBoard::start_stream(std::vector<Unit> units) {
  if (units.empty()) return;
  Unit first = std::move(units.front());
  stream_.assign(std::make_move_iterator(units.begin() + 1), std::make_move_iterator(units.end()));
  mode_ = stream_.empty() ? Mode::idle : Mode::stream;
  answer(std::move(first.bytes), first.work_ms);
}

std::vector<VirtualBoard::Unit> VirtualBoard::info_units() {
  std::vector<Unit> u;
  u.push_back({std::string(1, size_digit())});
  if (!card_) return u;
  const Card& c = *card_;
  auto group = [&](Slot slot, const char* letter42, const char* letter_other) {
    const auto p = c.piece(slot);
    if (!p) {
      u.push_back({"A"});
      return;
    }
    u.push_back({p->format == Format::notes42 ? letter42 : letter_other});
    u.push_back({c.read(p->address + 5, 5)});
  };
  group('A', "E", "B");
  group('D', "C", "C");
  group('B', "F", "D");
  const std::string ta = c.title('A'), tb = c.title('B');
  for (const std::string* t : {&ta, &tb}) {
    u.push_back({t->substr(0, 5)});
    u.push_back({t->substr(5, 5)});
  }
  return u;
}

std::vector<VirtualBoard::Unit> VirtualBoard::copy_units(Slot slot) {
  std::vector<Unit> u;
  u.push_back({std::string(1, size_digit())});
  if (!card_) return u;
  const Card& c = *card_;
  const auto p = c.piece(slot);
  if (!p) {
    u.push_back({"A"});
    return u;
  }
  const char* letter = p->format == Format::notes42   ? "E"
                       : p->format == Format::notes32 ? "D"
                                                      : "C";
  const std::size_t r = record_bytes(p->format);
  const std::string count = c.read(p->address + 5, 5);
  u.push_back({letter});
  u.push_back({count});
  u.push_back({padded(c.read(p->address, 5), r)});
  u.push_back({padded(count, r)});
  for (int i = 0; i < p->count; ++i) u.push_back({c.record(*p, i)});
  const std::string tail = padded(std::string(r, kErased) + c.title(slot) + c.notes(slot), 20);
  for (std::size_t k = 0; k < 20; k += 5) u.push_back({tail.substr(k, 5)});
  return u;
}

std::vector<VirtualBoard::Unit> VirtualBoard::work_units(int steps, bool test) {
  std::vector<Unit> u;
  u.push_back({std::string(1, size_digit())});
  if (!card_) return u;
  card_->erase();
  dirty_ = true;
  save_card();
  double step_ms = 0;
  if (options_.card_timing) {
    const double units = 128.0 * static_cast<double>(1 << (card_->size_code() - 1));
    step_ms = units * (test ? 0.0244 : 0.0097) * 1000.0 / steps;
  }
  const bool fails = test && options_.defective;
  for (int s = 1; s <= steps; ++s) {
    if (fails && s == options_.defect_at_step) {
      u.push_back({"8", step_ms});
      return u;
    }
    u.push_back({"5", step_ms});
  }
  u.push_back({fails ? "8" : "7"});
  return u;
}

void VirtualBoard::start_programming() {
  writing_ = selected_;
  selected_ = 0;
  expect(5, [this](const std::string& sig) {
    const auto f = format_of_signature(sig);
    if (!f) {
      writing_ = 0;
      return;
    }
    format_ = *f;
    per_line_ = writing_ == 'D' ? 1 : (*f == Format::notes42 ? 10 : 14);
    if (card_) {
      card_->remove_after(writing_);
      address_ = card_->address_of(writing_);
      card_->write(address_, sig);
      dirty_ = true;
    }
    answer("A");
    expect(5, [this](const std::string& count) {
      count_ = digits_value(count);
      if (card_) card_->write(address_ + 5, count);
      answer("A");
      stored_ = 0;
      lines_left_ = (count_ + per_line_ - 1) / per_line_;
      if (lines_left_ == 0) {
        writing_ = 0;
        save_card();
        return;
      }
      expect(static_cast<std::size_t>(per_line_) * record_bytes(format_),
             [this](const std::string& l) { data_line(l); });
    });
  });
}

void VirtualBoard::data_line(const std::string& bytes) {
  const std::size_t r = record_bytes(format_);
  for (int k = 0; k < per_line_ && stored_ < count_; ++k, ++stored_) {
    if (card_)
      card_->write(address_ + 10 + r * static_cast<std::size_t>(stored_),
                   bytes.substr(r * static_cast<std::size_t>(k), r));
  }
  double work = 0;
  if (options_.card_timing)
    work = static_cast<double>(bytes.size()) * (writing_ == 'D' ? 5.0 : 1000.0 / 1800.0);
  answer("A", work);
  if (--lines_left_ > 0) {
    expect(static_cast<std::size_t>(per_line_) * r, [this](const std::string& l) { data_line(l); });
  } else {
    writing_ = 0;
    save_card();
  }
}

void VirtualBoard::command(const std::string& w) {
  namespace c = cmd;
  auto set_param = [this](int byte, std::uint8_t v) {
    params_[static_cast<std::size_t>(byte - 1)] = v;
    answer("A");
  };
  if (w == c::NUuLL) {
    selected_ = 0;
  } else if (w == c::VErSO) {
    if (options_.version_letter != 0) answer(std::string(1, options_.version_letter));
  } else if (w == c::INfCP) {
    start_stream(info_units());
  } else if (w == c::PRACP || w == c::PRBCP) {
    start_stream(info_units());
    selected_ = card_ ? (w == c::PRACP ? 'A' : 'B') : 0;
  } else if (w == c::PRDCP) {
    selected_ = 'D';
  } else if (w == c::PRgCP) {
    if (selected_ != 0) start_programming();
  } else if (w == c::TitrA || w == c::TitrB) {
    const Slot slot = w == c::TitrA ? 'A' : 'B';
    answer("A");
    expect(5, [this, slot](const std::string& first) {
      answer("A");
      expect(
          5,
          [this, slot, first](const std::string& rest) {
            if (!card_) return;
            card_->set_title(slot, first + rest.substr(0, 5));
            card_->set_notes(slot, rest.size() >= 8 ? std::optional<std::string_view>(
                                                          std::string_view(rest).substr(5, 3))
                                                    : std::nullopt);
            dirty_ = true;
            save_card();
          },
          true);
    });
  } else if (w == c::CPyCP || w == c::CPYCP) {
    start_stream(copy_units(w == c::CPyCP ? 'A' : 'B'));
  } else if (w == c::DElCP) {
    start_stream(work_units(25, false));
  } else if (w == c::TStCP) {
    start_stream(work_units(50, true));
  } else if (w == c::LEcPA) {
    answer(std::string(params_.begin(), params_.end()));
  } else if (w == c::INiPA) {
    params_.fill(0xFF);
    order_table_.clear();
    instruments_.clear();
    answer("A");
  } else if (w == c::EFsOR) {
    order_table_.clear();
    set_param(3, 0xFF);
  } else if (w == c::TAChD) {
    set_param(1, 0xFF);
  } else if (w == c::TACh2) {
    set_param(1, 0x55);
  } else if (w == c::TACh4) {
    set_param(1, 0xAA);
  } else if (w == c::EFiNS) {
    instruments_.clear();
    set_param(4, 0xFF);
  } else if (w == c::NFmON) {
    set_param(5, 0x00);
  } else if (w == c::NFmOF) {
    set_param(5, 0xFF);
  } else if (w == c::CDeRM) {
    set_param(6, 0xFF);
  } else if (w == c::CDeRE) {
    set_param(6, 0x55);
  } else if (w == c::MUtRE) {
    set_param(6, 0x33);
  } else if (w == c::CDeMI) {
    set_param(6, 0xAA);
  } else if (w == c::MUtMI) {
    set_param(6, 0x77);
  } else if (w == c::MUtRM) {
    set_param(6, 0x99);
  } else if (w == c::SMiD9) {
    set_param(7, 0xFF);
  } else if (w == c::SMiTX) {
    set_param(7, 0xAA);
  } else if (w == c::TAChX) {
    answer("A");
    expect(5, [this](const std::string& line) {
      params_[0] = 0x99;
      params_[1] = static_cast<std::uint8_t>(line[0]);
      answer("A");
    });
  } else if (w == c::PRsOR || w == c::PRSOR || w == c::INsTR) {
    const bool instr = w == c::INsTR;
    const int n = instr ? 2 : (w == c::PRsOR ? 7 : 10);
    auto table = std::make_shared<std::vector<std::uint8_t>>();
    answer("A");
    expect_lines(
        n, [table](const std::string& l) { table->insert(table->end(), l.begin(), l.end()); },
        [this, table, instr, w] {
          if (instr) {
            const bool none =
                std::all_of(table->begin(), table->end(), [](std::uint8_t b) { return b == 0; });
            instruments_ = *table;
            params_[3] = none ? 0x63 : 0x4F;
          } else {
            order_table_ = *table;
            params_[2] = w == cmd::PRsOR ? 0x64 : 0x44;
          }
        });
  } else if (w == c::INtOD) {
    answer(std::string(1, static_cast<char>(odometer_)));
  } else if (w.size() == 5 && is_three_digits(std::string_view(w).substr(2))) {
    const int v = digits_value(w.substr(2));
    const std::string_view head = std::string_view(w).substr(0, 2);
    if (head == c::Od) {
      odometer_ = static_cast<std::uint8_t>(v & 0xFF);
      answer("A");
    } else if (head == c::rd) {
      last_address_ = v % 1024;
      answer(std::string(1, static_cast<char>(eeprom_[static_cast<std::size_t>(last_address_)])));
    } else if (head == c::wr) {
      eeprom_[static_cast<std::size_t>(last_address_)] = static_cast<std::uint8_t>(v & 0xFF);
      answer("A");
    }
  }
}

}  // namespace solmir::board::virt
