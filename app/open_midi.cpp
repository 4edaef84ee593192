// "Ouvrir fichier Midi...": the MIDI file becomes the note event list, the log gets its
// summary, then the passes and the card image builder run.
#include <filesystem>

#include "app/form1.h"
#include "base/failure.h"
#include "base/file_read.h"
#include "base/numbers.h"
#include "base/text.h"
#include "midi/listing.h"
#include "score/card_image.h"
#include "score/extraction.h"
#include "score/road.h"

namespace solmir {

namespace {

constexpr const char* kFilter = "Fichiers (*.mid)|*.mid|Tous (*.*)|*.*|";
constexpr const char* kDialogTitle = "Ouvrir fichier Midi";
constexpr const char* kNotANumber = " ne contient pas un nombre : ";
constexpr const char* kNoNote = "Aucune note à garder : le fichier midi ne contient aucune note";
constexpr const char* kSeparator =
    "-------------------------------------------------------------------------";

}  // namespace

// The number held by a box; a box that does not hold one stops the command with a message.
double box_number(const TextBox& box, const char* what) {
  const auto v = parse_number(box.text());
  if (!v) throw RunFailure(std::string(what) + kNotANumber + "\"" + box.text() + "\"");
  return *v;
}

void Form1::Ouvre_midi_Click() {
  const std::string started = score::started_text();
  duree_action_totale = 0;
  last_failure.clear();
  try {
    Sauve_params_reg();
    if (!recharger_fichier) {
      chemin_midi = ports.dialogs.open_file(kDialogTitle, kFilter, dossier_donnees.string());
      if (chemin_midi.empty()) return;
    }
    ActivityScope opening(*this, Activity::opening_midi);
    ports.dialogs.set_busy(true);
    Label4.set_caption(chemin_midi);
    Titre.set_text(std::filesystem::path(chemin_midi).filename().string());
    if (Midi_channel(9).value()) Titre.set_text("Pc" + utf8_left(Titre.text(), 7));

    const std::string bytes = read_regular_file(std::filesystem::path(chemin_midi), kMidiFileLimit,
                                                score::kMsgUnreadableMidi);
    // The notes are taken from the listing while it is made: nothing else of it is needed.
    std::array<bool, 16> ticked{};
    for (int i = 0; i < 16; ++i) ticked[static_cast<std::size_t>(i)] = Midi_channel(i).value();
    const auto speed = parse_number(vitesse.text());
    const auto step = parse_number(Pas_ech.text());
    const bool can_extract = speed && step && *step != 0;
    const score::Transposition shift{transposition_value(), percussion_scale()};
    score::NoteExtractor notes(ticked, speed.value_or(0), step.value_or(1), bytes.size() / 3,
                               shift);
    gauge1.set_max(static_cast<std::int64_t>(bytes.size()));
    const auto progress = [this](std::size_t done, std::size_t) {
      gauge1.set_value(static_cast<std::int64_t>(done));
      gauge1.repaint();
    };
    const midi::ListingResult listing =
        can_extract ? midi::desassemble_midi(bytes, chemin_midi, notes, progress)
                    : midi::desassemble_midi(bytes, chemin_midi, progress);
    code_erreur_midi = listing.code_erreur_midi;
    message_erreur_midi = listing.message_erreur_midi;
    append_message(score::kMsgDisassembly);
    if (listing.sequences_played_together) append_message(midi::kMsgSequencesTogether);
    ports.loop.process_events();
    if (midi::not_midi(listing)) throw RunFailure(midi::kMsgNotMidi + chemin_midi);
    if (listing.end == midi::ListingEnd::abnormal) throw RunFailure(listing.abnormal_message);

    Liste1.clear();
    box_number(vitesse, "La vitesse");
    if (box_number(Pas_ech, "Le pas d'échantillonnage") == 0) throw RunFailure(score::kMsgZeroStep);
    score::ExtractionResult r = notes.finish();
    Liste1 = std::move(r.Liste1);
    duree_action_totale = r.duree_action_totale;
    // A file cut short (or damaged) still gives the notes read before the error: the road goes
    // on with them, and says so in French.
    const bool incomplete = listing.incomplete();
    const std::string incomplete_text =
        incomplete ? midi::incomplete_file_message(listing, r.pairs) : std::string();
    if (incomplete) append_message(incomplete_text);
    // The notes no output of the scale plays, told before the passes rework the times.
    notes_hors_gamme = score::dropped_notes(
        Liste1, score::record_note_table(table_notes, mode42.value(), mode_demo),
        score::record_layout(mode42.value(), Option32.value(), mode_demo), r.outside);
    cles_extraites = r.keys;
    const std::string dropped = score::dropped_summary(notes_hors_gamme);
    if (!dropped.empty()) append_message(dropped);

    std::vector<std::string> log;
    const bool first = !journal_commence;
    if (!first) log = {" ", kSeparator, " "};
    journal_commence = true;
    for (std::string& line : score::extraction_log(chemin_midi, started, r))
      log.push_back(std::move(line));
    if (incomplete) log.push_back(incomplete_text);
    if (shift.semitones != 0)
      log.push_back("Transposition : " + score::semitones_text(shift.semitones));
    if (!dropped.empty()) log.push_back(dropped);
    write_log(log, first);
    if (Liste1.empty()) throw RunFailure(kNoNote);

    if (box_number(separe_note, "L'écartement entre notes") > 0) separation_pass();
    if (box_number(aligne_note, "Le réalignement des débuts de notes") > 0) alignment_pass();
    cree_fichier_carte();
    state.image.incomplete_file = incomplete && state.image.present;
  } catch (const RunFailure& e) {
    last_failure = e.what();
    // Nothing of a road that failed may be taken for its result.
    Liste1.clear();
    card_image_dropped();
    append_message(score::kMsgStopped + last_failure);
    notify_image();
  }
  ports.dialogs.set_busy(false);
  recharger_fichier = false;
}

void Form1::traite_midi_Click() {
  form8.Text1.set_text(separe_note.text());
  form8.Text2.set_text(aligne_note.text());
  form8.window.move(window.left + 400, window.top - 400);
  form8.window.show();
}

void Form1::form8_Valider_Click() {
  Sauve_params_reg();
  form8.window.hide();
}

}  // namespace solmir
