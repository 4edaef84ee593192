#include "score/passes.h"

#include <algorithm>
#include <numeric>

#include "app/numbers.h"

namespace solmir::score {

namespace {

constexpr std::size_t kProgressStep = 1024;

void report(const std::function<void(std::size_t)>& progress, std::size_t i, std::size_t n) {
  if (progress && (i % kProgressStep == 0 || i + 1 == n)) progress(i + 1);
}

// The entries of the list in the order of the pass's scratch list.
template <class Less>
std::vector<std::size_t> scratch_order(const NoteList& l, Less less) {
  std::vector<std::size_t> order(l.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return less(l[a], l[b]); });
  return order;
}

NoteEvent output(const NoteEvent& e, std::int64_t time) {
  return {time, e.note, e.on, false};
}

}  // namespace

PassResult separate_notes(const NoteList& Liste1, double S,
                          const std::function<void(std::size_t)>& progress) {
  // By note, then time, then note-off before note-on.
  const auto order = scratch_order(Liste1, [](const NoteEvent& a, const NoteEvent& b) {
    if (a.note != b.note) return a.note < b.note;
    if (a.time != b.time) return a.time < b.time;
    return !a.on && b.on;
  });
  PassResult r;
  r.Liste1.reserve(Liste1.size());
  const std::size_t n = order.size();
  bool have_on = false;  // a note-on of the current note was seen
  std::int64_t last_on = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const NoteEvent& p = Liste1[order[i]];
    if (i > 0 && Liste1[order[i - 1]].note != p.note) have_on = false;
    std::int64_t time = p.time;
    if (!p.on && i + 1 < n) {
      const NoteEvent& next = Liste1[order[i + 1]];
      const std::int64_t gap = next.time - p.time;
      if (next.note == p.note && next.on && static_cast<double>(gap) <= S) {
        const std::int64_t g0 = i > 0 ? p.time - Liste1[order[i - 1]].time : 0;
        const double moved = static_cast<double>(g0) > S
                                 ? static_cast<double>(p.time) - (S - static_cast<double>(gap))
                                 : static_cast<double>(p.time - 1);
        time = round_half_up(moved);
        if (have_on) time = std::max(time, last_on + 1);
        time = std::max<std::int64_t>(time, 0);
        if (time < p.time) {
          ++r.count;
        } else {
          time = p.time;
        }
      }
    }
    if (p.on) {
      have_on = true;
      last_on = p.time;
    }
    r.Liste1.push_back(output(p, time));
    report(progress, i, n);
  }
  sort_notes(r.Liste1);
  return r;
}

PassResult align_notes(const NoteList& Liste1, double A,
                       const std::function<void(std::size_t)>& progress) {
  // Every note-off first by time, then every note-on by time, then note.
  const auto order = scratch_order(Liste1, [](const NoteEvent& a, const NoteEvent& b) {
    if (a.on != b.on) return !a.on;
    if (a.time != b.time) return a.time < b.time;
    return a.note < b.note;
  });
  PassResult r;
  r.Liste1.reserve(Liste1.size());
  const std::size_t n = order.size();
  bool in_chain = false;
  std::int64_t previous_on = 0, chain_start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const NoteEvent& p = Liste1[order[i]];
    std::int64_t time = p.time;
    if (p.on) {
      if (in_chain && static_cast<double>(p.time - previous_on) <= A) {
        time = chain_start;
        ++r.count;
      } else {
        in_chain = true;
        chain_start = p.time;
      }
      previous_on = p.time;
    }
    r.Liste1.push_back(output(p, time));
    report(progress, i, n);
  }
  sort_notes(r.Liste1);
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
          " Décalage max définie dans Pré-traitements : " + str_num(A) + " temps de 1/240 s",
          str_num(count) +
              (count > 1 ? " Ré-alignements ont été effectués" : " ré-alignement effectué")};
}

}  // namespace solmir::score
