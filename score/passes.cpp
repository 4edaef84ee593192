#include "score/passes.h"

#include <algorithm>
#include <iterator>
#include <numeric>

#include "base/numbers.h"

namespace solmir::score {

namespace {

constexpr std::size_t kProgressStep = 1024;

void report(const std::function<void(std::size_t)>& progress, std::size_t i, std::size_t n) {
  if (progress && (i % kProgressStep == 0 || i + 1 == n)) progress(i + 1);
}

using Order = std::vector<std::uint32_t>;

// The positions of the entries of the list (sorted by time, note, kind) ordered by note, then
// time, then note-off before note-on: a stable distribution by note keeps the rest of the
// order.
Order by_note(const NoteList& l) {
  Order order(l.size());
  if (l.empty()) return order;
  const auto [lo, hi] = std::minmax_element(
      l.begin(), l.end(), [](const NoteEvent& a, const NoteEvent& b) { return a.note < b.note; });
  const std::int64_t low = lo->note, range = std::int64_t{hi->note} - low + 1;
  if (range > 65536) {
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return l[a].note < l[b].note; });
    return order;
  }
  std::vector<std::uint32_t> start(static_cast<std::size_t>(range) + 1, 0);
  for (const NoteEvent& e : l) ++start[static_cast<std::size_t>(e.note - low) + 1];
  for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
  for (std::size_t i = 0; i < l.size(); ++i)
    order[start[static_cast<std::size_t>(l[i].note - low)]++] = static_cast<std::uint32_t>(i);
  return order;
}

// Sorts the list again after a pass changed the times of the entries at `moved`. The other
// entries are still in order: the moved ones are taken out, sorted and merged back in.
void restore_order(NoteList& l, std::vector<std::uint32_t>& moved) {
  if (moved.empty()) return;
  std::sort(moved.begin(), moved.end());
  NoteList out_of_place;
  out_of_place.reserve(moved.size());
  for (std::uint32_t i : moved) out_of_place.push_back(l[i]);
  std::size_t kept = 0, m = 0;
  for (std::size_t i = 0; i < l.size(); ++i) {
    if (m < moved.size() && moved[m] == i) {
      ++m;
    } else {
      l[kept++] = l[i];
    }
  }
  sort_notes(out_of_place);
  // Merge from the back, into the room the moved entries left.
  std::size_t i = kept, j = out_of_place.size(), k = l.size();
  while (j > 0) {
    if (i > 0 && out_of_place[j - 1] < l[i - 1]) {
      l[--k] = l[--i];
    } else {
      l[--k] = out_of_place[--j];
    }
  }
}

}  // namespace

PassResult separate_notes(NoteList Liste1, double S,
                          const std::function<void(std::size_t)>& progress) {
  const Order order = by_note(Liste1);
  std::vector<std::uint32_t> moved;
  PassResult r;
  const std::size_t n = order.size();
  bool have_on = false;  // a note-on of the current note was seen
  std::int64_t last_on = 0;
  std::int64_t previous_time = 0;  // of the entry before, as read
  for (std::size_t i = 0; i < n; ++i) {
    NoteEvent& p = Liste1[order[i]];
    const std::int64_t read = p.time;
    if (i > 0 && Liste1[order[i - 1]].note != p.note) have_on = false;
    if (!p.on && i + 1 < n) {
      const NoteEvent& next = Liste1[order[i + 1]];
      const std::int64_t gap = next.time - read;
      if (next.note == p.note && next.on && static_cast<double>(gap) <= S) {
        const std::int64_t g0 = i > 0 ? read - previous_time : 0;
        std::int64_t time = round_half_up(static_cast<double>(g0) > S
                                              ? static_cast<double>(read) - (S - double(gap))
                                              : static_cast<double>(read - 1));
        if (have_on) time = std::max(time, last_on + 1);
        time = std::max<std::int64_t>(time, 0);
        if (time < read) {
          ++r.count;
          p.time = time;
          moved.push_back(order[i]);
        }
      }
    }
    if (p.on) {
      have_on = true;
      last_on = read;
    }
    p.trailing_blank = false;
    previous_time = read;
    report(progress, i, n);
  }
  restore_order(Liste1, moved);
  r.Liste1 = std::move(Liste1);
  return r;
}

PassResult align_notes(NoteList Liste1, double A,
                       const std::function<void(std::size_t)>& progress) {
  // The chains are taken among the note-ons in order of time, then note: the list's own order.
  std::vector<std::uint32_t> moved;
  PassResult r;
  const std::size_t n = Liste1.size();
  bool in_chain = false;
  std::int64_t previous_on = 0, chain_start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    NoteEvent& p = Liste1[i];
    if (p.on) {
      const std::int64_t read = p.time;
      if (in_chain && static_cast<double>(read - previous_on) <= A) {
        ++r.count;
        if (read != chain_start) {
          p.time = chain_start;
          moved.push_back(static_cast<std::uint32_t>(i));
        }
      } else {
        in_chain = true;
        chain_start = read;
      }
      previous_on = read;
    }
    p.trailing_blank = false;
    report(progress, i, n);
  }
  restore_order(Liste1, moved);
  r.Liste1 = std::move(Liste1);
  return r;
}

std::string separation_message(const std::string& threshold_text) {
  return "Séparation des notes distantes de moins de " + threshold_text + " temps";
}

std::vector<std::string> separation_log(double S, std::int64_t count) {
  return {
      " ", "Séparation des notes",
      " Distance minimale définie dans Pré-traitements : " + str_num(S) + " temps de 1/240 s",
      str_num(count) + (count > 1 ? " séparations ont été effectuées" : " séparation effectuée")};
}

std::string alignment_message(const std::string& threshold_text) {
  return "Ré-alignement des notes décalées de " + threshold_text + " temps";
}

std::vector<std::string> alignment_log(double A, std::int64_t count) {
  return {" ", "Ré-alignement des débuts de notes décalés",
          " Décalage max défini dans Pré-traitements : " + str_num(A) + " temps de 1/240 s",
          str_num(count) +
              (count > 1 ? " Ré-alignements ont été effectués" : " ré-alignement effectué")};
}

}  // namespace solmir::score
