// Card programming over the link.
#include "board/programming.h"

#include <algorithm>
#include <utility>

#include "base/numbers.h"
#include "board/commands.h"

namespace solmir::board {

namespace {

// The bytes of a record: its digits eight at a time, each group a byte, first digit most
// significant. Nothing when the record is not `bytes` bytes of binary digits.
std::optional<std::string> record_to_bytes(const std::string& record, int bytes) {
  if (record.size() != static_cast<std::size_t>(bytes) * 8) return std::nullopt;
  std::string out;
  out.reserve(static_cast<std::size_t>(bytes));
  for (std::size_t i = 0; i < record.size(); i += 8) {
    int v = 0;
    for (std::size_t k = i; k < i + 8; ++k) {
      if (record[k] != '0' && record[k] != '1') return std::nullopt;
      v = v * 2 + (record[k] - '0');
    }
    out += static_cast<char>(v);
  }
  return out;
}

// The slot checks on the information block; false (after telling why, or after a No) when
// the piece must not be written.
bool slot_allows(const CardInfoBlock& b, bool slot_a, std::int64_t required, Prompts& prompts) {
  if (slot_a) {
    if (required > b.card_size - kReservedBytes) {
      prompts.tell(std::string(kMsgCardTooSmall) + "(" + str_num(b.card_size) + " octets)\r\n");
      return false;
    }
    const bool others = b.demo || b.has_b();
    if (b.has_a() && others) return prompts.ask_yes_no(kMsgAAndBThere);
    if (b.has_a()) return prompts.ask_yes_no(kMsgAThere);
    // A new piece A takes the card from its start: what is after it goes too.
    if (others) return prompts.ask_yes_no(kMsgBThere);
    return true;
  }
  if (!b.has_a()) {
    prompts.tell(kMsgNoPieceA);
    return false;
  }
  const std::int64_t room = b.card_size - b.room_a() - kReservedBytes;
  if (required > room) {
    prompts.tell(std::string(kMsgNoRoomB) + "(" + str_num(room) + " octets)\r\n");
    return false;
  }
  if (b.demo || b.has_b()) return prompts.ask_yes_no(kMsgBThere);
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> records_to_bytes(const std::vector<std::string>& records,
                                                         score::RecordLayout layout,
                                                         std::size_t& bad) {
  const int bytes = score::record_bytes(layout);
  std::vector<std::string> out;
  out.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    auto r = record_to_bytes(records[i], bytes);
    if (!r) {
      bad = i;
      return std::nullopt;
    }
    out.push_back(std::move(*r));
  }
  return out;
}

std::optional<std::string> piece_too_big(std::int64_t n, std::int64_t size) {
  if (n <= kMaxRecords && size <= kLargestCard) return std::nullopt;
  return std::string(kMsgPieceTooBig) + str_num(n) + " enregistrements," + str_num(size) +
         " octets (une carte en reçoit au plus" + str_num(kMaxRecords) + " et" +
         str_num(kLargestCard) + " octets)";
}

std::vector<std::string> data_lines(const std::vector<std::string>& records, int k) {
  std::vector<std::string> lines;
  if (records.empty() || k < 1) return lines;
  std::size_t next = 0;
  while (next < records.size()) {
    std::string line;
    for (int j = 0; j < k; ++j) {
      if (next < records.size()) ++next;
      line += records[next - 1];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> extra_note_bytes(const std::array<std::string, 3>& texts,
                                            std::string& bad) {
  std::string out;
  for (const std::string& t : texts) {
    const auto v = parse_number(t);
    const std::int64_t n = v ? round_half_even(*v) : -1;
    if (!v || n < 0 || n > 255) {
      bad = t;
      return std::nullopt;
    }
    out += static_cast<char>(n);
  }
  return out;
}

void send_title(Link& link, bool slot_a, const std::string& title,
                const std::optional<std::string>& extra_notes) {
  link.discard_buffers();
  link.send_word(slot_a ? cmd::TitrA : cmd::TitrB);
  const std::string t = fixed_text(title, 10);
  link.wait_letter("A");
  link.send_line(t.substr(0, 5));
  link.wait_letter("A");
  link.send_line(t.substr(5, 5) + extra_notes.value_or(std::string()));
  // The board does not answer this line: give it time to leave, and make sure the port was
  // still there to send it.
  link.pause(kTitleLeaveMs);
}

ProgramResult program_piece(Link& link, const ProgramRequest& rq, Prompts& prompts) {
  ProgramResult res;
  const score::RecordLayout layout = rq.demo ? score::RecordLayout::notes29 : rq.layout;
  std::size_t bad = 0;
  auto records = records_to_bytes(rq.records, layout, bad);
  if (!records) {
    res.outcome = ProgramOutcome::cancelled;
    res.message = kMsgBadRecord + std::to_string(bad + 1) + ")";
    return res;
  }
  if (records->empty()) {
    res.outcome = ProgramOutcome::cancelled;
    res.message = kMsgNothingToProgram;
    return res;
  }
  const auto n = static_cast<std::int64_t>(records->size());
  if (auto why = piece_too_big(
          n, std::max(rq.image_size, piece_size(n, layout == score::RecordLayout::notes42)))) {
    res.outcome = ProgramOutcome::too_big;
    res.message = *why;
    return res;
  }

  link.discard_buffers();
  const std::int64_t required = rq.image_size + 16;
  if (rq.demo) {
    if (!prompts.ask_yes_no(kMsgDemoQuestion)) {
      res.outcome = ProgramOutcome::cancelled;
      return res;
    }
    link.send_word(cmd::PRDCP);
    link.send_word(cmd::PRgCP);
  } else {
    link.send_word(rq.slot_a ? cmd::PRACP : cmd::PRBCP);
    CardInfoBlock& b = res.block;
    b.size_digit = link.wait_char();
    link.send_lf();
    const int d = size_digit_value(b.size_digit);
    if (d == 0) {
      prompts.tell(kMsgNoCard);
      link.send_word(cmd::NUuLL);
      link.send_lf();
      res.outcome = ProgramOutcome::no_card;
      return res;
    }
    b.card_size = card_size_for_digit(d);
    read_card_block_rest(link, b, res.titres);
    if (!slot_allows(b, rq.slot_a, required, prompts)) {
      link.send_word(cmd::NUuLL);
      res.outcome = ProgramOutcome::cancelled;
      return res;
    }
    link.send_word(cmd::PRgCP);
  }

  std::string_view signature = cmd::VELoR;
  int k = 14;
  if (rq.demo) {
    k = 1;
  } else if (layout == score::RecordLayout::notes42) {
    signature = cmd::VELOR;
    k = 10;
  } else if (layout == score::RecordLayout::notes32) {
    signature = cmd::VELor;
  }
  res.lines_per_block = k;
  prompts.progress_start(n);
  prompts.status(rq.demo ? kMsgProgrammingDemo : kMsgProgramming);

  // Each line waits for the board's "A", the last one too: the title goes out once the
  // board has written the last block.
  auto exchange = [&link](std::string_view line) {
    link.etat_A = false;
    link.send_line(line);
    link.wait_until([&link] { return link.etat_A; });
  };
  exchange(signature);
  exchange(zero_pad(n, 5));
  std::int64_t done = 0;
  for (const std::string& line : data_lines(*records, k)) {
    link.etat_A = false;
    link.send_line(line);
    prompts.progress(done);
    done += k;
    link.wait_until([&link] { return link.etat_A; });
  }
  prompts.progress(n);  // the end

  if (!rq.demo) send_title(link, rq.slot_a, rq.title, rq.extra_notes);
  res.outcome = ProgramOutcome::programmed;
  return res;
}

}  // namespace solmir::board
