// The card image as a Standard MIDI File: format 1, one track, 120 ticks per quarter note at
// 500000 microseconds per quarter note, so that a MIDI tick is a card tick of 1/240 s and the
// record delays are copied as they are. Each output that changes in a record gives a note-on
// or a note-off on channel 1 of the note the output plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/inpout.h"
#include "score/record_format.h"

namespace solmir::midi {

// Appends one byte per pair of upper-case hexadecimal digits of text ("00 FF 2F 00": the
// pairs stand at every third character) and counts them in nb_octets_ecrits.
void write_string(std::string& file, std::string_view text, std::int32_t& nb_octets_ecrits);
// Writes the pairs of text over the bytes from offset 18 on (the track length).
void write_string_nb_oct(std::string& file, std::string_view text);

// A delta time as hexadecimal pairs of a variable-length quantity ("3C", "83 10").
// At most 0x0FFFFFFF.
std::string delta_text(std::uint32_t ticks);

inline constexpr const char* kMsgExportDone = "Sauvegarde au format midi effectuée";
inline constexpr const char* kMsgExportFailed =
    "Échec de la sauvegarde au format midi : impossible d'écrire ";
inline constexpr const char* kMsgExportSkipped =
    " lignes de la liste ne sont pas des enregistrements de carte : "
    "elles ont été ignorées";

struct MidiExport {
  std::string bytes;                  // the whole file
  std::int32_t nb_octets_ecrits = 0;  // bytes of the track from offset 22 on
  std::size_t skipped_lines = 0;      // lines that are not records of the layout
};

// records: the lines of the card image, read in the given layout and mapped through table.
// A line that is not a record of the layout (wrong length, other characters than 0 and 1) is
// skipped. An output whose table entry is not a MIDI note (0, or above 127) gives no event.
// after_line(i) runs after each line.
MidiExport card_image_to_midi(const std::vector<std::string>& records, score::RecordLayout layout,
                              const NoteTable& table,
                              const std::function<void(std::size_t)>& after_line = {});

}  // namespace solmir::midi
