// Note event lists written briefly in tests: {time, note, on} triples, sorted as the list is.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "score/note_list.h"

namespace solmir::test {

struct Ev {
  std::int64_t time;
  int note;
  bool on;
};

inline score::NoteList list_of(std::initializer_list<Ev> events) {
  score::NoteList l;
  for (const Ev& e : events) l.push_back({e.time, e.note, e.on, true});
  score::sort_notes(l);
  return l;
}

}  // namespace solmir::test
