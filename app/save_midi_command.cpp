// "Sauver fichier Midi...": the card image held in Liste_tran written as a MIDI file.
#include <filesystem>

#include "app/form1.h"
#include "base/file_write.h"
#include "base/numbers.h"
#include "midi/export.h"

namespace solmir {

namespace {

constexpr const char* kTitle = "Sauver le fichier Midi sous...";
constexpr const char* kFilter = "Fichier Midi (*.mid)|*.mid|Tous (*.*)|*.*|";
constexpr const char* kDone = midi::kMsgExportDone;
constexpr const char* kFailed = midi::kMsgExportFailed;
constexpr const char* kSkipped = midi::kMsgExportSkipped;
constexpr const char* kNothing =
    "Aucun morceau à sauvegarder : ouvrir d'abord un fichier midi ou copier un morceau";

}  // namespace

void Form1::Sauve_midi_Click() {
  last_failure.clear();
  if (Liste_tran.empty()) {
    // An empty file would say nothing of a piece: there is no image to write.
    last_failure = kNothing;
    ports.dialogs.message(last_failure);
    return;
  }
  const std::string path = ports.dialogs.save_file(kTitle, kFilter, dossier_donnees.string(),
                                                   Titre.text() + "_VELoR.mid");
  if (path.empty()) {
    ports.dialogs.set_busy(false);
    return;
  }
  ports.dialogs.set_busy(true);
  // A copy: the window stays usable during the export and may refill the list meanwhile.
  const std::vector<std::string> records = Liste_tran;
  const midi::MidiExport x = midi::card_image_to_midi(
      records, score::record_layout(mode42.value(), Option32.value(), mode_demo),
      score::record_note_table(table_notes, mode42.value(), mode_demo),
      [this](std::size_t) { ports.loop.process_events(); });
  nb_octets_ecrits = x.nb_octets_ecrits;
  if (x.skipped_lines > 0)
    append_message(str_num(static_cast<std::int64_t>(x.skipped_lines)) + kSkipped);
  if (write_whole_file(std::filesystem::path(path), x.bytes)) {
    ports.dialogs.message(kDone);
  } else {
    last_failure = kFailed + path;
    ports.dialogs.message(last_failure);
  }
  ports.dialogs.set_busy(false);
}

}  // namespace solmir
