// The road of a MIDI file as pure functions: bytes and options in, the note event list (with
// its counts) out, without any listing kept; what the command line and the window run.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "midi/listing.h"
#include "score/extraction.h"
#include "score/note_list.h"

namespace solmir::score {

struct ReadOptions {
  std::array<bool, 16> ticked{};  // the boxes of MIDI channels 1 to 16 (none: all channels)
  double vitesse = 60;            // mm/s
  double pas_ech = 0.25;          // mm per tick, not 0
  Transposition shift{};          // semitones added to every kept note (0: none)
};

struct NotesRead {
  midi::ListingResult listing;  // how the reading ended; its listing holds no line
  ExtractionResult notes;       // the note event list, sorted
};

// Reads the file and takes its notes while the listing is made (no line is kept).
// progress(consumed, total) follows the bytes read.
NotesRead read_notes(std::string_view bytes, const std::string& chemin_midi, const ReadOptions& o,
                     const std::function<void(std::size_t, std::size_t)>& progress = {});

// The file gave no note pair: there is nothing to build a card image from.
inline bool no_note(const ExtractionResult& r) {
  return r.pairs == 0;
}
inline constexpr const char* kMsgNoNote = "Aucune note retenue dans ce fichier : ";

// Messages of the road, said alike by the window and the command line.
inline constexpr const char* kMsgUnreadableMidi = "Impossible de lire le fichier midi : ";
inline constexpr const char* kMsgDisassembly = "Désassemblage du fichier midi";
inline constexpr const char* kMsgStopped = "Traitement interrompu : ";
inline constexpr const char* kMsgZeroStep = "Le pas d'échantillonnage ne peut pas être nul";
inline constexpr const char* kMsgBadDelay = "Délai initial non valide : ";

// The date and time a reading starts, as the log writes it.
std::string started_text();

// The log block of a reading: "Traitement de : ...", the time it started, the three counts.
std::vector<std::string> extraction_log(const std::string& chemin_midi, const std::string& started,
                                        const ExtractionResult& r);

// The lines of the note event list, each followed by '\n', appended to out; with flush, out
// is handed to it and emptied whenever it holds 64 KiB or more (what is left stays in out).
using LineFlush = std::function<void(const std::string&)>;
void append_note_lines(const NoteList& list, std::string& out, const LineFlush& flush = {});

}  // namespace solmir::score
