#include "score/note_list.h"

#include <algorithm>

#include "base/numbers.h"

namespace solmir::score {

std::string render(const NoteEvent& e) {
  std::string s = zero_pad(e.time, 7);
  s += ' ';
  append_fixed_field(s, e.note, 5);
  s += e.on ? " NOTE" : " NOOF";
  if (e.trailing_blank) s += ' ';
  return s;
}

void sort_notes(NoteList& list) {
  // Events that compare equal are equal in every field, so an in-place sort gives the list a
  // stable sort gives, faster and without the stable sort's buffer (16 MB for a million notes).
  std::sort(list.begin(), list.end());
}

}  // namespace solmir::score
